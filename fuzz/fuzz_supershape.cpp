// Fuzz target: a design stream holding SuperShapes. Reading must give
// objects or an error, never a crash, a hang or a runaway allocation; every
// object read must paint, and write back a stream that reads again.
#include "effects/SuperShape.h"
#include "platform/Errors.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ObjectFiler.h"

#include <QApplication>
#include <QPainter>
#include <cstdint>
#include <cstdlib>

namespace {
QApplication& app()
{
    static int argc = 1;
    static char name[] = "fuzz_supershape";
    static char* argv[] = { name, nullptr };
    static QApplication* instance = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("BRISVALE_PPI", "96");
        auto* a = new QApplication(argc, argv);
        bv::RegisterSuperShapeClasses();
        return a;
    }();
    return *instance;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    app();
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    bv::TGBusinessCardPanel32 panel;
    bv::TGLabelObjectFiler filer;
    QList<bv::TGGraphicControl*> read;
    try {
        read = filer.ReadStream(input, panel, panel);
    } catch (const bv::Exception&) {
        return 0;
    }
    // Paint each object into a small canvas, clipped as the panel clips.
    QImage canvas(64, 64, QImage::Format_RGB32);
    for (bv::TGGraphicControl* o : read) {
        canvas.fill(Qt::white);
        QPainter p(&canvas);
        p.setClipRect(QRect(0, 0, 64, 64));
        o->PaintAt(p, 0, 0);
    }
    QList<const bv::TGGraphicControl*> objects;
    for (auto* o : read)
        objects << o;
    const QByteArray again = bv::TGLabelObjectFiler::WriteStream(objects);
    bv::TGBusinessCardPanel32 second;
    try {
        const QList<bv::TGGraphicControl*> reread = filer.ReadStream(again, second, second);
        if (reread.size() != read.size())
            std::abort();
    } catch (const bv::Exception&) {
        std::abort(); // what was written must read back
    }
    return 0;
}
