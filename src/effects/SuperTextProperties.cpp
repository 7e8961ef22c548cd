#include "effects/SuperTextProperties.h"

#include "effects/EffectText.h"
#include "effects/SuperText.h"
#include "objects/ColorCombo.h"
#include "objects/DialogButtons.h"
#include "objects/GetSymbol.h"
#include "platform/DialogHooks.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "platform/Interaction.h"
#include "platform/Jpeg.h"
#include "platform/SymbolFonts.h"
#include "widgets/WhatsThis.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace bv {

namespace {
constexpr int HelpContextSuperText = 40014;
constexpr int HelpContextTexture = 40012;

QScrollArea* whiteBox(QWidget* parent, const char* name)
{
    auto* box = new QScrollArea(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setFrameShape(QFrame::Box);
    QPalette pal = box->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::Base, Qt::white);
    box->setPalette(pal);
    box->setBackgroundRole(QPalette::Base);
    box->setWidgetResizable(false);
    return box;
}

QComboBox* listCombo(QWidget* parent, const char* name, const QStringList& items, const QString& help)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->addItems(items);
    combo->setMaxVisibleItems(int(items.size()));
    combo->setWhatsThis(help);
    return combo;
}

TColorCombo* colourButton(QWidget* parent, const char* name, const QString& help)
{
    auto* button = new TColorCombo(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setWhatsThis(help);
    return button;
}

QSpinBox* spinner(QWidget* parent, const char* name, const QString& help)
{
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(0, 10);
    spin->setWhatsThis(help);
    return spin;
}

QFrame* surfacePanel(QWidget* parent, const char* name)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    // No bevel: exactly one of the panels shows under the surface list.
    panel->setFrameShape(QFrame::NoFrame);
    return panel;
}

bool isTextureFile(const QString& name)
{
    const QString suffix = QFileInfo(name).suffix().toUpper();
    return suffix == QLatin1String("BMP") || suffix == QLatin1String("JPG") || suffix == QLatin1String("JIF")
        || suffix == QLatin1String("ICO");
}

void setEditFontName(QLineEdit* edit, const QString& name)
{
    QFont f = edit->font();
    f.setFamily(SymbolFonts::DisplayFont(name));
    edit->setFont(f);
}
} // namespace

