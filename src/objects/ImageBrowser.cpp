#include "objects/ImageBrowser.h"

#include "objects/DialogButtons.h"
#include "platform/DialogHooks.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "platform/Interaction.h"
#include "platform/ProfileFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace bv {

namespace {
constexpr int HelpContextBrowser = 40003;

// Where the settings file keeps the folder pictures were last taken from.
const QString sBrowser = QStringLiteral("Picture Browser");
const QString kFolder = QStringLiteral("Folder");
} // namespace

// --- preview --------------------------------------------------------------------

TPreviewImage::TPreviewImage(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TPreviewImage::SetPicture(const TPicture& value)
{
    picture = value;
    fit();
    update();
}

void TPreviewImage::SetStretch(bool value)
{
    stretch = value;
    update();
}

void TPreviewImage::SetAutoSize(bool value)
{
    autoSize = value;
    fit();
    update();
}

void TPreviewImage::fit()
{
    if (autoSize && picture.Width() > 0 && picture.Height() > 0)
        resize(picture.Width(), picture.Height());
}

void TPreviewImage::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!picture.HasGraphic())
        return;
    if (stretch && !autoSize) {
        picture.Draw(p, QRectF(rect()));
    } else {
        picture.Draw(p, QRectF(0, 0, picture.Width(), picture.Height()));
    }
}

// --- browser ----------------------------------------------------------------------

const QStringList& TGImageBrowser::FileMask()
{
    // The classic picture kinds; PNG, GIF and WebP pictures, which are taken
    // as bitmaps with their transparency; enhanced metafiles play like the
    // classic ones; SVG drawings (plain or compressed) stay drawings.
    static const QStringList mask = { QStringLiteral("*.BMP"), QStringLiteral("*.JPG"), QStringLiteral("*.JIF"),
        QStringLiteral("*.JPEG"), QStringLiteral("*.WMF"), QStringLiteral("*.EMF"), QStringLiteral("*.ICO"),
        QStringLiteral("*.PNG"), QStringLiteral("*.GIF"), QStringLiteral("*.WEBP"), QStringLiteral("*.SVG"),
        QStringLiteral("*.SVGZ") };
    return mask;
}

