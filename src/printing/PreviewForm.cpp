#include "printing/PreviewForm.h"

#include "document/AppServices.h"
#include "platform/DialogHooks.h"
#include "platform/Environment.h"
#include "platform/Interaction.h"
#include "platform/Numeric.h"
#include "widgets/WhatsThis.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace bv {

namespace {

// The ground the page lies on: grey, with the page's shadow.
class PreviewGround : public QWidget {
public:
    explicit PreviewGround(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("PreviewGround"));
        setAutoFillBackground(true);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, QColor(128, 128, 128));
        setPalette(pal);
    }
    QRect pageRect;
    int shadow = 5;

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (pageRect.isEmpty())
            return;
        QPainter p(this);
        p.fillRect(pageRect.translated(shadow, shadow), Qt::black);
    }
};

// The magnifier the scroll box shows as its cursor.
QCursor magnifyCursor()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(Qt::white, 4));
    p.drawEllipse(QPointF(12, 12), 8, 8);
    p.drawLine(QPointF(18, 18), QPointF(28, 28));
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(255, 255, 255, 120));
    p.drawEllipse(QPointF(12, 12), 8, 8);
    p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(18, 18), QPointF(28, 28));
    p.end();
    return QCursor(pm, 12, 12);
}

// Pictures of the zoom buttons.
enum class ZoomIcon { In, Out, PageWidth, Page };
QIcon zoomIcon(ZoomIcon kind)
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (kind == ZoomIcon::In || kind == ZoomIcon::Out) {
        p.setPen(QPen(Qt::black, 2));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(10, 10), 7, 7);
        p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(15, 15), QPointF(21, 21));
        p.setPen(QPen(Qt::black, 2));
        p.drawLine(QPointF(6.5, 10), QPointF(13.5, 10));
        if (kind == ZoomIcon::In)
            p.drawLine(QPointF(10, 6.5), QPointF(10, 13.5));
    } else {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 2.5, 13, 19));
        p.setPen(QPen(QColor(0, 0, 160), 1.6));
        if (kind == ZoomIcon::PageWidth) {
            p.drawLine(QPointF(2, 12), QPointF(22, 12));
            p.drawLine(QPointF(2, 12), QPointF(5, 9));
            p.drawLine(QPointF(2, 12), QPointF(5, 15));
            p.drawLine(QPointF(22, 12), QPointF(19, 9));
            p.drawLine(QPointF(22, 12), QPointF(19, 15));
        } else {
            for (int y = 6; y <= 18; y += 3)
                p.drawLine(QPointF(8, y), QPointF(16, y));
        }
    }
    p.end();
    return QIcon(pm);
}

} // namespace

// ---- TPagePreview ----------------------------------------------------------------------

TPagePreview::TPagePreview()
{
    Ppi = ScreenPpi();
}

TPagePreview::~TPagePreview() = default;

void TPagePreview::SetScrollBox(QScrollArea* box)
{
    scrollBox = box;
}

QSize TPagePreview::pagePixelsAt(int percent) const
{
    const TDeviceFacts& page = RecordedDevice();
    const Extended z = percent / 100.0L;
    return QSize(static_cast<int>(Round(page.PageWidth * Ppi * z)), static_cast<int>(Round(page.PageHeight * Ppi * z)));
}

void TPagePreview::SetZoom(int percent)
{
    percent = std::clamp(percent, MinZoom, MaxZoom);
    // Unchanged and already drawn at it: nothing to redraw.
    if (percent == zoomPercent && !pageImage.isNull())
        return;
    zoomPercent = percent;
    if (OnZoomChange)
        OnZoomChange();
    else
        DrawCurrentPage();
}

int TPagePreview::PageWidthZoom() const
{
    if (!scrollBox || !IsLoaded())
        return zoomPercent;
    const QSize page = pagePixelsAt(100);
    const int room = scrollBox->viewport()->width() - ShadowDepth;
    const double across = page.width() * (1.0 + 2 * MarginPercent / 100.0);
    if (across <= 0)
        return zoomPercent;
    return std::clamp(static_cast<int>(Trunc(room * 100.0 / across)), MinZoom, MaxZoom);
}