Dib LoadTexturePicture(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toUpper();
    if (suffix == QLatin1String("JPG") || suffix == QLatin1String("JIF"))
        return Jpeg::DecodeFile(path);
    if (suffix == QLatin1String("ICO")) {
        const QIcon icon(path);
        const QList<QSize> sizes = icon.availableSizes();
        if (sizes.isEmpty())
            throw EConvertError(QStringLiteral("Invalid icon"));
        QImage picture(sizes.first(), QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter p(&picture);
        icon.paint(&p, QRect(QPoint(0, 0), sizes.first()));
        p.end();
        return Dib::FromImage(picture);
    }
    return Dib::FromFile(path);
}

// --- texture browser ---------------------------------------------------------------------

TSuperTextBrushImageBrowser::TSuperTextBrushImageBrowser(const TGSuperText& sample, const QString& lastPath,
    QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("SuperTextBrushImageBrowser"));
    setWindowTitle(QStringLiteral("Load Texture Image"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(596, 285);

    auto* outer = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    outer->addLayout(row, 1);
    auto* lists = new QVBoxLayout;
    row->addLayout(lists, 1);
    DriveComboBox = new QComboBox(this);
    DriveComboBox->setObjectName(QStringLiteral("DriveComboBox"));
    DriveComboBox->setWhatsThis(QStringLiteral("Click here to select a drive"));
    for (const QFileInfo& drive : QDir::drives())
        DriveComboBox->addItem(drive.absoluteFilePath());
    lists->addWidget(DriveComboBox);
    auto* listRow = new QHBoxLayout;
    lists->addLayout(listRow, 1);
    DirectoryListBox = new QListWidget(this);
    DirectoryListBox->setObjectName(QStringLiteral("DirectoryListBox"));
    DirectoryListBox->setWhatsThis(QStringLiteral("Click here to select a directory"));
    listRow->addWidget(DirectoryListBox);
    FileListBox = new QListWidget(this);
    FileListBox->setObjectName(QStringLiteral("FileListBox"));
    FileListBox->setWhatsThis(QStringLiteral("Click here to select a file"));
    listRow->addWidget(FileListBox);

    example = std::make_unique<TGSuperText>();
    example->SetName(QStringLiteral("Example"));
    example->CopyTextSettings(sample);
    ExampleBox = whiteBox(this, "ExampleBox");
    ExampleView = new TEffectSample;
    ExampleView->SetSample(example.get());
    ExampleBox->setWidget(ExampleView);
    row->addWidget(ExampleBox, 1);

    auto* buttons = new QHBoxLayout;
    outer->addLayout(buttons);
    const DialogButtons b = AddDialogButtons(*this, *buttons, HelpContextTexture, QStringLiteral("OKButton"),
        QStringLiteral("Cancelbutton"), QStringLiteral("Helpbutton"));
    OKButton = b.ok;
    Cancelbutton = b.cancel;
    Helpbutton = b.help;
    MouseHelpButton = b.mouseHelp;
    OKButton->setWhatsThis(QStringLiteral("Click to accept and return to the previous screen"));
    Cancelbutton->setWhatsThis(QStringLiteral("Click to cancel and return to the previous screen"));
    Helpbutton->setWhatsThis(QStringLiteral("Click to bring up Windows Help for the program"));
    connect(OKButton, &QPushButton::clicked, this, [this] { done(mrOk); });

    connect(DriveComboBox, &QComboBox::activated, this,
        [this](int i) { SetFolder(DriveComboBox->itemText(i)); });
    connect(DirectoryListBox, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        SetFolder(QDir(folder).absoluteFilePath(item->data(Qt::UserRole).toString()));
    });
    connect(FileListBox, &QListWidget::currentRowChanged, this, [this](int) { loadSelected(); });

    if (!lastPath.isEmpty() && QFileInfo(lastPath).isFile()) {
        SetFolder(QFileInfo(lastPath).absolutePath());
        SelectFile(QFileInfo(lastPath).fileName());
    } else {
        SetFolder(StartFolder());
    }
    InstallWhatsThisMenus(this);
    FileListBox->setFocus();
    PlaceDialog(*this);
}

TSuperTextBrushImageBrowser::~TSuperTextBrushImageBrowser() = default;

QString TSuperTextBrushImageBrowser::StartFolder()
{
    const QString program = ProgramFolder();
    for (const char* sub : { "bmbrush", "Textures" }) {
        const QString candidate = program + QString::fromLatin1(sub);
        if (QFileInfo(candidate).isDir())
            return candidate;
    }
    return program;
}

void TSuperTextBrushImageBrowser::SetFolder(const QString& path)
{
    folder = QDir(path).absolutePath();
    fillLists();
}

void TSuperTextBrushImageBrowser::fillLists()
{
    const QSignalBlocker block(FileListBox);
    DirectoryListBox->clear();
    FileListBox->clear();
    const QDir dir(folder);
    if (!dir.isRoot()) {
        auto* up = new QListWidgetItem(QStringLiteral(".."), DirectoryListBox);
        up->setData(Qt::UserRole, QStringLiteral(".."));
    }
    for (const QString& sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto* item = new QListWidgetItem(sub, DirectoryListBox);
        item->setData(Qt::UserRole, sub);
    }
    for (const QString& file : dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase))
        if (isTextureFile(file))
            FileListBox->addItem(file);
}

QString TSuperTextBrushImageBrowser::SelectedPath() const
{
    const QListWidgetItem* item = FileListBox->currentItem();
    return item ? QDir(folder).absoluteFilePath(item->text()) : QString();
}

void TSuperTextBrushImageBrowser::SelectFile(const QString& fileName)
{
    const QList<QListWidgetItem*> found = FileListBox->findItems(fileName, Qt::MatchFixedString);
    if (!found.isEmpty())
        FileListBox->setCurrentItem(found.first());
}

