#include "document/CardDocument.h"

#include "pageengine/PageCanvasEngine.h"

#include "platform/AtomicFile.h"
#include "platform/Dib.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "platform/Jpeg.h"
#include "platform/PictureLimits.h"
#include "platform/SafeFile.h"
#include "surface/DesignModel.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QRegularExpression>

namespace bv {

void SetCardSizeFromInches(TDesignModel& design, const TCardLayout& layout)
{
    const Single zoom = design.Zoom();
    if (zoom != 1.0f)
        design.SetZoom(1.0f);
    const Extended ppi = ScreenPpi();
    const int across = static_cast<int>(Round(ppi * layout.Width));
    const int down = static_cast<int>(Round(ppi * layout.Height));
    if (design.Rotated())
        design.SetCardSize(QSize(down, across));
    else
        design.SetCardSize(QSize(across, down));
    if (zoom != 1.0f)
        design.SetZoom(zoom);
    design.SetCornerRadiusInches(layout.CornerRadius);
    design.RepaintCard();
}

void SetCardOrientation(TDesignModel& design, const TCardLayout& layout, bool rotated,
    const QString& backgroundFile)
{
    design.SetRotated(rotated);
    SetCardSizeFromInches(design, layout);
    // Without a background file there is nothing to load (and nothing to
    // replace: loading never removes a picture).
    if (!backgroundFile.isEmpty())
        design.LoadBackground(backgroundFile);
    design.RepaintCard();
}

TFont PanelFontFromDefault(const TDefaultFont& font, const TFont& base)
{
    TFont f = base;
    f.Name = font.Name;
    f.SetSize(font.Size);
    f.Bold = font.Bold;
    f.Italic = font.Italic;
    f.Underline = font.Underline;
    return f;
}

TDefaultFont DefaultFontFromPanel(const TFont& font)
{
    TDefaultFont d;
    d.Name = font.Name;
    d.Size = font.Size();
    d.Bold = font.Bold;
    d.Italic = font.Italic;
    d.Underline = font.Underline;
    return d;
}

void ApplyProgramSettings(TDesignModel& design, const TDefaultFont& font, const TPersonalInfo& info)
{
    design.SetPanelFont(PanelFontFromDefault(font, design.PanelFont()));
    design.SetPersonalInfo(info);
}

TCardLayout LayoutFromCompanion(const CompanionLayout& stored)
{
    TCardLayout layout;
    layout.Height = ThousandthsToInches(stored.height);
    layout.Width = ThousandthsToInches(stored.width);
    layout.TopMargin = ThousandthsToInches(stored.topMargin);
    layout.LeftMargin = ThousandthsToInches(stored.leftMargin);
    layout.HPitch = ThousandthsToInches(stored.hPitch);
    layout.VPitch = ThousandthsToInches(stored.vPitch);
    layout.PredefLayout = stored.predefLayout;
    layout.Papersize = stored.paperSize;
    layout.Across = stored.across;
    layout.Down = stored.down;
    layout.UseMM = stored.useMM;
    layout.Portrait = stored.usePortrait;
    layout.Stock = stored.stock;
    layout.CornerRadius = ThousandthsToInches(stored.cornerRadius);
    layout.Paper = stored.paper;
    ClampToLayoutLimits(layout);
    return layout;
}

CompanionLayout CompanionFromLayout(const TCardLayout& layout)
{
    CompanionLayout stored;
    stored.height = InchesToThousandths(layout.Height);
    stored.width = InchesToThousandths(layout.Width);
    stored.topMargin = InchesToThousandths(layout.TopMargin);
    stored.leftMargin = InchesToThousandths(layout.LeftMargin);
    stored.hPitch = InchesToThousandths(layout.HPitch);
    stored.vPitch = InchesToThousandths(layout.VPitch);
    stored.predefLayout = layout.PredefLayout;
    stored.paperSize = layout.Papersize;
    stored.across = layout.Across;
    stored.down = layout.Down;
    stored.useMM = layout.UseMM;
    stored.usePortrait = layout.Portrait;
    stored.stock = layout.Stock;
    stored.cornerRadius = InchesToThousandths(layout.CornerRadius);
    stored.paper = layout.Paper;
    return stored;
}

QString FindBackgroundFile(const QString& stored)
{
    if (stored.isEmpty() || QFileInfo::exists(stored))
        return stored;
    // The name after the last folder separator, Windows ones included.
    const QString name = stored.section(QRegularExpression(QStringLiteral("[/\\\\]")), -1).trimmed();
    if (name.isEmpty())
        return stored;
    const QDir bg(ProgramFolder() + QStringLiteral("bg"));
    for (const QString& entry : bg.entryList(QDir::Files)) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return bg.absoluteFilePath(entry);
    }
    return stored;
}

