#include "effects/SuperShapeProperties.h"

#include "effects/SuperShape.h"
#include "objects/ColorCombo.h"
#include "objects/DialogButtons.h"
#include "platform/DialogHooks.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "platform/Interaction.h"
#include "platform/Jpeg.h"
#include "widgets/WhatsThis.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStorageInfo>
#include <QToolButton>

namespace bv {

namespace {
constexpr int HelpContextProperties = 40011;
constexpr int HelpContextBrowser = 40012;

QFrame* groupPanel(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setGeometry(geometry);
    return panel;
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

QSpinBox* spin(QWidget* parent, const char* name, int min, int max, int step, const QString& help)
{
    auto* s = new QSpinBox(parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(min, max);
    s->setSingleStep(step);
    s->setWhatsThis(help);
    return s;
}

TColorCombo* colourCombo(QWidget* parent, const char* name, const QString& help)
{
    auto* c = new TColorCombo(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setWhatsThis(help);
    return c;
}

// Rows of caption and control in a panel.
void rows(QFrame* panel, const QList<QPair<QString, QWidget*>>& items)
{
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(8, 6, 8, 6);
    int row = 0;
    for (const auto& [text, control] : items) {
        if (!text.isEmpty())
            grid->addWidget(new QLabel(text, panel), row, 0);
        grid->addWidget(control, row, 1);
        ++row;
    }
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
}

QScrollArea* whiteScrollBox(QWidget* parent, const char* name, TShapeSampleArea*& area)
{
    auto* box = new QScrollArea(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setWidgetResizable(false);
    QPalette pal = box->palette();
    pal.setColor(QPalette::Window, Qt::white);
    box->setPalette(pal);
    box->setBackgroundRole(QPalette::Window);
    area = new TShapeSampleArea;
    box->setWidget(area);
    return box;
}

// The texture of a file, or the empty picture; bitmaps that cannot be read
// say so.
Dib loadTexture(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toUpper();
    try {
        if (ext == QLatin1String("BMP"))
            return Dib::FromFile(path);
        if (ext == QLatin1String("ICO")) {
            const QImage icon(path);
            if (icon.isNull())
                return Dib();
            QImage bitmap(icon.size(), QImage::Format_RGB32);
            bitmap.fill(Qt::white);
            QPainter p(&bitmap);
            p.drawImage(0, 0, icon);
            p.end();
            return Dib::FromImage(bitmap);
        }
        if (ext == QLatin1String("JPG") || ext == QLatin1String("JIF"))
            return Jpeg::DecodeFile(path);
    } catch (const Exception&) {
        if (ext == QLatin1String("BMP") || ext == QLatin1String("WMF"))
            Interaction::Current().ShowError(QStringLiteral("Error loading file!"));
    }
    return Dib();
}
} // namespace

// --- sample area ------------------------------------------------------------------------------

TShapeSampleArea::TShapeSampleArea(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void TShapeSampleArea::SetShape(TSuperShape* value)
{
    shape = value;
    Refresh();
}

void TShapeSampleArea::Refresh()
{
    if (shape)
        resize(std::max(shape->Width() + 20, 20), std::max(shape->Height() + 20, 20));
    update();
}

void TShapeSampleArea::paintEvent(QPaintEvent*)
{
    if (!shape)
        return;
    QPainter p(this);
    p.setClipRect(QRect(10, 10, shape->Width(), shape->Height()));
    shape->PaintAt(p, 10, 10);
}

// --- shipped textures ---------------------------------------------------------------------------

QStringList ShippedTextureNames()
{
    return QDir(QStringLiteral(":/bmbrush")).entryList(QDir::Files, QDir::Name);
}

QString BrushFolder()
{
    const QString path = ProgramFolder() + QStringLiteral("bmbrush/");
    QDir().mkpath(path);
    for (const QString& name : ShippedTextureNames()) {
        const QString target = path + name;
        if (QFileInfo::exists(target))
            continue;
        // A copy from the resources is read-only; the user's folder is not.
        if (QFile::copy(QStringLiteral(":/bmbrush/") + name, target))
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    return path;
}

// --- properties dialog ---------------------------------------------------------------------------

TSuperShapeProperties::TSuperShapeProperties(TSuperShape& edited, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SuperShapeProperties"));
    setWindowTitle(QStringLiteral("Super Shape Properties"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(592, 393);

    sample = std::make_unique<TSuperShape>();
    sample->SetName(QStringLiteral("SampleShape"));
    sample->SetBounds(0, 0, 96, 96);
    sample->CopyShapeSettings(edited);
    lastTexturePath = edited.LastBitmapFileNameandPath();
    lastUsedTexture = sample->Image();

    // Shape and surface selectors.
    auto* selectors = groupPanel(this, "SelectorPanel", QRect(8, 8, 282, 68));
    ShapeCombo = listCombo(selectors, "ShapeCombo",
        { "Rectangle", "Round Rectangle", "Ellipse", "Diamond", "Star", "Triangle Left", "Triangle Right",
            "Triangle Up", "Triangle Down" },
        QStringLiteral("Set the shape of the SuperShape"));
    SurfaceTypeCombo = listCombo(selectors, "SurfaceTypeCombo", { "Transparent", "Solid", "Texture", "Gradient Fill" },
        QStringLiteral("Select the surface type"));
    rows(selectors, { { QStringLiteral("Shape"), ShapeCombo }, { QStringLiteral("Surface Type"), SurfaceTypeCombo } });

    // The settings panels share one place under the selectors; the star
    // panel's place is where they all go, without their bevels.
    const QRect settingsPlace(8, 82, 282, 104);
    StarPanel = groupPanel(this, "StarPanel", settingsPlace);
    PointsOnStar = spin(StarPanel, "PointsOnStar", 5, 20, 1,
        QStringLiteral("Set the number of outward pointing points for the star"));
    PercentinVector = spin(StarPanel, "PercentinVector", 0, 90, 5,
        QStringLiteral("Set the Percent of Inward Vector here.\n\nA star shape has points going out and points "
                       "coming in. Use this to set the percentage of the star's radius that the inward points "
                       "(vectors) are pointing in.\n\nHaving said that, its best just to experiment and see which "
                       "effect you like best."));
    rows(StarPanel, { { QStringLiteral("Points On Star"), PointsOnStar },
                        { QStringLiteral("% of Inward Vector"), PercentinVector } });

    RoundRectPanel = groupPanel(this, "RoundRectPanel", settingsPlace);
    RoundPercent = spin(RoundRectPanel, "RoundPercent", 0, 90, 5,
        QStringLiteral("Set the percentage of roundness of the round rectangle"));
    rows(RoundRectPanel, { { QStringLiteral("Round Percentage"), RoundPercent } });

    SolidPanel = groupPanel(this, "SolidPanel", settingsPlace);
    BackGroundColorCombo = colourCombo(SolidPanel, "BackGroundColorCombo", QStringLiteral("Select a background color"));
    rows(SolidPanel, { { QStringLiteral("Background Color"), BackGroundColorCombo } });

    GradientPanel = groupPanel(this, "GradientPanel", settingsPlace);
    FillDirectionCombo = listCombo(GradientPanel, "FillDirectionCombo", { "Up", "Down", "Left", "Right" },
        QStringLiteral("Set the direction of the gradient fill from one of these options"));
    BackGroundColorCombo2 = colourCombo(GradientPanel, "BackGroundColorCombo2",
        QStringLiteral("Select a FROM color for the gradient fill"));
    GradientToColorCombo = colourCombo(GradientPanel, "GradientToColorCombo",
        QStringLiteral("Select a TO color for the gradient fill"));
    rows(GradientPanel, { { QStringLiteral("Fill Direction"), FillDirectionCombo },
                            { QStringLiteral("From Color"), BackGroundColorCombo2 },
                            { QStringLiteral("To Color"), GradientToColorCombo } });

    TexturePanel = groupPanel(this, "TexturePanel", settingsPlace);
    LoadImageButton = new QPushButton(QStringLiteral("Load Texture"), TexturePanel);
    LoadImageButton->setObjectName(QStringLiteral("LoadImageButton"));
    LoadImageButton->setAutoDefault(false);
    LoadImageButton->setWhatsThis(QStringLiteral("Click here to browse/load a new image for the texture surface"));
    rows(TexturePanel, { { QString(), LoadImageButton } });
    for (QFrame* panel : { StarPanel, RoundRectPanel, SolidPanel, GradientPanel, TexturePanel })
        panel->setFrameShape(QFrame::NoFrame);

    // Shadow and outline.
    auto* shadowPanel = groupPanel(this, "ShadowPanel", QRect(298, 8, 286, 86));
    ShadowColorCombo = colourCombo(shadowPanel, "ShadowColorCombo", QStringLiteral("Set the color of the shadow"));
    ShadowOrientationCombo = listCombo(shadowPanel, "ShadowOrientationCombo",
        { "None", "Lower Right", "Upper Right", "Upper Left", "Lower Left" },
        QStringLiteral("Set the shadow orientation"));
    ShadowDepthSpinner = spin(shadowPanel, "ShadowDepthSpinner", 0, 10, 1,
        QStringLiteral("Set the depth (in pixels) of the shadow"));
    rows(shadowPanel, { { QStringLiteral("Shadow Color"), ShadowColorCombo },
                          { QStringLiteral("Shadow Orientation"), ShadowOrientationCombo },
                          { QStringLiteral("Shadow Depth"), ShadowDepthSpinner } });

    auto* outlinePanel = groupPanel(this, "OutlinePanel", QRect(298, 100, 286, 86));
    OutlineColorCombo = colourCombo(outlinePanel, "OutlineColorCombo", QStringLiteral("Select the outline (border) color"));
    OutlineStyleCombo = listCombo(outlinePanel, "OutlineStyleCombo",
        { "Solid Line", "Dash Line", "Dotted Line", "DashDot Line", "DashDotDot Line", "Clear" },
        QStringLiteral("Select the style of outline.\n\nNOTE: If the width of the outline is more than 1, the style "
                       "will always be solid."));
    OutLineWidthSpinner = spin(outlinePanel, "OutLineWidthSpinner", 0, 10, 1,
        QStringLiteral("Select the width of the outline"));
    rows(outlinePanel, { { QStringLiteral("Outline Color"), OutlineColorCombo },
                           { QStringLiteral("OutLine Style"), OutlineStyleCombo },
                           { QStringLiteral("Outline Width"), OutLineWidthSpinner } });

    // Sample.
    auto* sampleCaption = new QLabel(QStringLiteral("Sample"), this);
    sampleCaption->setGeometry(10, 190, 200, 16);
    SampleBox = whiteScrollBox(this, "SampleBox", SampleArea);
    SampleBox->setGeometry(8, 208, 576, 136);
    SampleArea->SetShape(sample.get());

    // Buttons.
    auto* buttonPanel = groupPanel(this, "ButtonPanel", QRect(8, 350, 576, 38));
    {
        auto* row = new QHBoxLayout(buttonPanel);
        row->setContentsMargins(6, 2, 6, 2);
        const DialogButtons b = AddDialogButtons(*this, *row, HelpContextProperties, QStringLiteral("OKButton"),
            QStringLiteral("Cancelbutton"), QStringLiteral("Helpbutton"));
        OKButton = b.ok;
        Cancelbutton = b.cancel;
        Helpbutton = b.help;
        MouseHelpButton = b.mouseHelp;
    }
    OKButton->setWhatsThis(QStringLiteral("Click to accept and return to the previous screen"));
    Cancelbutton->setWhatsThis(QStringLiteral("Click to cancel and return to the previous screen"));
    Helpbutton->setWhatsThis(QStringLiteral("Click to bring up Windows Help for the program"));
    connect(OKButton, &QPushButton::clicked, this, [this] { done(mrOk); });

    // Every control acts on the sample at once.
    connect(ShapeCombo, &QComboBox::activated, this, [this](int i) {
        sample->SetShape(TGPShapeType(i));
        surfaceChosenLast = false;
        updatePanels(false);
        sampleChanged();
    });
    connect(PointsOnStar, &QSpinBox::valueChanged, this, [this](int v) {
        sample->SetVectors(v * 2);
        sampleChanged();
    });
    connect(PercentinVector, &QSpinBox::valueChanged, this, [this](int v) {
        sample->SetInVectorPercent(v);
        sampleChanged();
    });
    connect(RoundPercent, &QSpinBox::valueChanged, this, [this](int v) {
        sample->SetRoundPerc(v);
        sampleChanged();
    });
    connect(SurfaceTypeCombo, &QComboBox::activated, this, [this](int i) {
        sample->SetSurfaceType(TSurfaceType(i));
        if (sample->SurfaceType() == stBrushImage)
            sample->SetImage(lastUsedTexture);
        surfaceChosenLast = true;
        updatePanels(true);
        sampleChanged();
    });
    // Both colour lists of the solid and gradient panels are BackColor.
    connect(BackGroundColorCombo, &TColorCombo::ColorChosen, this, [this](TColor c) {
        sample->SetBackColor(c);
        BackGroundColorCombo2->SetColor(c);
        sampleChanged();
    });
    connect(BackGroundColorCombo2, &TColorCombo::ColorChosen, this, [this](TColor c) {
        sample->SetBackColor(c);
        BackGroundColorCombo->SetColor(c);
        sampleChanged();
    });
    connect(FillDirectionCombo, &QComboBox::activated, this, [this](int i) {
        sample->SetFillDirection(TFillDirection(i));
        sampleChanged();
    });
    connect(GradientToColorCombo, &TColorCombo::ColorChosen, this, [this](TColor c) {
        sample->SetGradientToColor(c);
        sampleChanged();
    });
    connect(LoadImageButton, &QPushButton::clicked, this, &TSuperShapeProperties::LoadImageButtonClick);
    connect(ShadowColorCombo, &TColorCombo::ColorChosen, this, [this](TColor c) {
        sample->SetShadowColor(c);
        sampleChanged();
    });
    connect(ShadowOrientationCombo, &QComboBox::activated, this, [this](int i) {
        sample->SetShadowOrient(TShadowOrient(i));
        sampleChanged();
    });
    connect(ShadowDepthSpinner, &QSpinBox::valueChanged, this, [this](int v) {
        sample->SetShadowDepth(v);
        sampleChanged();
    });
    connect(OutlineColorCombo, &TColorCombo::ColorChosen, this, [this](TColor c) {
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

    activate();
    InstallWhatsThisMenus(this);
    PlaceDialog(*this);
}

TSuperShapeProperties::~TSuperShapeProperties() = default;

void TSuperShapeProperties::activate()
{
    auto entry = [](int value, const QComboBox* combo) { return value >= 0 && value < combo->count() ? value : -1; };
    const QSignalBlocker blockShape(ShapeCombo);
    ShapeCombo->setCurrentIndex(entry(sample->Shape(), ShapeCombo));
    SurfaceTypeCombo->setCurrentIndex(entry(sample->SurfaceType(), SurfaceTypeCombo));
    BackGroundColorCombo->SetColor(sample->BackColor());
    BackGroundColorCombo2->SetColor(sample->BackColor());
    FillDirectionCombo->setCurrentIndex(entry(sample->FillDirection(), FillDirectionCombo));
    GradientToColorCombo->SetColor(sample->GradientToColor());
    ShadowColorCombo->SetColor(sample->ShadowColor());
    ShadowOrientationCombo->setCurrentIndex(entry(sample->ShadowOrient(), ShadowOrientationCombo));
    OutlineColorCombo->SetColor(sample->OutlineColor());
    OutlineStyleCombo->setCurrentIndex(entry(sample->OutlineStyle(), OutlineStyleCombo));

    // The spin edits hold their values within their ranges, and setting them
    // runs their actions: the sample takes what they show.
    const int points = sample->Vectors() / 2;
    const int inward = sample->InVectorPercent();
    const int round = sample->RoundPerc();
    const int depth = sample->ShadowDepth();
    const int width = sample->OutlineWidth();
    PointsOnStar->setValue(points);
    PercentinVector->setValue(inward);
    RoundPercent->setValue(round);
    ShadowDepthSpinner->setValue(depth);
    OutLineWidthSpinner->setValue(width);
    sample->SetVectors(PointsOnStar->value() * 2);
    sample->SetInVectorPercent(PercentinVector->value());
    sample->SetRoundPerc(RoundPercent->value());
    sample->SetShadowDepth(ShadowDepthSpinner->value());
    sample->SetOutlineWidth(OutLineWidthSpinner->value());

    updatePanels(false);
    sampleChanged();
}

QFrame* TSuperShapeProperties::VisibleSettingsPanel() const
{
    for (QFrame* panel : { StarPanel, RoundRectPanel, SolidPanel, GradientPanel, TexturePanel })
        if (!panel->isHidden())
            return panel;
    return nullptr;
}

void TSuperShapeProperties::updatePanels(bool surfaceFirst)
{
    QFrame* shapePanel = nullptr;
    if (sample->Shape() == gstStar)
        shapePanel = StarPanel;
    else if (sample->Shape() == gstRoundRect)
        shapePanel = RoundRectPanel;
    QFrame* surfacePanel = nullptr;
    switch (sample->SurfaceType()) {
    case stBrushPattern: surfacePanel = SolidPanel; break;
    case stGradientFill: surfacePanel = GradientPanel; break;
    case stBrushImage: surfacePanel = TexturePanel; break;
    case stBrushTransparent: break;
    }
    QFrame* shown = surfaceFirst ? (surfacePanel ? surfacePanel : shapePanel)
                                 : (shapePanel ? shapePanel : surfacePanel);
    for (QFrame* panel : { StarPanel, RoundRectPanel, SolidPanel, GradientPanel, TexturePanel })
        panel->setVisible(panel == shown);
}

void TSuperShapeProperties::sampleChanged()
{
    SampleArea->Refresh();
}

void TSuperShapeProperties::LoadImageButtonClick()
{
    const QString remembered = QDir::currentPath();
    {
        TGBrushImageBrowser browser(*this, this);
        if (Interaction::Current().RunModal(browser) == mrOk) {
            sample->SetImage(browser.Example()->Image());
            lastUsedTexture = sample->Image();
            lastTexturePath = browser.SelectedFile();
        }
    }
    // A failure here cannot travel through the event loop: it is reported.
    if (!QDir::setCurrent(remembered))
        Interaction::Current().ShowError(QStringLiteral("I/O error: cannot return to the folder %1").arg(remembered));
    sampleChanged();
}

void TSuperShapeProperties::reject()
{
    done(mrCancel);
}

// --- texture browser ---------------------------------------------------------------------------------

TGBrushImageBrowser::TGBrushImageBrowser(TSuperShapeProperties& properties, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("BrushImageBrowser"));
    setWindowTitle(QStringLiteral("Load Texture Image"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(596, 286);

    DriveComboBox = new QComboBox(this);
    DriveComboBox->setObjectName(QStringLiteral("DriveComboBox"));
    DriveComboBox->setGeometry(8, 8, 200, 24);
    DriveComboBox->setWhatsThis(QStringLiteral("Click here to select a drive"));
    DirectoryListBox = new QListWidget(this);
    DirectoryListBox->setObjectName(QStringLiteral("DirectoryListBox"));
    DirectoryListBox->setGeometry(8, 58, 200, 176);
    FolderLabel = new QLabel(this);
    FolderLabel->setObjectName(QStringLiteral("FolderLabel"));
    FolderLabel->setGeometry(8, 36, 200, 20);
    FileListBox = new QListWidget(this);
    FileListBox->setObjectName(QStringLiteral("FileListBox"));
    FileListBox->setGeometry(216, 8, 180, 226);
    FileListBox->setWhatsThis(QStringLiteral("Click here to select a file"));
    ExampleBox = whiteScrollBox(this, "ExampleBox", ExampleArea);
    ExampleBox->setGeometry(404, 8, 184, 226);

    auto* buttonPanel = groupPanel(this, "ButtonPanel", QRect(8, 242, 580, 38));
    {
        auto* row = new QHBoxLayout(buttonPanel);
        row->setContentsMargins(6, 2, 6, 2);
        const DialogButtons b = AddDialogButtons(*this, *row, HelpContextBrowser, QStringLiteral("OKButton"),
            QStringLiteral("Cancelbutton"), QStringLiteral("Helpbutton"));
        OKButton = b.ok;
        Cancelbutton = b.cancel;
        Helpbutton = b.help;
        MouseHelpButton = b.mouseHelp;
    }
    OKButton->setWhatsThis(QStringLiteral("Click to accept and return to the previous screen"));
    Cancelbutton->setWhatsThis(QStringLiteral("Click to cancel and return to the previous screen"));
    Helpbutton->setWhatsThis(QStringLiteral("Click to bring up Windows Help for the program"));
    connect(OKButton, &QPushButton::clicked, this, [this] { done(mrOk); });

    example = std::make_unique<TSuperShape>();
    example->SetName(QStringLiteral("ExampleShape"));
    example->SetBounds(0, 0, 75, 75);
    example->CopyShapeSettings(*properties.Sample());
    ExampleArea->SetShape(example.get());

    fillDrives();
    connect(DriveComboBox, &QComboBox::activated, this,
        [this](int i) { ShowFolder(DriveComboBox->itemData(i).toString()); });
    connect(DirectoryListBox, &QListWidget::itemActivated, this, &TGBrushImageBrowser::directoryActivated);
    connect(FileListBox, &QListWidget::currentItemChanged, this, [this] { FileSelected(); });

    const QString last = properties.LastTexturePath();
    if (!last.isEmpty() && QFileInfo(last).isFile()) {
        ShowFolder(QFileInfo(last).absolutePath());
        SelectFile(QFileInfo(last).fileName());
    } else {
        ShowFolder(BrushFolder());
    }
    FileListBox->setFocus();
    InstallWhatsThisMenus(this);
    PlaceDialog(*this);
}

TGBrushImageBrowser::~TGBrushImageBrowser() = default;

void TGBrushImageBrowser::fillDrives()
{
    DriveComboBox->clear();
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady())
            roots << volume.rootPath();
    roots.removeDuplicates();
    roots.sort();
    if (roots.isEmpty())
        roots << QDir::rootPath();
    for (const QString& root : roots)
        DriveComboBox->addItem(root, root);
}

void TGBrushImageBrowser::ShowFolder(const QString& path)
{
    const QDir dir(path);
    if (!dir.exists())
        return;
    folder = dir.absolutePath();
    FolderLabel->setText(FolderLabel->fontMetrics().elidedText(folder, Qt::ElideLeft, FolderLabel->width()));
    FolderLabel->setToolTip(folder);
    {
        const QSignalBlocker block(FileListBox);
        DirectoryListBox->clear();
        FileListBox->clear();
        if (!dir.isRoot())
            DirectoryListBox->addItem(QStringLiteral(".."));
        for (const QString& sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
            DirectoryListBox->addItem(sub);
        const QStringList mask = { "*.BMP", "*.JPG", "*.JIF", "*.ICO" };
        for (const QString& file : dir.entryList(mask, QDir::Files, QDir::Name | QDir::IgnoreCase))
            FileListBox->addItem(file);
    }
    // The drive list follows the folder: the longest root that holds it.
    int best = -1;
    for (int i = 0; i < DriveComboBox->count(); ++i) {
        const QString root = DriveComboBox->itemData(i).toString();
        if (folder.startsWith(root) && (best < 0 || root.size() > DriveComboBox->itemData(best).toString().size()))
            best = i;
    }
    DriveComboBox->setCurrentIndex(best);
}

void TGBrushImageBrowser::directoryActivated(QListWidgetItem* item)
{
    if (item)
        ShowFolder(QDir(folder).absoluteFilePath(item->text()));
}

bool TGBrushImageBrowser::SelectFile(const QString& fileName)
{
    const auto found = FileListBox->findItems(fileName, Qt::MatchFixedString);
    if (found.isEmpty())
        return false;
    FileListBox->setCurrentItem(found.first());
    return true;
}

QString TGBrushImageBrowser::SelectedFile() const
{
    const QListWidgetItem* item = FileListBox->currentItem();
    return item ? QDir(folder).absoluteFilePath(item->text()) : QString();
}

void TGBrushImageBrowser::FileSelected()
{
    if (loadingFile || !FileListBox->currentItem())
        return;
    loadingFile = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Dib texture = loadTexture(SelectedFile());
    example->SetImage(texture);
    ExampleArea->Refresh();
    QApplication::restoreOverrideCursor();
    if (FileListBox->isEnabled() && FileListBox->isVisible())
        FileListBox->setFocus();
    loadingFile = false;
}

void TGBrushImageBrowser::reject()
{
    done(mrCancel);
}

} // namespace bv
