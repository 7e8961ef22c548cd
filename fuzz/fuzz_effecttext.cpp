// Fuzz target: a design stream holding SuperText and CircleText objects is
// read into a card panel; every object that reads is laid out and painted,
// and what was read writes back to a stream. Reading may fail with
// EReadError; nothing may crash, hang or leak.
#include "effects/CircleText.h"
#include "effects/SuperText.h"
#include "platform/Errors.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ObjectFiler.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <memory>

// The system's font libraries keep process-long caches (fontconfig's
// patterns, FreeType faces); they are not leaks of the code under test.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\nleak:libfreetype\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("BRISVALE_PPI", "96");
    static QApplication app(*argc, *argv);
    bv::RegisterEffectTextClasses();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    bv::TGBusinessCardPanel32 panel;
    bv::TGLabelObjectFiler filer;
    QList<bv::TGGraphicControl*> read;
    try {
        read = filer.ReadStream(input, panel, panel);
    } catch (const bv::Exception&) {
        return 0;
    }
    QImage canvas(160, 120, QImage::Format_RGB32);
    for (bv::TGGraphicControl* o : read) {
        QPainter p(&canvas);
        p.setClipRect(canvas.rect());
        o->PaintAt(p, 0, 0);
    }
    QList<const bv::TGGraphicControl*> written;
    for (auto* o : read)
        written << o;
    (void)bv::TGLabelObjectFiler::WriteStream(written);
    return 0;
}