void TSuperTextBrushImageBrowser::loadSelected()
{
    const QString path = SelectedPath();
    if (path.isEmpty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Dib picture;
    bool failed = false;
    try {
        picture = LoadTexturePicture(path);
    } catch (const Exception&) {
        failed = true;
    }
    QApplication::restoreOverrideCursor();
    // A picture that cannot be read leaves the example without a texture.
    example->SetImage(picture);
    if (failed && QFileInfo(path).suffix().compare(QLatin1String("BMP"), Qt::CaseInsensitive) == 0)
        Interaction::Current().ShowInfo(QStringLiteral("Error loading file!"), QStringLiteral("Information"));
    example->SetLayoutNeeded();
    ExampleView->Refresh();
}

void TSuperTextBrushImageBrowser::reject()
{
    done(mrCancel);
}

// --- properties dialog ------------------------------------------------------------------

TSuperTextProperties::TSuperTextProperties(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SuperTextProperties"));
    setWindowTitle(QStringLiteral("SuperText Properties"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(582, 423);

    sample = std::make_unique<TGSuperText>();
    sample->SetName(QStringLiteral("Sample"));
    sample->SetBounds(0, 0, 100, 100);

    auto* outer = new QVBoxLayout(this);
    SampleBox = whiteBox(this, "SampleBox");
    SampleView = new TEffectSample;
    SampleView->setObjectName(QStringLiteral("SampleView"));
    SampleView->SetSample(sample.get());
    SampleBox->setWidget(SampleView);
    outer->addWidget(SampleBox, 1);

    auto* textRow = new QHBoxLayout;
    outer->addLayout(textRow);
    textRow->addWidget(new QLabel(QStringLiteral("Text"), this));
    CaptionText = new QLineEdit(this);
    CaptionText->setObjectName(QStringLiteral("CaptionText"));
    CaptionText->setWhatsThis(QStringLiteral("Enter the text here"));
    textRow->addWidget(CaptionText, 1);
    Fontbutton = new QPushButton(QStringLiteral("Select Font"), this);
    Fontbutton->setObjectName(QStringLiteral("Fontbutton"));
    Fontbutton->setWhatsThis(QStringLiteral("Click here to change the font"));
    textRow->addWidget(Fontbutton);
    SelectSymbolbutton = new QPushButton(QStringLiteral("Select Symbol"), this);
    SelectSymbolbutton->setObjectName(QStringLiteral("SelectSymbolbutton"));
    SelectSymbolbutton->setWhatsThis(
        QStringLiteral("Click here to select a symbol from one of the Windows symbol fonts (Wingdings, etc)"));
    textRow->addWidget(SelectSymbolbutton);
    RapidChangeFontSize = new TUpDownButtons(this);
    RapidChangeFontSize->setObjectName(QStringLiteral("RapidChangeFontSize"));
    RapidChangeFontSize->setWhatsThis(
        QStringLiteral("Click the up or down arrow to increase or decrease the font size by 5 points"));
    textRow->addWidget(RapidChangeFontSize);
    for (QPushButton* b : { Fontbutton, SelectSymbolbutton })
        b->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(2);
    outer->addLayout(grid);
    // Surface.
    grid->addWidget(new QLabel(QStringLiteral("Surface Type"), this), 0, 0);
    SurfaceTypeCombo = new QListWidget(this);
    SurfaceTypeCombo->setObjectName(QStringLiteral("SurfaceTypeCombo"));
    SurfaceTypeCombo->addItems({ "Normal", "Transparent", "Texture", "Gradient Fill" });
    SurfaceTypeCombo->setWhatsThis(QStringLiteral("Select the surface type"));
    SurfaceTypeCombo->setFixedHeight(4 * SurfaceTypeCombo->sizeHintForRow(0) + 6);
    SurfaceTypeCombo->setFixedWidth(110);
    grid->addWidget(SurfaceTypeCombo, 1, 0, 5, 1, Qt::AlignTop);

    GradientPanel = surfacePanel(this, "GradientPanel");
    {
        auto* g = new QVBoxLayout(GradientPanel);
        g->setContentsMargins(0, 0, 0, 0);
        g->setSpacing(2);
        FillDirectionCombo = listCombo(GradientPanel, "FillDirectionCombo", { "Up", "Down", "Left", "Right" },
            QStringLiteral("Set the direction of the gradient fill from one of these options"));
        GradientFromcolorButton = colourButton(GradientPanel, "GradientFromcolorButton",
            QStringLiteral("Click here to set the 'From' gradient color"));
        GradientToColorButton = colourButton(GradientPanel, "GradientToColorButton",
            QStringLiteral("Click here to set the 'To' gradient color"));
        g->addWidget(new QLabel(QStringLiteral("Fill Direction"), GradientPanel));
        g->addWidget(FillDirectionCombo);
        g->addWidget(new QLabel(QStringLiteral("From Color"), GradientPanel));
        g->addWidget(GradientFromcolorButton);
        g->addWidget(new QLabel(QStringLiteral("To Color"), GradientPanel));
        g->addWidget(GradientToColorButton);
    }
    TexturePanel = surfacePanel(this, "TexturePanel");
    {
        auto* g = new QVBoxLayout(TexturePanel);
        g->setContentsMargins(0, 0, 0, 0);
        LoadImageButton = new QPushButton(QStringLiteral("Load Texture"), TexturePanel);
        LoadImageButton->setObjectName(QStringLiteral("LoadImageButton"));
        LoadImageButton->setAutoDefault(false);
        LoadImageButton->setWhatsThis(
            QStringLiteral("Click here to browse/load a new image for the texture surface"));
        g->addWidget(LoadImageButton);
        g->addStretch();
    }
    FontColorPanel = surfacePanel(this, "FontColorPanel");
    {
        auto* g = new QVBoxLayout(FontColorPanel);
        g->setContentsMargins(0, 0, 0, 0);
        g->addWidget(new QLabel(QStringLiteral("Font Color"), FontColorPanel));
        FontColorButton = colourButton(FontColorPanel, "FontColorButton",
            QStringLiteral("Click here to set the font color"));
        g->addWidget(FontColorButton);
        g->addStretch();
    }
    for (QFrame* panel : { GradientPanel, TexturePanel, FontColorPanel })
        grid->addWidget(panel, 0, 1, 6, 1, Qt::AlignTop);

    // Shadow.
    grid->addWidget(new QLabel(QStringLiteral("Shadow Color"), this), 0, 2);
    ShadowColorButton = colourButton(this, "ShadowColorButton", QStringLiteral("Click here to set the shadow color"));
    grid->addWidget(ShadowColorButton, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Shadow Orientation"), this), 2, 2);
    ShadowOrientationCombo = listCombo(this, "ShadowOrientationCombo",
        { "None", "Right", "Left", "Down and Right", "Down and Left", "Down" },
        QStringLiteral("Set the shadow orientation"));
    grid->addWidget(ShadowOrientationCombo, 3, 2);
    grid->addWidget(new QLabel(QStringLiteral("Shadow Depth"), this), 4, 2);
    ShadowDepthSpinner = spinner(this, "ShadowDepthSpinner", QStringLiteral("Set the depth (in pixels) of the shadow"));
    grid->addWidget(ShadowDepthSpinner, 5, 2);

    // Outline.
    grid->addWidget(new QLabel(QStringLiteral("Outline Color"), this), 0, 3);
    OutlineColorButton = colourButton(this, "OutlineColorButton", QStringLiteral("Click here to set the outline color"));
    grid->addWidget(OutlineColorButton, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("OutLine Style"), this), 2, 3);
    OutlineStyleCombo = listCombo(this, "OutlineStyleCombo",
        { "Solid Line", "Dash Line", "Dotted Line", "DashDot Line", "DashDotDot Line", "Clear" },
        QStringLiteral("Select the style of outline.\n\nNOTE: If the width of the outline is more than 1, the style "
                       "will always be solid."));
    grid->addWidget(OutlineStyleCombo, 3, 3);
    grid->addWidget(new QLabel(QStringLiteral("Outline Width"), this), 4, 3);
    OutLineWidthSpinner = spinner(this, "OutLineWidthSpinner", QStringLiteral("Select the width of the outline"));
    grid->addWidget(OutLineWidthSpinner, 5, 3);

    auto* buttons = new QHBoxLayout;
    outer->addLayout(buttons);
    const DialogButtons b = AddDialogButtons(*this, *buttons, HelpContextSuperText, QStringLiteral("OKButton"),
        QStringLiteral("Cancelbutton"), QStringLiteral("Helpbutton"));
    OKButton = b.ok;
    Cancelbutton = b.cancel;
    Helpbutton = b.help;
    MouseHelpButton = b.mouseHelp;
    OKButton->setWhatsThis(QStringLiteral("Click to accept and return to the previous screen"));
    Cancelbutton->setWhatsThis(QStringLiteral("Click to cancel and return to the previous screen"));
    Helpbutton->setWhatsThis(QStringLiteral("Click to bring up Windows Help for the program"));
    connect(OKButton, &QPushButton::clicked, this, &TSuperTextProperties::OKButtonClick);

    // Every control acts on the sample at once.
    connect(CaptionText, &QLineEdit::textEdited, this, [this](const QString& text) {
        sample->SetCaption(text);
        sample->SetLayoutNeeded();
        captionChanged = true;
    });
    connect(SurfaceTypeCombo, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            ChooseSurface(row);
    });
    connect(FontColorButton, &TColorCombo::ColorChosen, this, [this](TColor c) {
        TFont f = sample->Font();
        f.Color = c;
        sample->SetFont(f);
        sampleChanged();
    });
    connect(FillDirectionCombo, &QComboBox::activated, this, [this](int i) {
        sample->SetFillDirection(TFillDirection(i));
        sampleChanged();
    });
    connect(GradientFromcolorButton, &TColorCombo::ColorChosen, this, [this](TColor c) {
        sample->SetGradientFromColor(c);
        sampleChanged();
    });
    connect(GradientToColorButton, &TColorCombo::ColorChosen, this, [this](TColor c) {
        sample->SetGradientToColor(c);
        sampleChanged();
    });
    connect(LoadImageButton, &QPushButton::clicked, this, &TSuperTextProperties::LoadImageButtonClick);
    connect(ShadowColorButton, &TColorCombo::ColorChosen, this, [this](TColor c) {
        sample->SetShadowColor(c);
        sampleChanged();
    });
    connect(ShadowOrientationCombo, &QComboBox::activated, this, [this](int i) {
        sample->SetShadowOrientation(TShadowOrientation(i));
        sampleChanged();
    });
    connect(ShadowDepthSpinner, &QSpinBox::valueChanged, this, [this](int v) {
        sample->SetShadowDepth(v);
        sampleChanged();
    });
    connect(OutlineColorButton, &TColorCombo::ColorChosen, this, [this](TColor c) {
        sample->SetOutlineColor(c);
        sampleChanged();
    });
    connect(OutlineStyleCombo, &QComboBox::activated, this, [this](int i) {
        sample->SetOutlineStyle(TPenStyle(i));
        sampleChanged();
    });
    connect(OutLineWidthSpinner, &QSpinBox::valueChanged, this, [this](int v) {
        sample->SetOutlineWidth(v);
        sampleChanged();
    });
    connect(Fontbutton, &QPushButton::clicked, this, [this] {
        const std::optional<TFont> chosen = ChooseEffectFont(sample->Font());
        if (!chosen)
            return;
        sample->ApplyFont(*chosen);
        fitSample();
        setEditFontName(CaptionText, sample->Font().Name);
    });
    connect(RapidChangeFontSize, &TUpDownButtons::Stepped, this, &TSuperTextProperties::StepFontSize);
    connect(SelectSymbolbutton, &QPushButton::clicked, this, &TSuperTextProperties::SelectSymbol);

    // Typing resizes the sample at most once a tick.
    RefreshTimer = new QTimer(this);
    RefreshTimer->setInterval(200);
    connect(RefreshTimer, &QTimer::timeout, this, &TSuperTextProperties::RefreshTick);
    RefreshTimer->start();

    showPanels();
    InstallWhatsThisMenus(this);
    CaptionText->setFocus();
    PlaceDialog(*this);
}

TSuperTextProperties::~TSuperTextProperties() = default;

void TSuperTextProperties::ShowSampleValues()
{
    const QSignalBlocker b1(SurfaceTypeCombo);
    const QSignalBlocker b2(ShadowDepthSpinner);
    const QSignalBlocker b3(OutLineWidthSpinner);
    CaptionText->setText(sample->Caption());
    setEditFontName(CaptionText, sample->Font().Name);
    SurfaceTypeCombo->setCurrentRow(int(sample->SurfaceType()));
    FontColorButton->SetColor(sample->Font().Color);
    FillDirectionCombo->setCurrentIndex(int(sample->FillDirection()));
    GradientFromcolorButton->SetColor(sample->GradientFromColor());
    GradientToColorButton->SetColor(sample->GradientToColor());
    ShadowColorButton->SetColor(sample->ShadowColor());
    ShadowOrientationCombo->setCurrentIndex(int(sample->ShadowOrientation()));
    ShadowDepthSpinner->setValue(sample->ShadowDepth());
    OutlineColorButton->SetColor(sample->OutlineColor());
    OutlineStyleCombo->setCurrentIndex(int(sample->OutlineStyle()));
    OutLineWidthSpinner->setValue(sample->OutlineWidth());
    if (sample->Image().Width() > 0)
        lastUsedTexture = sample->Image();
    showPanels();
    sampleChanged();
}

void TSuperTextProperties::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!shown) {
        shown = true;
        ShowSampleValues();
    }
    CaptionText->setFocus();
}