int TPagePreview::WholePageZoom() const
{
    if (!scrollBox || !IsLoaded())
        return zoomPercent;
    const QSize page = pagePixelsAt(100);
    const double grow = 1.0 + 2 * MarginPercent / 100.0;
    const double across = page.width() * grow;
    const double down = page.height() * grow;
    if (across <= 0 || down <= 0)
        return zoomPercent;
    const QSize room = scrollBox->viewport()->size() - QSize(ShadowDepth, ShadowDepth);
    const int byWidth = static_cast<int>(Trunc(room.width() * 100.0 / across));
    const int byHeight = static_cast<int>(Trunc(room.height() * 100.0 / down));
    return std::clamp(std::min(byWidth, byHeight), MinZoom, MaxZoom);
}

void TPagePreview::Start(const QByteArray& recording)
{
    Finish();
    Load(recording);
    active = true;
    if (scrollBox) {
        auto* g = new PreviewGround(nullptr);
        ground = g;
        picture = new QLabel(g);
        picture->setObjectName(QStringLiteral("PreviewPage"));
        scrollBox->setWidget(g);
    }
    SetCurrentPage(FirstPage());
}

void TPagePreview::Finish()
{
    active = false;
    if (scrollBox && ground) {
        QWidget* old = scrollBox->takeWidget();
        delete old;
    }
    ground = nullptr;
    picture = nullptr;
    pageImage = QImage();
    currentPage = 0;
}

void TPagePreview::SetCurrentPage(int page)
{
    if (!IsLoaded() || PageCount() < 1)
        return;
    currentPage = std::clamp(page, FirstPage(), PageCount());
    DrawCurrentPage();
    if (OnPageChange)
        OnPageChange();
}

void TPagePreview::DrawCurrentPage()
{
    if (!IsLoaded() || currentPage < 1)
        return;
    SetZoomFactor(zoomPercent);
    pageImage = RenderPage(currentPage, Ppi);
    if (!ground || !picture)
        return;
    auto* g = static_cast<PreviewGround*>(ground.data());
    const QSize size = pageImage.size();
    const int marginX = static_cast<int>(Round(size.width() * MarginPercent / 100.0));
    const int marginY = marginX;
    picture->setPixmap(QPixmap::fromImage(pageImage));
    picture->setGeometry(QRect(QPoint(marginX, marginY), size));
    g->pageRect = picture->geometry();
    g->shadow = ShadowDepth;
    g->resize(size.width() + 2 * marginX + ShadowDepth, size.height() + 2 * marginY + ShadowDepth);
    g->update();
}

QList<QWidget*> TPagePreview::PictureControls() const
{
    QList<QWidget*> list;
    if (ground)
        list.append(ground.data());
    if (picture)
        list.append(picture.data());
    return list;
}

// ---- TPreviewForm ------------------------------------------------------------------------

