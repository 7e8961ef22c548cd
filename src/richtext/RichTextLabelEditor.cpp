#include "richtext/RichTextLabelEditor.h"

#include "objects/DialogButtons.h"
#include "platform/DialogHooks.h"
#include "platform/Interaction.h"
#include "platform/Numeric.h"
#include "richtext/GraphicPanel.h"
#include "richtext/RichTextControl.h"
#include "richtext/RichTextToolBar.h"
#include "widgets/WhatsThis.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace bv {

TRichTextLabelEditor::TRichTextLabelEditor(QWidget* parent) : QDialog(parent)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setObjectName(QStringLiteral("RichTextLabelEditor"));
    setWindowTitle(QStringLiteral("Rich Text Editor"));
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);

    RichToolBar1 = new TRichTextToolBar(this);
    column->addWidget(RichToolBar1);

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setWidgetResizable(false);
    auto* holder = new QWidget;
    holder->setObjectName(QStringLiteral("PageHolder"));
    PagePanel = new QFrame(holder);
    PagePanel->setObjectName(QStringLiteral("PagePanel"));
    PagePanel->setFrameShape(QFrame::Box);
    PagePanel->setLineWidth(1);
    PagePanel->setAutoFillBackground(true);
    PagePanel->move(5, 5);
    PagePanel->hide();
    SetPageColor(clWhite);
    auto* pageLayout = new QVBoxLayout(PagePanel);
    pageLayout->setContentsMargins(1, 1, 1, 1);
    RichText1 = new TRichTextControl(PagePanel);
    RichText1->setObjectName(QStringLiteral("RichText1"));
    RichText1->SetTransparent(true);
    RichText1->SetWordWrap(true);
    RichText1->SetZooming(100);
    RichText1->setWhatsThis(QStringLiteral("Type and format the text here. Select text and use the toolbar to change "
                                           "its font, size, colour, style and alignment."));
    pageLayout->addWidget(RichText1);
    ScrollBox1->setWidget(holder);
    column->addWidget(ScrollBox1, 1);

    ZoomPlusButton = new QToolButton(this);
    ZoomPlusButton->setObjectName(QStringLiteral("ZoomPlusButton"));
    ZoomPlusButton->setText(QStringLiteral("+"));
    ZoomPlusButton->setToolTip(QStringLiteral("Zoom In"));
    ZoomPlusButton->setWhatsThis(QStringLiteral("Click to show the page larger."));
    ZoomMinusButton = new QToolButton(this);
    ZoomMinusButton->setObjectName(QStringLiteral("ZoomMinusButton"));
    ZoomMinusButton->setText(QStringLiteral("-"));
    ZoomMinusButton->setToolTip(QStringLiteral("Zoom Out"));
    ZoomMinusButton->setWhatsThis(QStringLiteral("Click to show the page smaller."));
    ZoomCaption = new TGraphicPanel(this);
    ZoomCaption->setObjectName(QStringLiteral("ZoomCaption"));
    ZoomCaption->setFixedSize(4, 20);
    ZoomCaption->SetBevelOuter(bvNone);
    connect(ZoomPlusButton, &QToolButton::clicked, this, &TRichTextLabelEditor::ZoomPlusButtonClick);
    connect(ZoomMinusButton, &QToolButton::clicked, this, &TRichTextLabelEditor::ZoomMinusButtonClick);

    auto* row = new QHBoxLayout;
    column->addLayout(row);
    const DialogButtons b = AddDialogButtons(*this, *row, HelpContext, QStringLiteral("OKButton"),
        QStringLiteral("Cancelbutton"), QStringLiteral("Helpbutton"));
    OKButton = b.ok;
    Cancelbutton = b.cancel;
    Helpbutton = b.help;
    MouseHelpButton = b.mouseHelp;
    OKButton->setAutoDefault(false);
    OKButton->setDefault(false);
    connect(OKButton, &QPushButton::clicked, this, [this] { done(mrOk); });

    // The zoom buttons join the toolbar once the form exists.
    RichToolBar1->addSeparator();
    RichToolBar1->addWidget(ZoomMinusButton);
    RichToolBar1->addWidget(ZoomCaption);
    RichToolBar1->addWidget(ZoomPlusButton);
    RichToolBar1->UpdateObject(RichText1);

    resize(601, 343);
    InstallWhatsThisMenus(this);
    QApplication::processEvents();
    PlaceDialog(*this);
    RichText1->CaretToStart();
    QApplication::restoreOverrideCursor();
}

TRichTextLabelEditor::~TRichTextLabelEditor()
{
    RichToolBar1->UpdateObject(nullptr);
}

void TRichTextLabelEditor::SetPageColor(TColor color)
{
    QPalette pal = PagePanel->palette();
    pal.setColor(QPalette::Window, ToQColor(color));
    PagePanel->setPalette(pal);
}

void TRichTextLabelEditor::SetPageSize(int width, int height)
{
    resizePage(width, height);
}

void TRichTextLabelEditor::resizePage(int width, int height)
{
    PagePanel->resize(width, height);
    if (QWidget* holder = ScrollBox1->widget())
        holder->resize(width + 10, height + 10);
}

void TRichTextLabelEditor::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!activated)
        QMetaObject::invokeMethod(this, &TRichTextLabelEditor::FormActivate, Qt::QueuedConnection);
}

void TRichTextLabelEditor::FormActivate()
{
    if (activated)
        return;
    activated = true;
    PagePanel->show();
    QApplication::processEvents();
    RichText1->Reformat();
    RichText1->SetEditFocus();
    RichText1->CaretToStart();
    w0 = PagePanel->width();
    h0 = PagePanel->height();
    z0 = RichText1->Zooming();
}

void TRichTextLabelEditor::ZoomPlusButtonClick()
{
    if (RichText1->Zooming() >= 100 || z0 <= 0)
        return;
    const int zoom = RichText1->Zooming() + 10;
    RichText1->SetZooming(zoom);
    resizePage(int(Round(Extended(zoom) * w0 / z0)), int(Round(Extended(zoom) * h0 / z0)));
}

void TRichTextLabelEditor::ZoomMinusButtonClick()
{
    if (RichText1->Zooming() <= 50 || z0 <= 0)
        return;
    const int zoom = RichText1->Zooming() - 10;
    RichText1->SetZooming(zoom);
    resizePage(int(Round(Extended(zoom) * w0 / z0)), int(Round(Extended(zoom) * h0 / z0)));
}

void TRichTextLabelEditor::reject()
{
    done(mrCancel);
}

} // namespace bv
