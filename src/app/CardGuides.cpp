#include "app/CardGuides.h"

#include "platform/Environment.h"
#include "surface/BasePanel.h"

#include <QEvent>
#include <QPainter>
#include <cmath>

namespace bv {

namespace {

const QColor BleedTint(255, 214, 214);
const QColor BleedLine(200, 0, 0);
const QColor SafeLine(0, 120, 215);

// The dashed safe line over the card.
class SafeLayer : public QWidget {
public:
    SafeLayer(TCardGuides& g, QWidget* parent) : QWidget(parent), guides(g)
    {
        setObjectName(QStringLiteral("SafeZoneGuide"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const QRect r = guides.SafeRect();
        if (r.width() < 2 || r.height() < 2)
            return;
        QPainter p(this);
        QPen pen(SafeLine, 0, Qt::DashLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }

private:
    TCardGuides& guides;
};

} // namespace

TCardGuides::TCardGuides(TGBasePanel& p, QWidget* holder, QPoint homePosition)
    : QWidget(holder), panel(&p), home(homePosition)
{
    setObjectName(QStringLiteral("BleedGuide"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    safeLayer = new SafeLayer(*this, &p);
    safeLayer->hide();
    QWidget::hide();
    p.installEventFilter(this);
}

TCardGuides::~TCardGuides()
{
    if (panel)
        panel->removeEventFilter(this);
}

int TCardGuides::bleedPixels() const
{
    const double zoom = panel ? double(panel->Zoom()) : 1.0;
    return int(std::lround(bleed * ScreenPpi() * zoom));
}

QRect TCardGuides::BleedRect() const
{
    if (!panel)
        return {};
    const int b = bleedPixels();
    return panel->geometry().adjusted(-b, -b, b, b);
}

QRect TCardGuides::SafeRect() const
{
    if (!panel)
        return {};
    const int s = int(std::lround(SafeZoneInches * ScreenPpi() * double(panel->Zoom())));
    return panel->rect().adjusted(s, s, -s, -s);
}

void TCardGuides::SetShown(bool on)
{
    if (on == shown)
        return;
    shown = on;
    place();
}

void TCardGuides::SetBleedInches(double inches)
{
    bleed = std::max(0.0, inches);
    place();
}

void TCardGuides::place()
{
    if (!panel || placing)
        return;
    placing = true;
    const int b = shown ? bleedPixels() : 0;
    panel->move(home + QPoint(b, b));
    if (shown) {
        setGeometry(BleedRect());
        lower();
        show();
        safeLayer->setGeometry(panel->rect());
        safeLayer->raise();
        safeLayer->show();
        safeLayer->update();
        update();
    } else {
        hide();
        safeLayer->hide();
    }
    placing = false;
    emit Placed();
}

bool TCardGuides::eventFilter(QObject* watched, QEvent* event)
{
    // A zoom or a new card size; placed once the panel's zoom is settled
    // (the panel resizes while it changes zoom).
    if (watched == panel && event->type() == QEvent::Resize && shown)
        QMetaObject::invokeMethod(this, [this] { place(); }, Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}

void TCardGuides::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), BleedTint);
    QPen pen(BleedLine, 0, Qt::DashLine);
    p.setPen(pen);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace bv