TPreviewForm::TPreviewForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PreviewForm"));
    setWindowTitle(QStringLiteral("Preview Business Cards"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setFocusPolicy(Qt::StrongFocus);

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setFocusPolicy(Qt::NoFocus);
    ScrollBox1->setAlignment(Qt::AlignCenter);
    ScrollBox1->setBackgroundRole(QPalette::Dark);
    ScrollBox1->verticalScrollBar()->setSingleStep(8);
    ScrollBox1->horizontalScrollBar()->setSingleStep(8);
    const QCursor magnify = magnifyCursor();
    ScrollBox1->viewport()->setCursor(magnify);
    ScrollBox1->viewport()->installEventFilter(this);
    ScrollBox1->setWhatsThis(QStringLiteral("The previewed sheet. Click with the left mouse button to zoom in, "
                                            "with the right button to zoom out."));

    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("ButtonBar"));
    bar->setFixedHeight(41);
    auto makeZoomButton = [bar](const QString& name, ZoomIcon icon, const QString& tip) {
        auto* b = new QToolButton(bar);
        b->setObjectName(name);
        b->setIcon(zoomIcon(icon));
        b->setIconSize(QSize(24, 24));
        b->setFocusPolicy(Qt::NoFocus);
        b->setToolTip(tip);
        b->setWhatsThis(tip);
        b->setAutoRaise(true);
        return b;
    };
    sbZoomIn = makeZoomButton(QStringLiteral("sbZoomIn"), ZoomIcon::In, QStringLiteral("Zoom in"));
    sbZoomOut = makeZoomButton(QStringLiteral("sbZoomOut"), ZoomIcon::Out, QStringLiteral("Zoom out"));
    sbZoomPageWidth = makeZoomButton(QStringLiteral("sbZoomPageWidth"), ZoomIcon::PageWidth,
                                     QStringLiteral("Zoom to the width of the page"));
    sbZoomPage = makeZoomButton(QStringLiteral("sbZoomPage"), ZoomIcon::Page, QStringLiteral("Show the whole page"));
    sbPriorPage = new QToolButton(bar);
    sbPriorPage->setObjectName(QStringLiteral("sbPriorPage"));
    sbPriorPage->setArrowType(Qt::LeftArrow);
    sbNextPage = new QToolButton(bar);
    sbNextPage->setObjectName(QStringLiteral("sbNextPage"));
    sbNextPage->setArrowType(Qt::RightArrow);
    for (auto [b, tip] : { std::pair{ sbPriorPage, "Previous sheet (Page Up)" }, std::pair{ sbNextPage, "Next sheet (Page Down)" } }) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRaise(true);
        b->setToolTip(QString::fromLatin1(tip));
        b->setWhatsThis(QString::fromLatin1(tip));
    }
    PrintSheetButton = new QPushButton(QStringLiteral("&Print"), bar);
    PrintSheetButton->setObjectName(QStringLiteral("PrintSheetButton"));
    PrintSheetButton->setAutoDefault(false);
    PrintSheetButton->setFocusPolicy(Qt::NoFocus);
    PrintSheetButton->setWhatsThis(QStringLiteral("Prints the sheets shown here."));
    PrintSheetButton->hide();
    CloseButton = new QPushButton(QStringLiteral("Ok"), bar);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setDefault(true);
    CloseButton->setFocusPolicy(Qt::NoFocus);
    CloseButton->setWhatsThis(QStringLiteral("Closes the preview."));
    Helpbutton = new QPushButton(QStringLiteral("Help"), bar);
    Helpbutton->setObjectName(QStringLiteral("Helpbutton"));
    Helpbutton->setAutoDefault(false);
    Helpbutton->setFocusPolicy(Qt::NoFocus);
    Helpbutton->setWhatsThis(QStringLiteral("Click to bring up the help page of this screen."));
    MouseHelpButton = CreateWhatsThisButton(bar);
    MouseHelpButton->setFocusPolicy(Qt::NoFocus);

    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 4, 8, 4);
    row->addWidget(sbZoomIn);
    row->addWidget(sbZoomOut);
    row->addWidget(sbZoomPageWidth);
    row->addWidget(sbZoomPage);
    row->addSpacing(12);
    row->addWidget(sbPriorPage);
    row->addWidget(sbNextPage);
    row->addStretch(1);
    row->addWidget(PrintSheetButton);
    row->addWidget(CloseButton);
    row->addWidget(Helpbutton);
    row->addWidget(MouseHelpButton);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(ScrollBox1, 1);
    column->addWidget(bar);
    const int ppi = ScreenPpi();
    resize(MulDiv(608, ppi, 96), MulDiv(424, ppi, 96));

    PagePreview1.SetScrollBox(ScrollBox1);
    PagePreview1.ZoomInc = 10;
    PagePreview1.OnPageChange = [this] { PagePreview1PageChange(); };
    PagePreview1.OnZoomChange = [this] { PagePreview1ZoomChange(); };

    connect(sbZoomIn, &QToolButton::clicked, this, [this] { SBZoomInClick(); });
    connect(sbZoomOut, &QToolButton::clicked, this, [this] { SBZoomOutClick(); });
    connect(sbZoomPageWidth, &QToolButton::clicked, this, [this] { SBZoomPageWidthClick(); });
    connect(sbZoomPage, &QToolButton::clicked, this, [this] { SBZoomPageClick(); });
    connect(CloseButton, &QPushButton::clicked, this, [this] { CloseButtonClick(); });
    connect(sbPriorPage, &QToolButton::clicked, this,
            [this] { PagePreview1.SetCurrentPage(PagePreview1.CurrentPage() - 1); });
    connect(sbNextPage, &QToolButton::clicked, this,
            [this] { PagePreview1.SetCurrentPage(PagePreview1.CurrentPage() + 1); });
    connect(PrintSheetButton, &QPushButton::clicked, this, [this] {
        printRequested = true;
        CloseButtonClick();
    });
    connect(Helpbutton, &QPushButton::clicked, this, [] { RequestHelpTopic(2039); });
    InstallWhatsThisMenus(this);
}