TGImageBrowser::TGImageBrowser(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("GImageBrowser"));
    setWindowTitle(QStringLiteral("Load Image File "));
    setFixedSize(592, 300);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    auto* top = new QHBoxLayout;
    outer->addLayout(top, 1);

    auto* left = new QVBoxLayout;
    top->addLayout(left, 3);
    DriveList = new QComboBox(this);
    DriveList->setObjectName(QStringLiteral("DriveList"));
    DriveList->setWhatsThis(QStringLiteral("Choose the drive or place to look for pictures in."));
    left->addWidget(DriveList);
    PathEdit = new QLineEdit(this);
    PathEdit->setObjectName(QStringLiteral("PathEdit"));
    PathEdit->setToolTip(QStringLiteral("Type a folder and press Enter"));
    PathEdit->setWhatsThis(QStringLiteral("Type the folder to look in (or a picture's full name) and press Enter."));
    PathEdit->installEventFilter(this);
    left->addWidget(PathEdit);
    DirectoryListBox1 = new QTreeView(this);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setWhatsThis(QStringLiteral("Click a folder to list the pictures it holds."));
    folders = new QFileSystemModel(this);
    folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders->setRootPath(QString());
    DirectoryListBox1->setModel(folders);
    for (int c = 1; c < folders->columnCount(); ++c)
        DirectoryListBox1->hideColumn(c);
    DirectoryListBox1->header()->hide();
    left->addWidget(DirectoryListBox1, 1);

    FileListBox1 = new QListWidget(this);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setWhatsThis(QStringLiteral("The pictures of the chosen folder; the one selected is shown."));
    top->addWidget(FileListBox1, 2);

    auto* right = new QVBoxLayout;
    top->addLayout(right, 4);
    GroupBox1 = new QGroupBox(QStringLiteral(" Options "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* options = new QHBoxLayout(GroupBox1);
    CBStretch = new QCheckBox(QStringLiteral("Stretch"), GroupBox1);
    CBStretch->setObjectName(QStringLiteral("CBStretch"));
    CBStretch->setToolTip(QStringLiteral("Stretch image to max display size"));
    CBStretch->setWhatsThis(QStringLiteral("The picture fills the object, whatever its size."));
    CBAutoSize = new QCheckBox(QStringLiteral("AutoSize"), GroupBox1);
    CBAutoSize->setObjectName(QStringLiteral("CBAutoSize"));
    CBAutoSize->setToolTip(QStringLiteral("AutoSize TImage"));
    CBAutoSize->setWhatsThis(QStringLiteral("The object takes the picture's own size."));
    options->addWidget(CBStretch);
    options->addWidget(CBAutoSize);
    right->addWidget(GroupBox1);
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setBackgroundRole(QPalette::Base);
    Image1 = new TPreviewImage;
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setWhatsThis(QStringLiteral("A preview of the picture selected in the file list."));
    ScrollBox1->setWidget(Image1);
    ScrollBox1->setWidgetResizable(true);
    right->addWidget(ScrollBox1, 1);

    // Hidden helpers of the original form: the icon conversion happens in
    // the picture loader, the JPEG decoder in the platform layer.
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->hide();

    auto* row = new QHBoxLayout;
    outer->addLayout(row);
    const DialogButtons b = AddDialogButtons(*this, *row, HelpContextBrowser, QStringLiteral("OKButton"),
        QStringLiteral("Cancelbutton"), QStringLiteral("Helpbutton"));
    OKButton = b.ok;
    Cancelbutton = b.cancel;
    Helpbutton = b.help;
    MouseHelpButton = b.mouseHelp;
    MouseHelpButton->setObjectName(QStringLiteral("MouseHelpButton"));
    connect(OKButton, &QPushButton::clicked, this, [this] {
        if (!SelectedFileName().isEmpty())
            RememberFolder();
        done(mrOk);
    });

    connect(CBStretch, &QCheckBox::clicked, this, [this] { CBStretchClick(); });
    connect(CBAutoSize, &QCheckBox::clicked, this, [this] { CBAutoSizeClick(); });
    // A mouse click makes a row current before it selects it, the keys do
    // both at once: the preview follows whichever comes last.
    connect(FileListBox1, &QListWidget::currentRowChanged, this, [this] { FileListBox1Change(); });
    connect(FileListBox1, &QListWidget::itemSelectionChanged, this, [this] { FileListBox1Change(); });
    // A single click opens the folder, as does Enter on it.
    connect(DirectoryListBox1, &QTreeView::clicked, this,
        [this](const QModelIndex& index) { SetFolder(folders->filePath(index)); });
    connect(DirectoryListBox1, &QTreeView::activated, this,
        [this](const QModelIndex& index) { SetFolder(folders->filePath(index)); });
    // The tree reads folders in the background: once the ones leading to
    // the listed folder are in, it can show that folder open and current.
    connect(folders, &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) {
        if (folder == loaded || folder.startsWith(loaded.endsWith('/') ? loaded : loaded + '/'))
            showFolderInTree();
    });
    connect(DriveList, &QComboBox::activated, this,
        [this](int i) { SetFolder(DriveList->itemData(i).toString()); });

    fillDrives();
    SetFolder(StartFolder());
    FileListBox1->setFocus();
    PlaceDialog(*this);
    unsetCursor();
}

void TGImageBrowser::fillDrives()
{
    // The user's places first, then every mounted file system a user keeps
    // files on.
    DriveList->addItem(QStringLiteral("Home (%1)").arg(QDir::homePath()), QDir::homePath());
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        DriveList->addItem(QStringLiteral("Pictures (%1)").arg(pictures), pictures);
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const QString root = volume.rootPath();
        const QByteArray type = volume.fileSystemType();
        if (type == "tmpfs" || type == "devtmpfs" || type == "proc" || type == "sysfs" || type == "overlay"
            || type == "squashfs" || root.startsWith(QLatin1String("/proc")) || root.startsWith(QLatin1String("/sys"))
            || root.startsWith(QLatin1String("/dev")) || root.startsWith(QLatin1String("/snap")))
            if (root != QLatin1String("/"))
                continue;
        const QString name = volume.displayName().isEmpty() ? root : volume.displayName();
        DriveList->addItem(name == root ? root : QStringLiteral("%1 (%2)").arg(name, root), root);
    }
}

QString TGImageBrowser::StartFolder()
{
    const QString last = ProfileFile(IniPath()).ReadString(sBrowser, kFolder);
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return pictures;
    return QDir::homePath();
}

void TGImageBrowser::RememberFolder() const
{
    try {
        ProfileFile(IniPath()).Update([this](ProfileFile& ini) { ini.WriteString(sBrowser, kFolder, folder); });
    } catch (const Exception&) {
        // A settings file that cannot be written only forgets the folder.
    }
}

