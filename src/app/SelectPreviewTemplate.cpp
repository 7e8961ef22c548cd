#include "app/SelectPreviewTemplate.h"

#include "document/CardDocument.h"
#include "app/FontListBox.h"
#include "objects/DialogButtons.h"
#include "platform/Environment.h"
#include "platform/Interaction.h"
#include "surface/BusinessCardPanel.h"
#include "surface/CommandGuard.h"

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

namespace bv {

namespace {
// A sample refresh is running somewhere in the program: a click that comes
// in while it lets pending events run does not start another.
bool refreshRunning = false;

class RefreshScope {
public:
    RefreshScope()
    {
        refreshRunning = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~RefreshScope()
    {
        QApplication::restoreOverrideCursor();
        refreshRunning = false;
    }
    RefreshScope(const RefreshScope&) = delete;
    RefreshScope& operator=(const RefreshScope&) = delete;
};
} // namespace

TSelectPreviewTemplate::TSelectPreviewTemplate(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SelectPreviewTemplate"));
    setWindowTitle(QStringLiteral("Select Business Card Template"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    setFixedSize(589, 424);

    Label1 = new QLabel(QStringLiteral("Select Template"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    FileListBox1 = new QListWidget(this);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setWhatsThis(QStringLiteral("The card templates. Click one to see it in the sample."));
    Label1->setBuddy(FileListBox1);
    Label2 = new QLabel(QStringLiteral("Select Font"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    FontListBox1 = new TFontListBoxx(this);
    FontListBox1->setObjectName(QStringLiteral("FontListBox1"));
    FontListBox1->setWhatsThis(QStringLiteral("The font every text of the new card will have."));
    Label2->setBuddy(FontListBox1);

    Label3 = new QLabel(QStringLiteral("Sample"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setWhatsThis(QStringLiteral("The chosen template as the new card will look."));
    ScrollBox1->setAlignment(Qt::AlignCenter);
    BusinessCardPanel = new TGBusinessCardPanel32;
    BusinessCardPanel->setObjectName(QStringLiteral("BusinessCardPanel"));
    // A sample, not a design: no editing, and the program's clipboard files
    // are not its to remove.
    BusinessCardPanel->setEnabled(false);
    BusinessCardPanel->SetDeletesTemporaryFiles(false);
    BusinessCardPanel->SetShape(lsRectangle);
    BusinessCardPanel->SetDrawOutline(true);
    ScrollBox1->setWidget(BusinessCardPanel);

    auto* left = new QVBoxLayout;
    left->addWidget(Label1);
    left->addWidget(FileListBox1, 1);
    left->addWidget(Label2);
    left->addWidget(FontListBox1, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(Label3);
    right->addWidget(ScrollBox1, 1);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 0);
    top->addLayout(right, 1);
    FileListBox1->setFixedWidth(190);
    FontListBox1->setFixedWidth(190);

    auto* buttons = new QHBoxLayout;
    const DialogButtons b = AddDialogButtons(*this, *buttons, 2201, QStringLiteral("OkButton"),
        QStringLiteral("CancelButton"), QStringLiteral("HelpButton"));
    OkButton = b.ok;
    CancelButton = b.cancel;
    HelpButton = b.help;
    HelpButton->setText(QStringLiteral("&Help"));
    MouseHelpButton = b.mouseHelp;
    connect(OkButton, &QPushButton::clicked, this, [this] { done(mrOk); });

    auto* all = new QVBoxLayout(this);
    all->addLayout(top, 1);
    all->addLayout(buttons);

    folder = ProgramFolder() + QStringLiteral("qrdt/");
    QDir dir(folder);
    dir.setNameFilters({ QStringLiteral("*.qrdt") });
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    FileListBox1->addItems(dir.entryList());
    if (FileListBox1->count() > 0) {
        FileListBox1->setCurrentRow(0);
        SelectedFile = folder + FileListBox1->item(0)->text();
    }
    FontListBox1->Fill();
    // The font list starts on the row of the font the sample is drawn in
    // (the system may draw the chosen name with a family of another name).
    for (const QString& name : { SelectedFont, QFontInfo(QFont(SelectedFont)).family() }) {
        const QList<QListWidgetItem*> rows = FontListBox1->findItems(name, Qt::MatchFixedString);
        if (!rows.isEmpty()) {
            FontListBox1->setCurrentItem(rows.first());
            break;
        }
    }

    connect(FileListBox1, &QListWidget::itemClicked, this, [this] { FileListBox1Click(); });
    connect(FontListBox1, &QListWidget::itemClicked, this, [this] { FontListBox1Click(); });
    FileListBox1->installEventFilter(this);
    FontListBox1->installEventFilter(this);
}

TSelectPreviewTemplate::~TSelectPreviewTemplate() = default;

void TSelectPreviewTemplate::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (activated)
        return;
    activated = true;
    // The sample is built once the dialog is on the screen.
    QTimer::singleShot(0, this, [this] { LoadFromIni(); });
}

bool TSelectPreviewTemplate::eventFilter(QObject* watched, QEvent* event)
{
    const bool templates = watched == FileListBox1;
    if ((templates || watched == FontListBox1)
        && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        auto* key = static_cast<QKeyEvent*>(event);
        bool& held = templates ? templateKeyHeld : fontKeyHeld;
        if (event->type() == QEvent::KeyPress) {
            held = true;
        } else if (!key->isAutoRepeat()) {
            // The list moves its selection on the press; the sample follows
            // once the key is let go.
            QTimer::singleShot(0, this, [this, templates] {
                (templates ? templateKeyHeld : fontKeyHeld) = false;
                if (templates)
                    FileListBox1Click();
                else
                    FontListBox1Click();
            });
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TSelectPreviewTemplate::FileListBox1Click()
{
    if (QListWidgetItem* item = FileListBox1->currentItem())
        SelectedFile = folder + item->text();
    LoadFromIni();
}

void TSelectPreviewTemplate::FontListBox1Click()
{
    const QString name = FontListBox1->SelectedFont();
    if (!name.isEmpty())
        SelectedFont = name;
    LoadFromIni();
}

void TSelectPreviewTemplate::LoadFromIni()
{
    if (templateKeyHeld || fontKeyHeld || refreshRunning)
        return;
    RefreshScope scope;
    RunCommand([this] { refreshSample(); });
}

void TSelectPreviewTemplate::refreshSample()
{
    ++refreshes;
    BusinessCardPanel->ClearAll();
    BusinessCardPanel->ClearBackground();
    BusinessCardPanel->RepaintCard();
    QCoreApplication::processEvents();
    if (SelectedFile.isEmpty())
        return;
    const QString background = TemplateBackgroundPath(BusinessCardPanel->ImportTemplate(SelectedFile));
    RedrawWithFont();
    if (!background.isEmpty()) {
        BusinessCardPanel->LoadBackground(background);
        BusinessCardPanel->RepaintCard();
    }
    TCardLayout size;
    size.Width = CardWidth;
    size.Height = CardHeight;
    SetCardSizeFromInches(BusinessCardPanel->Model(), size);
    BusinessCardPanel->RepaintCard();
}

void TSelectPreviewTemplate::RedrawWithFont()
{
    BusinessCardPanel->SetAllFontNames(SelectedFont);
}

void TSelectPreviewTemplate::reject()
{
    done(mrCancel);
}

QString TemplateBackgroundPath(const QString& nameInTemplate)
{
    QString name = nameInTemplate.trimmed();
    name = name.mid(std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\'))) + 1).trimmed();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return {};
    return ProgramFolder() + QStringLiteral("bg/") + name;
}

QString StartDesignFromTemplate(TDesignModel& design, const QString& templatePath, const QString& fontName,
    TCardLayout& layout)
{
    const QString backgroundFile = TemplateBackgroundPath(design.ImportTemplate(templatePath));
    design.SetAllFontNames(fontName);
    if (!backgroundFile.isEmpty()) {
        design.LoadBackground(backgroundFile);
        design.RepaintCard();
    }
    layout.Portrait = design.Rotated();
    return backgroundFile;
}

} // namespace bv