TPreviewForm::~TPreviewForm()
{
    PagePreview1.OnPageChange = nullptr;
    PagePreview1.OnZoomChange = nullptr;
}

void TPreviewForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (firstActivation)
        FormActivate();
}

void TPreviewForm::FormActivate()
{
    if (!firstActivation)
        return;
    firstActivation = false;
    RestoreWindowPlacement(*this, QStringLiteral("TPreviewForm"));
    try {
        PagePreview1.Start(recordingBytes);
    } catch (const Exception& e) {
        Interaction::Current().ShowError(e.message(), QStringLiteral("Error"));
        return;
    }
    wirePictureControls();
    PagePreview1.SetZoom(100);
    updatePageButtons();
    setFocus();
}

void TPreviewForm::wirePictureControls()
{
    const QCursor magnify = ScrollBox1->viewport()->cursor();
    for (QWidget* control : PagePreview1.PictureControls()) {
        control->installEventFilter(this);
        control->setCursor(magnify);
    }
}

bool TPreviewForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        const bool ours = watched == ScrollBox1->viewport()
            || PagePreview1.PictureControls().contains(qobject_cast<QWidget*>(watched));
        if (ours) {
            ScrollBox1MouseDown(static_cast<QMouseEvent*>(event)->button());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TPreviewForm::ScrollBox1MouseDown(Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        PagePreview1.ZoomIn();
    else
        PagePreview1.ZoomOut();
}

void TPreviewForm::SetPrintable(bool value)
{
    PrintSheetButton->setVisible(value);
}

void TPreviewForm::updatePageButtons()
{
    sbPriorPage->setEnabled(PagePreview1.CurrentPage() > PagePreview1.FirstPage());
    sbNextPage->setEnabled(PagePreview1.CurrentPage() < PagePreview1.PageCount());
}

void TPreviewForm::PagePreview1PageChange()
{
    updatePageButtons();
    setWindowTitle(QStringLiteral("Preview Page ")
                   + QString::number(PagePreview1.CurrentPage() - PagePreview1.FirstPage() + 1)
                   + QStringLiteral(" of ") + QString::number(PagePreview1.PageCount()));
}

void TPreviewForm::PagePreview1ZoomChange()
{
    PagePreview1.DrawCurrentPage();
}

bool TPreviewForm::FormKeyDown(int key)
{
    QScrollBar* bar = ScrollBox1->verticalScrollBar();
    // The scroll range counts the positions 0 .. maximum, so its last
    // position, "range minus 1", is the scroll bar's maximum.
    if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
        PagePreview1.SetCurrentPage(PagePreview1.CurrentPage() + (key == Qt::Key_PageDown ? 1 : -1));
        return true;
    }
    if (key == Qt::Key_Up) {
        bar->setValue(std::max(0, bar->value() - bar->singleStep()));
        return true;
    }
    if (key == Qt::Key_Down) {
        bar->setValue(std::min(bar->maximum(), bar->value() + bar->singleStep()));
        return true;
    }
    return false;
}

void TPreviewForm::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() == Qt::NoModifier && FormKeyDown(event->key()))
        return;
    QDialog::keyPressEvent(event);
}

void TPreviewForm::CloseButtonClick()
{
    done(mrOk);
}

void TPreviewForm::done(int result)
{
    if (!closing) {
        closing = true;
        try {
            SaveWindowPlacement(*this, QStringLiteral("TPreviewForm"));
        } catch (const EWriteError&) {
            // A settings file that cannot be written only loses the placement.
        }
        if (PagePreview1.Active())
            PagePreview1.Finish();
    }
    QDialog::done(result);
}

void TPreviewForm::reject()
{
    done(mrOk);
}

} // namespace bv