void TSuperTextProperties::showPanels()
{
    const auto type = sample->SurfaceType();
    GradientPanel->setVisible(type == TGSuperText::stGradientFill);
    TexturePanel->setVisible(type == TGSuperText::stBrushImage);
    FontColorPanel->setVisible(type == TGSuperText::stNormal);
}

void TSuperTextProperties::ChooseSurface(int index)
{
    if (index < 0 || index > TGSuperText::stGradientFill)
        return;
    sample->SetSurfaceType(TGSuperText::TSurfaceType(index));
    // The texture seen last in this opening comes back with the surface.
    if (sample->SurfaceType() == TGSuperText::stBrushImage)
        sample->SetImage(lastUsedTexture);
    fitSample();
    showPanels();
}

void TSuperTextProperties::LoadImageButtonClick()
{
    const QString savedFolder = QDir::currentPath();
    {
        TSuperTextBrushImageBrowser browser(*sample, lastTexturePath, this);
        if (Interaction::Current().RunModal(browser) == mrOk) {
            sample->SetImage(browser.Example()->Image());
            lastUsedTexture = browser.Example()->Image();
            lastTexturePath = browser.SelectedPath();
        }
    }
    if (!QDir::setCurrent(savedFolder))
        throw EFOpenError(QStringLiteral("Cannot return to the folder %1").arg(savedFolder));
    fitSample();
}