bool TGImageBrowser::SetFolder(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir())
        return false;
    folder = QDir::cleanPath(info.absoluteFilePath());
    QDir::setCurrent(folder);
    PathEdit->setText(QDir::toNativeSeparators(folder));
    showFolderInTree();
    // The drive list follows the folder: the longest place that holds it.
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < DriveList->count(); ++i) {
        const QString root = DriveList->itemData(i).toString();
        const bool holds = folder == root || folder.startsWith(root.endsWith('/') ? root : root + '/');
        if (holds && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    if (best >= 0)
        DriveList->setCurrentIndex(best);
    fillFiles();
    return true;
}

void TGImageBrowser::showFolderInTree()
{
    const QModelIndex index = folders->index(folder);
    if (!index.isValid())
        return;
    // Opening the folders above it is scrollTo's part.
    DirectoryListBox1->setCurrentIndex(index);
    DirectoryListBox1->scrollTo(index);
    DirectoryListBox1->expand(index);
}

void TGImageBrowser::pathEntered()
{
    QString text = PathEdit->text().trimmed();
    if (text == QLatin1String("~") || text.startsWith(QLatin1String("~/")))
        text = QDir::homePath() + text.mid(1);
    if (SetFolder(text))
        return;
    // A picture's full name lists its folder and selects it.
    const QFileInfo file(text);
    if (file.isFile() && SetFolder(file.absolutePath()) && SelectFile(file.fileName()))
        return;
    Interaction::Current().Beep();
}

bool TGImageBrowser::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the path field goes to that folder instead of closing the
    // dialog with its default button.
    if (watched == PathEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            pathEntered();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TGImageBrowser::fillFiles()
{
    QSignalBlocker block(FileListBox1);
    FileListBox1->clear();
    QDir dir(folder);
    QStringList patterns;
    for (const QString& m : FileMask())
        patterns << m;
    dir.setNameFilters(patterns);
    dir.setFilter(QDir::Files | QDir::Readable);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    // The patterns match without regard to case (*.BMP finds logo.bmp).
    for (const QString& name : dir.entryList())
        FileListBox1->addItem(name);
    Image1->SetPicture(TPicture());
    previewed.clear();
}

QString TGImageBrowser::SelectedFileName() const
{
    // The list selects one row at most; a row that is only current (as the
    // list makes one on getting the focus) was not chosen.
    const QList<QListWidgetItem*> selected = FileListBox1->selectedItems();
    if (selected.isEmpty())
        return {};
    return QDir(folder).filePath(selected.first()->text());
}

bool TGImageBrowser::SelectFile(const QString& name)
{
    const auto found = FileListBox1->findItems(name, Qt::MatchFixedString);
    if (found.isEmpty())
        return false;
    FileListBox1->setCurrentItem(found.first());
    found.first()->setSelected(true);
    return true;
}

const TPicture& TGImageBrowser::PreviewPicture() const
{
    return Image1->Picture();
}

void TGImageBrowser::CBStretchClick()
{
    Image1->SetStretch(CBStretch->isChecked());
    if (CBStretch->isChecked())
        CBAutoSize->setChecked(false);
    Image1->SetAutoSize(CBAutoSize->isChecked());
    previewFits();
}

void TGImageBrowser::CBAutoSizeClick()
{
    Image1->SetAutoSize(CBAutoSize->isChecked());
    if (CBAutoSize->isChecked())
        CBStretch->setChecked(false);
    Image1->SetStretch(CBStretch->isChecked());
    previewFits();
}

void TGImageBrowser::previewFits()
{
    // The preview fills the scroll box unless it keeps the picture's size.
    ScrollBox1->setWidgetResizable(!CBAutoSize->isChecked());
    Image1->SetAutoSize(CBAutoSize->isChecked());
}

void TGImageBrowser::FileListBox1Change()
{
    if (previewing)
        return;
    previewing = true;
    // Loading may let events run; when the selection moved meanwhile, the
    // newly selected file is loaded next, so the preview ends on it.
    for (;;) {
        const QString path = SelectedFileName();
        if (path == previewed)
            break;
        previewed = path;
        if (path.isEmpty()) {
            Image1->SetPicture(TPicture());
            break;
        }
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const QString ext = QFileInfo(path).suffix().toUpper();
        bool report = false;
        try {
            if (ext == QLatin1String("ICO"))
                Image1->SetPicture(TPicture::FromBitmap(TPicture::IconToBitmap(Icon::FromFile(path))));
            else
                Image1->SetPicture(TPicture::LoadFromFile(path));
            // Let the hourglass and the new preview show.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        } catch (const Exception&) {
            Image1->SetPicture(TPicture());
            report = ext == QLatin1String("BMP") || ext == QLatin1String("WMF") || ext == QLatin1String("EMF")
                || ext == QLatin1String("PNG") || ext == QLatin1String("GIF") || ext == QLatin1String("WEBP")
                || ext == QLatin1String("SVG") || ext == QLatin1String("SVGZ");
        }
        QApplication::restoreOverrideCursor();
        if (report)
            Interaction::Current().ShowError(QStringLiteral("Error loading file!"));
    }
    previewing = false;
}

void TGImageBrowser::reject()
{
    done(mrCancel);
}

} // namespace bv
