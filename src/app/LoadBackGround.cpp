#include "app/LoadBackGround.h"

#include "app/HelpBrowser.h"
#include "document/AppServices.h"
#include "app/ShippedArt.h"
#include "platform/Dib.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "platform/Interaction.h"
#include "pictures/Metafile.h"
#include "platform/Numeric.h"
#include "platform/SafeFile.h"
#include "widgets/WhatsThis.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>

namespace bv {

namespace {

const QStringList pictureMasks { QStringLiteral("*.BMP"), QStringLiteral("*.WMF") };

bool isMetafilePath(const QString& path)
{
    return path.endsWith(QStringLiteral(".wmf"), Qt::CaseInsensitive);
}

} // namespace

QImage LoadBackgroundPreview(const QString& path, bool rotated)
{
    const QByteArray bytes = ReadOutsideFileOrThrow(path, MaxPictureFileBytes);
    const int ppi = ScreenPpi();
    QImage picture;
    if (isMetafilePath(path)) {
        const Metafile meta = Metafile::FromBytes(bytes);
        // Unrotated, the metafile shows at its own size; rotated, it is laid
        // on a card-sized bitmap first, as the card turns it.
        const QSize size = rotated ? QSize(static_cast<int>(Trunc(3.5L * ppi)), static_cast<int>(Trunc(2.0L * ppi)))
                                   : QSize(meta.Width(), meta.Height());
        if (size.width() < 1 || size.height() < 1 || size.width() > Dib::MaxSide || size.height() > Dib::MaxSide)
            throw EConvertError(QStringLiteral("Invalid metafile size"));
        picture = QImage(size, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter p(&picture);
        p.setRenderHint(QPainter::Antialiasing);
        meta.Play(p, QRectF(0, 0, meta.Width(), meta.Height()));
    } else {
        // A bitmap replaces the card-sized bitmap, so it keeps its own size.
        picture = Dib::FromBytes(bytes).Image();
    }
    if (picture.isNull())
        throw EConvertError(QStringLiteral("Invalid picture"));
    if (!rotated)
        return picture;
    return Dib::FromImage(picture).QuarterTurn().Image();
}

TLoadBackGround::TLoadBackGround(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("LoadBackGround"));
    setWindowTitle(QStringLiteral("Load  Business Card Background Art "));
    setModal(true);
    setFixedSize(DesignedWidth, DesignedHeight);

    // Everything but the preview sits in the upper left 494 × 290 pixels, so
    // the dialog can lose 100 pixels on either side and only the preview's
    // unused margin goes: a lying card needs its width, a standing one its
    // height.
    FileListBox1 = new QListWidget(this);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setGeometry(8, 8, 200, 172);
    FileListBox1->setWhatsThis(QStringLiteral("Click a picture to see it at the right. "
                                              "The pictures are kept in the bg folder of Brisvale."));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(216, 8, 370, 374);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setWhatsThis(QStringLiteral("The background art you selected, as it will lie on the card."));

    auto button = [this](QPushButton*& b, const char* name, const QString& text, int x, int y, const char* help) {
        b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(x, y, 96, 28);
        b->setAutoDefault(false);
        b->setWhatsThis(QString::fromLatin1(help));
    };
    button(OkButton, "OkButton", QStringLiteral("Ok"), 8, 188,
        "Click to put the selected picture behind your card and return to the card.");
    button(CancelButton, "CancelButton", QStringLiteral("Cancel"), 112, 188,
        "Click to return to the card without changing its background.");
    button(NoneButton, "NoneButton", QStringLiteral("None"), 8, 222,
        "Click to remove the background art from your card.");
    button(HelpButton, "HelpButton", QStringLiteral("Help"), 112, 222,
        "Click to bring up the help page of this screen.");
    OkButton->setDefault(true);
    MouseHelpButton = CreateWhatsThisButton(this);
    MouseHelpButton->move(8, 256);

    // A mouse click makes a row current before it selects it, the keys do
    // both at once: the preview follows whichever comes last.
    connect(FileListBox1, &QListWidget::currentRowChanged, this, [this](int) { followSelection(); });
    connect(FileListBox1, &QListWidget::itemSelectionChanged, this, [this] { followSelection(); });
    connect(OkButton, &QPushButton::clicked, this, &TLoadBackGround::OkButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, [this] { done(mrCancel); });
    connect(NoneButton, &QPushButton::clicked, this, &TLoadBackGround::NoneButtonClick);
    connect(HelpButton, &QPushButton::clicked, this, [] { ShowHelpTopic(2101); });
    InstallWhatsThisMenus(this);
}

void TLoadBackGround::SetDirectory(const QString& path)
{
    folder = QDir(path).absolutePath();
    const QSignalBlocker block(FileListBox1);
    FileListBox1->clear();
    // The masks are upper case but the files may be named any way.
    QDir dir(folder);
    dir.setNameFilters(pictureMasks);
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    FileListBox1->addItems(dir.entryList());
    preview = QImage();
    previewed.clear();
    Image1->clear();
}

void TLoadBackGround::SetPortrait(bool value)
{
    portrait = value;
    if (portrait)
        setFixedSize(DesignedWidth - 100, DesignedHeight);
    else
        setFixedSize(DesignedWidth, DesignedHeight - 100);
}

bool TLoadBackGround::SetFileName(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    if (info.absolutePath() != folder)
        SetDirectory(info.absolutePath());
    const QList<QListWidgetItem*> found = FileListBox1->findItems(info.fileName(), Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    FileListBox1->setCurrentItem(found.first());
    return true;
}

bool TLoadBackGround::SelectListed(const QString& name)
{
    // File names are matched as the file system of the designs' origin did:
    // without regard to case.
    const QList<QListWidgetItem*> found = FileListBox1->findItems(name, Qt::MatchFixedString);
    if (found.isEmpty())
        return false;
    FileListBox1->setCurrentItem(found.first());
    return true;
}

QString TLoadBackGround::FileName() const
{
    // One row at most is selected; a row only made current was not chosen.
    const QList<QListWidgetItem*> selected = FileListBox1->selectedItems();
    return selected.isEmpty() ? QString() : QDir(folder).absoluteFilePath(selected.first()->text());
}

void TLoadBackGround::followSelection()
{
    if (FileName() != previewed)
        FileListBox1Click();
}

void TLoadBackGround::FileListBox1Click()
{
    const QString path = FileName();
    previewed = path;
    if (path.isEmpty()) {
        preview = QImage();
        Image1->clear();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool failed = false;
    try {
        preview = LoadBackgroundPreview(path, portrait);
    } catch (const Exception&) {
        failed = true;
    }
    QApplication::restoreOverrideCursor();
    if (failed) {
        preview = QImage();
        Image1->clear();
        Interaction::Current().ShowError(QStringLiteral("Error loading file!"));
        return;
    }
    showPreview();
}

void TLoadBackGround::showPreview()
{
    // A picture larger than the preview is shown whole, scaled down.
    QImage shown = preview;
    if (shown.width() > Image1->width() || shown.height() > Image1->height())
        shown = shown.scaled(Image1->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    Image1->setPixmap(QPixmap::fromImage(shown));
}

void TLoadBackGround::OkButtonClick()
{
    if (FileName().isEmpty()) {
        Interaction::Current().Beep();
        return;
    }
    done(mrOk);
}

void TLoadBackGround::NoneButtonClick()
{
    done(mrNoBackground);
}

void TLoadBackGround::reject()
{
    done(mrCancel);
}

QString BackgroundFolder()
{
    const QString path = ProgramFolder() + QStringLiteral("bg/");
    InstallShippedFiles(QStringLiteral("bg"));
    return path;
}

int ChooseBackgroundArt(QString& backgroundFile, bool portrait, QWidget* parent)
{
    TLoadBackGround dialog(parent ? parent : MainForm());
    CentreForm(dialog);
    const QString bg = BackgroundFolder();
    dialog.SetDirectory(bg);
    dialog.SetPortrait(portrait);
    CentreForm(dialog);
    if (!dialog.SetFileName(backgroundFile)) {
        // A design made elsewhere may name its picture by another folder
        // (even a Windows one): the picture of that name in "bg" is meant.
        const QString name = backgroundFile.section(QRegularExpression(QStringLiteral("[/\\\\]")), -1).trimmed();
        if (!name.isEmpty())
            dialog.SelectListed(name);
    }
    const int result = Interaction::Current().RunModal(dialog);
    if (result == mrOk)
        backgroundFile = dialog.FileName();
    else if (result == mrNoBackground)
        backgroundFile.clear();
    return result;
}

} // namespace bv
