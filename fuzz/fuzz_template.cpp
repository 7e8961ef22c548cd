// Fuzz target: a card template's text is read into a card panel with
// personal information filled in; the objects made are painted and the
// design is written back as a template. Reading may fail with
// EConvertError (a colour text); nothing may crash, hang or leak.
#include "objects/BusinessCardLabel.h"
#include "objects/Image.h"
#include "objects/Shapes.h"
#include "platform/Errors.h"
#include "platform/ProfileFile.h"
#include "surface/BusinessCardPanel.h"
#include "surface/GraphicControl.h"
#include "surface/TemplateFile.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>

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
    // Never destroyed: the library's clean-up routines at exit touch font
    // and paint state that static destruction has already taken down.
    static QApplication* app = new QApplication(*argc, *argv);
    (void)app;
    bv::RegisterShapeClasses();
    bv::RegisterLabelClasses();
    bv::RegisterImageClasses();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    bv::TGBusinessCardPanel32 panel;
    panel.SetDeletesTemporaryFiles(false);
    bv::TPersonalInfo info;
    info.Name = QStringLiteral("Jane Roe");
    info.Email = QStringLiteral("   ");
    panel.SetPersonalInfo(info);
    try {
        (void)bv::ReadTemplate(panel.Model(), bv::ProfileText(input));
    } catch (const bv::Exception&) {
        // What was made before the failure stays and is painted below.
    }
    QImage canvas(160, 120, QImage::Format_RGB32);
    for (bv::TGGraphicControl* o : panel.Objects()) {
        QPainter p(&canvas);
        p.setClipRect(canvas.rect());
        o->PaintAt(p, 0, 0);
    }
    (void)bv::TemplateText(panel.Model(), QStringLiteral("bg/x.bmp")).Bytes();
    return 0;
}