void TSuperTextProperties::SelectSymbol()
{
    TGetSymbol selector;
    selector.SetSelectedFont(sample->Font());
    selector.SetListFontNameAndStyle(sample->Font());
    const int code = sample->Caption().isEmpty() ? -1 : SymbolFonts::CodeOf(sample->Caption().at(0));
    selector.SetSelectedIndex(code < 32 ? -1 : code - 32);
    if (Interaction::Current().RunModal(selector) != mrOk || selector.SelectedIndex() < 0)
        return;
    const QString symbol(SymbolFonts::CharOfCode(selector.SelectedIndex() + 32));
    CaptionText->setText(symbol);
    sample->SetCaption(symbol);
    TFont f = sample->Font();
    f.Name = selector.SelectedFont().Name;
    sample->ApplyFont(f);
    fitSample();
    setEditFontName(CaptionText, f.Name);
}

void TSuperTextProperties::StepFontSize(bool up)
{
    TFont f = sample->Font();
    const int size = SteppedFontSize(f.Size(), up);
    if (size != f.Size()) {
        f.SetSize(size);
        sample->ApplyFont(f);
    }
    fitSample();
}

void TSuperTextProperties::RefreshTick()
{
    RefreshTimer->stop();
    if (captionChanged)
        fitSample();
    captionChanged = false;
    RefreshTimer->start();
}

void TSuperTextProperties::fitSample()
{
    sample->SetLayoutNeeded();
    sample->FitToText();
    sampleChanged();
}

void TSuperTextProperties::sampleChanged()
{
    SampleView->Refresh();
}

void TSuperTextProperties::OKButtonClick()
{
    if (CaptionText->text().isEmpty()) {
        Interaction::Current().ShowInfo(QStringLiteral("Please enter some text"), QStringLiteral("Information"));
        CaptionText->setFocus();
        return;
    }
    done(mrOk);
}

void TSuperTextProperties::reject()
{
    done(mrCancel);
}

} // namespace bv
