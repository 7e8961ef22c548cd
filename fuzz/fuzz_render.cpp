// Fuzz target: the render and sheet paths of a design with a background
// picture. The first byte chooses the background's kind (bitmap, PNG, JPEG,
// GIF) and whether the card is rotated; the rest is the background file. The
// design pair is read as the program opens it, the card picture is rendered
// as "Save As Bitmap" and brisvale-batch render make it, and one card is
// printed onto a sheet with the background as the print job draws it.
#include "app/DesignClasses.h"
#include "document/CardDocument.h"
#include "fuzz/FuzzFiles.h"
#include "objects/BusinessCardLabel.h"
#include "objects/Shapes.h"
#include "pageengine/PageCanvasEngine.h"
#include "platform/Dib.h"
#include "platform/Errors.h"
#include "surface/BusinessCardPanel.h"

#include <QApplication>
#include <QPainter>
#include <cstdint>
#include <cstdlib>

namespace {

QString designPath;

void writeDesign()
{
    bv::TGBusinessCardPanel32 panel;
    panel.SetDeletesTemporaryFiles(false);
    auto* label = new bv::TGBusinessCardLabel;
    label->SetParent(&panel);
    label->SetBounds(20, 20, 200, 40);
    label->SetCaption(QStringLiteral("Fuzz"));
    label->Loaded();
    auto* shape = new bv::TBCShapes;
    shape->SetParent(&panel);
    shape->SetBounds(10, 100, 120, 60);
    shape->Loaded();
    designPath = fuzz::folder().filePath(QStringLiteral("card.QRD"));
    panel.SaveToFile(designPath);
}

} // namespace

BRISVALE_FUZZ_FONTCONFIG_SUPPRESSIONS

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("BRISVALE_PPI", "96");
    qputenv("BRISVALE_HOME", QFile::encodeName(fuzz::folder().path()));
    static QApplication app(*argc, *argv);
    bv::RegisterDesignClasses();
    writeDesign();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    static const char* const kinds[] = {"bg.bmp", "bg.png", "bg.jpg", "bg.gif"};
    const QString background = fuzz::writeInput(QString::fromLatin1(kinds[data[0] & 3]), data + 1, size - 1);
    const bool rotated = (data[0] & 4) != 0;
    bv::TCardLayout stored;
    stored.Portrait = rotated;
    bv::WriteCompanionFile(bv::CompanionPath(designPath), background, bv::CompanionFromLayout(stored));

    bv::TGBusinessCardPanel32 panel;
    panel.SetDeletesTemporaryFiles(false);
    bv::TCardLayout layout;
    QString backgroundFile;
    bv::ReadDesign(panel.Model(), designPath, layout, backgroundFile);
    const QImage picture = bv::RenderCardPicture(panel.Model(), true);
    if (picture.isNull())
        std::abort();

    // One card on a small sheet: background bitmap and objects.
    QImage sheet(170, 220, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    bv::TCanvasPageEngine engine(&painter, bv::TDeviceFacts{20, 20, 0, 0, 0, 8.5, 11});
    engine.OnPrint = [&](bv::TPageEngine& e) {
        if (backgroundFile.endsWith(QLatin1String(".bmp"))) {
            try {
                bv::Dib bitmap = bv::Dib::FromFile(backgroundFile);
                if (rotated)
                    bitmap = bitmap.QuarterTurn();
                e.StretchBitmap(0.5, 0.5, rotated ? 2.5 : 4.0, rotated ? 4.0 : 2.5, bitmap);
            } catch (const bv::Exception&) {
            }
        }
        panel.PrintObjects(e, 0.5, 0.5);
    };
    engine.Execute();
    return 0;
}