void ReadDesign(TDesignModel& design, const QString& path, TCardLayout& layout, QString& backgroundFile,
    QStringList* warnings)
{
    CompanionData companion;
    {
        // Both files of one save: a save of the same pair by another process
        // waits until both are read.
        const FolderLock lock(QFileInfo(path).absolutePath(), FolderLock::Shared);
        design.LoadFromFile(path);
        companion = ReadPairedCompanion(path);
    }
    if (companion.unreadable && warnings)
        warnings->append(companion.error + QStringLiteral(" The card's background and layout were not read from it."));
    if (companion.isIni) {
        backgroundFile = companion.background;
        layout = LayoutFromCompanion(companion.layout);
        design.SetRotated(companion.layout.usePortrait);
    } else if (companion.exists && !companion.background.isEmpty()) {
        backgroundFile = companion.background;
    }
    // A design copied from elsewhere names its picture by a folder this
    // machine may not have: the shipped picture of that name is meant.
    backgroundFile = FindBackgroundFile(backgroundFile);
    if (!backgroundFile.isEmpty() && QFileInfo::exists(backgroundFile)) {
        // A background that is there but is no picture file (a device, a
        // pipe, a folder, a file too large) is named for what it is.
        const SafeReadResult check = CheckOutsideFile(backgroundFile, MaxPictureFileBytes);
        if (!check.ok() && warnings)
            warnings->append(check.error);
        design.LoadBackground(backgroundFile);
    }
    SetCardSizeFromInches(design, layout);
    SetCardOrientation(design, layout, design.Rotated(), backgroundFile);
}

void WriteDesign(TDesignModel& design, const QString& path, const QString& backgroundFile,
    const TCardLayout& layout)
{
    WriteDesignPair(path, [&design](const QString& file) { design.SaveToFile(file); }, backgroundFile,
        CompanionFromLayout(layout));
}

QImage RenderCardPicture(TDesignModel& design, bool border)
{
    QImage picture = design.RenderToBitmap();
    if (border && !picture.isNull()) {
        // The outermost ring of pixels, as a one-pixel rectangle from (0, 0)
        // to (width, height) with the far edges excluded draws it.
        QPainter p(&picture);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(0, 0, picture.width() - 1, picture.height() - 1));
    }
    return picture;
}

PictureFormat PictureFormatForPath(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return PictureFormat::Jpeg;
    if (suffix == QLatin1String("png"))
        return PictureFormat::Png;
    return PictureFormat::Bitmap;
}

QImage RenderCardPictureAtDpi(TDesignModel& design, double dpi, bool border)
{
    const double ppi = ScreenPpi();
    dpi = std::clamp(dpi, 24.0, 2400.0);
    const double wInches = std::max(1, design.CardWidth()) / ppi;
    const double hInches = std::max(1, design.CardHeight()) / ppi;
    const std::int64_t pw = std::max<std::int64_t>(1, Round(wInches * dpi));
    const std::int64_t ph = std::max<std::int64_t>(1, Round(hInches * dpi));
    // Beyond the largest picture the program makes, no picture: writing it
    // then fails with a message rather than taking gigabytes.
    if (!PictureSizeAllowed(pw, ph))
        return {};
    QImage picture(static_cast<int>(pw), static_cast<int>(ph), QImage::Format_RGB32);
    picture.fill(Qt::white);
    const int dotsPerMeter = int(Round(dpi / 0.0254));
    picture.setDotsPerMeterX(dotsPerMeter);
    picture.setDotsPerMeterY(dotsPerMeter);
    QPainter p(&picture);
    // The background art as the card shows it: a bitmap, or a metafile
    // drawn as vectors at this resolution.
    design.DrawBackgroundArt(p, picture.width(), picture.height());
    {
        TCanvasPageEngine engine(&p, TDeviceFacts{ dpi, dpi, 0, 0, 0, wInches, hInches });
        engine.OnPrint = [&design](TPageEngine& e) { design.PrintObjects(e, 0, 0); };
        engine.Execute();
    }
    if (border) {
        const int w = std::max(1, int(Round(dpi / ppi)));
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(QRect(0, 0, picture.width(), w), Qt::black);
        p.fillRect(QRect(0, picture.height() - w, picture.width(), w), Qt::black);
        p.fillRect(QRect(0, 0, w, picture.height()), Qt::black);
        p.fillRect(QRect(picture.width() - w, 0, w, picture.height()), Qt::black);
    }
    return picture;
}

void WriteCardPicture(const QImage& picture, const QString& path, PictureFormat format)
{
    // A card that could not be drawn (no memory for its picture) must not
    // come out as an empty file reported as written.
    if (picture.isNull())
        throw EWriteError(AtomicFile::FailureMessage(path) + QStringLiteral(" (the card picture could not be made)"));
    switch (format) {
    case PictureFormat::Bitmap:
        Dib::SaveToFile(picture, path);
        return;
    case PictureFormat::Jpeg:
        Jpeg::SaveToFile(picture, path, 100);
        return;
    case PictureFormat::Png: {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        if (picture.isNull() || !buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
            throw EWriteError(AtomicFile::FailureMessage(path));
        WriteFileAtomically(path, bytes);
        return;
    }
    }
}

QString BackDesignPath(const QString& frontPath)
{
    const QFileInfo front(frontPath);
    const QString suffix = front.suffix();
    if (suffix.isEmpty())
        return frontPath + QStringLiteral(".back.QRD");
    return front.path() + QLatin1Char('/') + front.completeBaseName() + QStringLiteral(".back.") + suffix;
}

} // namespace bv
