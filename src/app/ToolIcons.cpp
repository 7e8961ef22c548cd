#include "app/ToolIcons.h"

#include <QFont>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>
#include <functional>
#include <map>

namespace bv {

namespace {

// Every picture is drawn on a 24 × 24 grid.
using Drawer = std::function<void(QPainter&)>;

const QColor ink(0x2b, 0x33, 0x3d);
const QColor blue(0x2f, 0x6f, 0xd0);
const QColor lightBlue(0xa9, 0xc8, 0xf5);
const QColor red(0xd2, 0x3c, 0x32);
const QColor green(0x2e, 0x9d, 0x4f);
const QColor gold(0xf2, 0xb1, 0x22);
const QColor paper(0xff, 0xff, 0xff);

QPen inkPen(qreal width = 1.5)
{
    QPen pen(ink, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void drawText(QPainter& p, const QRectF& box, const QString& text, const QString& family, qreal pixelSize,
    bool bold, const QBrush& fill, const QPen& outline = Qt::NoPen)
{
    QFont font(family);
    font.setPixelSize(100);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF r = path.boundingRect();
    const qreal scale = pixelSize / 100.0;
    QTransform t;
    t.translate(box.center().x() - r.center().x() * scale, box.center().y() - r.center().y() * scale);
    t.scale(scale, scale);
    p.setPen(outline);
    p.setBrush(fill);
    p.drawPath(t.map(path));
}

// The arrow of the selection tool; the what's-this button shows it smaller.
void drawArrow(QPainter& p, QPointF tip, double scale, double penWidth)
{
    static const QPointF outline[] = {{0, 16}, {3.8, 12.4}, {6.6, 18.2}, {9.2, 17}, {6.4, 11.3}, {11.6, 11.3}};
    QPainterPath arrow;
    arrow.moveTo(tip);
    for (const QPointF& pt : outline)
        arrow.lineTo(tip + pt * scale);
    arrow.closeSubpath();
    p.setPen(inkPen(penWidth));
    p.setBrush(paper);
    p.drawPath(arrow);
}

void drawPointer(QPainter& p)
{
    drawArrow(p, QPointF(7, 3), 1.0, 1.3);
}

void drawLabel(QPainter& p)
{
    drawText(p, QRectF(2, 2, 20, 20), QStringLiteral("A"), QStringLiteral("Liberation Serif"), 21, true, ink);
}

void drawMultiLine(QPainter& p)
{
    drawText(p, QRectF(1, 1, 10, 11), QStringLiteral("A"), QStringLiteral("Liberation Serif"), 11, true, ink);
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(13, 5), QPointF(21, 5));
    p.drawLine(QPointF(13, 9.5), QPointF(21, 9.5));
    p.drawLine(QPointF(3, 14), QPointF(21, 14));
    p.drawLine(QPointF(3, 18.5), QPointF(16, 18.5));
}

void drawSymbol(QPainter& p)
{
    // A telephone, the kind of picture the symbol fonts hold.
    QPainterPath handset;
    handset.moveTo(5, 8);
    handset.cubicTo(5, 4, 19, 4, 19, 8);
    handset.lineTo(19, 10);
    handset.lineTo(15.5, 10);
    handset.lineTo(15.5, 8.2);
    handset.cubicTo(13, 7.4, 11, 7.4, 8.5, 8.2);
    handset.lineTo(8.5, 10);
    handset.lineTo(5, 10);
    handset.closeSubpath();
    QPainterPath body;
    body.moveTo(9, 10.5);
    body.lineTo(15, 10.5);
    body.lineTo(19.5, 19.5);
    body.lineTo(4.5, 19.5);
    body.closeSubpath();
    p.setPen(inkPen(1.1));
    p.setBrush(red);
    p.drawPath(handset);
    p.drawPath(body);
    p.setBrush(paper);
    p.drawEllipse(QPointF(12, 15.6), 2.4, 2.4);
}

void drawRectangle(QPainter& p)
{
    p.setPen(inkPen(1.5));
    p.setBrush(lightBlue);
    p.drawRect(QRectF(3.5, 6.5, 17, 11));
}

void drawEllipse(QPainter& p)
{
    p.setPen(inkPen(1.5));
    p.setBrush(lightBlue);
    p.drawEllipse(QRectF(2.5, 5.5, 19, 13));
}

void drawRoundRect(QPainter& p)
{
    p.setPen(inkPen(1.5));
    p.setBrush(lightBlue);
    p.drawRoundedRect(QRectF(3.5, 6.5, 17, 11), 4, 4);
}

void drawLine(QPainter& p)
{
    p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 19), QPointF(20, 5));
}

void drawImage(QPainter& p)
{
    p.setPen(inkPen(1.2));
    p.setBrush(QColor(0xe8, 0xf1, 0xfb));
    p.drawRect(QRectF(2.5, 4.5, 19, 15));
    p.setPen(Qt::NoPen);
    p.setBrush(gold);
    p.drawEllipse(QPointF(16.5, 8.8), 2, 2);
    QPainterPath hills;
    hills.moveTo(3.2, 18.8);
    hills.lineTo(8.5, 11);
    hills.lineTo(12, 15.5);
    hills.lineTo(14.5, 13);
    hills.lineTo(20.8, 18.8);
    hills.closeSubpath();
    p.setBrush(green);
    p.drawPath(hills);
}

QPainterPath starPath(QPointF centre, qreal outer, qreal inner, int points)
{
    QPainterPath star;
    for (int i = 0; i < points * 2; ++i) {
        const qreal r = (i % 2 == 0) ? outer : inner;
        const qreal a = -M_PI / 2 + i * M_PI / points;
        const QPointF pt(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
        if (i == 0)
            star.moveTo(pt);
        else
            star.lineTo(pt);
    }
    star.closeSubpath();
    return star;
}

void drawSuperShape(QPainter& p)
{
    const QPainterPath star = starPath(QPointF(12, 12.8), 10, 4.3, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawPath(star.translated(1.3, 1.3));
    QLinearGradient g(QPointF(4, 3), QPointF(20, 22));
    g.setColorAt(0, QColor(0xff, 0xe0, 0x5a));
    g.setColorAt(1, QColor(0xe0, 0x55, 0x1b));
    p.setPen(inkPen(1));
    p.setBrush(g);
    p.drawPath(star);
}

void drawRichText(QPainter& p)
{
    drawText(p, QRectF(1, 3, 11, 17), QStringLiteral("A"), QStringLiteral("Liberation Serif"), 17, true, red);
    drawText(p, QRectF(11, 6, 12, 14), QStringLiteral("b"), QStringLiteral("Liberation Sans"), 15, false, blue);
    p.setPen(QPen(green, 1.6));
    p.drawLine(QPointF(3, 21.5), QPointF(21, 21.5));
}

void drawSuperText(QPainter& p)
{
    QLinearGradient g(QPointF(0, 3), QPointF(0, 21));
    g.setColorAt(0, QColor(0x7a, 0x2c, 0xd8));
    g.setColorAt(0.5, QColor(0xe0, 0x3c, 0x8a));
    g.setColorAt(1, QColor(0xf6, 0xa6, 0x23));
    drawText(p, QRectF(2.6, 2.6, 20, 20), QStringLiteral("S"), QStringLiteral("Liberation Sans"), 21, true,
        QColor(0, 0, 0, 70));
    drawText(p, QRectF(1.5, 1.5, 20, 20), QStringLiteral("S"), QStringLiteral("Liberation Sans"), 21, true, g,
        QPen(ink, 0.6));
}

void drawCircleText(QPainter& p)
{
    p.setPen(QPen(lightBlue, 1.2, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(12, 13), 8, 8);
    const QString letters = QStringLiteral("ABCDE");
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(7);
    font.setBold(true);
    for (int i = 0; i < letters.size(); ++i) {
        const qreal angle = -150 + i * 30.0; // degrees, over the top of the circle
        const qreal a = qDegreesToRadians(angle);
        QPainterPath glyph;
        glyph.addText(0, 0, font, letters.mid(i, 1));
        const QRectF r = glyph.boundingRect();
        QTransform t;
        t.translate(12 + 8.3 * std::cos(a), 13 + 8.3 * std::sin(a));
        t.rotate(angle + 90);
        t.translate(-r.center().x(), -r.center().y());
        p.setPen(Qt::NoPen);
        p.setBrush(i % 2 == 0 ? blue : red);
        p.drawPath(t.map(glyph));
    }
}

void drawTips(QPainter& p)
{
    // A light bulb.
    QRadialGradient glow(QPointF(11, 8), 8);
    glow.setColorAt(0, QColor(0xff, 0xf6, 0xc2));
    glow.setColorAt(1, gold);
    QPainterPath bulb;
    bulb.moveTo(9, 16);
    bulb.cubicTo(9, 13.5, 5.5, 12, 5.5, 8.5);
    bulb.cubicTo(5.5, 4.5, 8.5, 2.5, 12, 2.5);
    bulb.cubicTo(15.5, 2.5, 18.5, 4.5, 18.5, 8.5);
    bulb.cubicTo(18.5, 12, 15, 13.5, 15, 16);
    bulb.closeSubpath();
    p.setPen(inkPen(1.1));
    p.setBrush(glow);
    p.drawPath(bulb);
    p.setBrush(QColor(0x9a, 0xa3, 0xad));
    p.drawRoundedRect(QRectF(9, 16.5, 6, 4), 1, 1);
    p.setPen(QPen(ink, 0.9));
    p.drawLine(QPointF(9.3, 18.5), QPointF(14.7, 18.5));
    p.drawLine(QPointF(10.5, 21.5), QPointF(13.5, 21.5));
}

void drawGrid(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(green);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            p.drawEllipse(QPointF(4 + x * 4, 4 + y * 4), 1.05, 1.05);
}

void drawSnap(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(green.red(), green.green(), green.blue(), 150));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            p.drawEllipse(QPointF(4 + x * 4, 4 + y * 4), 0.9, 0.9);
    // A magnet.
    QPainterPath magnet;
    magnet.moveTo(7, 4);
    magnet.lineTo(7, 12);
    magnet.arcTo(QRectF(7, 7, 10, 10), 180, 180);
    magnet.lineTo(17, 4);
    QPainterPathStroker stroker;
    stroker.setWidth(3.6);
    stroker.setCapStyle(Qt::FlatCap);
    const QPainterPath shape = stroker.createStroke(magnet);
    p.setPen(inkPen(0.8));
    p.setBrush(red);
    p.drawPath(shape);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xdd, 0xdd, 0xdd));
    p.drawRect(QRectF(5.2, 3.2, 3.6, 2.6));
    p.drawRect(QRectF(15.2, 3.2, 3.6, 2.6));
}

void drawBackground(QPainter& p)
{
    // A card whose surface is a picture.
    QLinearGradient sky(QPointF(0, 5), QPointF(0, 19));
    sky.setColorAt(0, QColor(0x8e, 0xc5, 0xff));
    sky.setColorAt(1, QColor(0xf7, 0xd9, 0xa8));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRoundedRect(QRectF(3, 6, 20, 14), 1.5, 1.5);
    p.setPen(inkPen(1.1));
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(1.5, 4.5, 20, 14), 1.5, 1.5);
    QPainterPath wave;
    wave.moveTo(2, 15);
    wave.cubicTo(7, 11, 11, 18, 21, 12.5);
    wave.lineTo(21, 18);
    wave.lineTo(2, 18);
    wave.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawPath(wave);
    p.setBrush(paper);
    p.drawRect(QRectF(4, 7, 8, 1.6));
    p.drawRect(QRectF(4, 10, 5, 1.2));
}

void drawWhatsThis(QPainter& p)
{
    drawArrow(p, QPointF(3, 3), 0.75, 1.1);
    drawText(p, QRectF(12, 6, 11, 16), QStringLiteral("?"), QStringLiteral("Liberation Sans"), 15, true, blue);
}

void drawProgram(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRoundedRect(QRectF(2.2, 6.2, 21, 13), 1.5, 1.5);
    p.setPen(inkPen(0.9));
    p.setBrush(paper);
    p.drawRoundedRect(QRectF(1, 5, 21, 13), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawRect(QRectF(1.5, 5.5, 4, 12));
    p.setBrush(ink);
    p.drawRect(QRectF(7.5, 8, 10, 1.8));
    p.setBrush(QColor(0x8a, 0x93, 0x9e));
    p.drawRect(QRectF(7.5, 11.5, 12, 1.1));
    p.drawRect(QRectF(7.5, 13.8, 9, 1.1));
}

const std::map<QString, Drawer>& drawers()
{
    static const std::map<QString, Drawer> map = {
        { QStringLiteral("pointer"), drawPointer },
        { QStringLiteral("label"), drawLabel },
        { QStringLiteral("mltext"), drawMultiLine },
        { QStringLiteral("symbol"), drawSymbol },
        { QStringLiteral("rectangle"), drawRectangle },
        { QStringLiteral("ellipse"), drawEllipse },
        { QStringLiteral("roundrect"), drawRoundRect },
        { QStringLiteral("line"), drawLine },
        { QStringLiteral("image"), drawImage },
        { QStringLiteral("supershape"), drawSuperShape },
        { QStringLiteral("richtext"), drawRichText },
        { QStringLiteral("supertext"), drawSuperText },
        { QStringLiteral("circletext"), drawCircleText },
        { QStringLiteral("tips"), drawTips },
        { QStringLiteral("grid"), drawGrid },
        { QStringLiteral("snap"), drawSnap },
        { QStringLiteral("background"), drawBackground },
        { QStringLiteral("whatsthis"), drawWhatsThis },
        { QStringLiteral("program"), drawProgram },
    };
    return map;
}

// Paints the vector picture at whatever size and scale the icon is asked
// for; a disabled icon is the same picture faded to grey.
class DrawnIconEngine final : public QIconEngine {
public:
    explicit DrawnIconEngine(Drawer drawer) : drawer(std::move(drawer)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QImage image((rect.size() * dpr), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::TextAntialiasing);
            const qreal side = std::min(image.width(), image.height());
            p.translate((image.width() - side) / 2.0, (image.height() - side) / 2.0);
            p.scale(side / 24.0, side / 24.0);
            drawer(p);
        }
        if (mode == QIcon::Disabled) {
            for (int y = 0; y < image.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x) {
                    const QRgb c = line[x];
                    const int a = qAlpha(c) * 2 / 5;
                    const int g = qGray(c) * 2 / 5; // premultiplied alongside alpha
                    line[x] = qRgba(g, g, g, a);
                }
            }
        }
        image.setDevicePixelRatio(dpr);
        painter->drawImage(QRectF(rect), image);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }

    QIconEngine* clone() const override { return new DrawnIconEngine(drawer); }

private:
    Drawer drawer;
};

} // namespace

QIcon ToolIcon(const QString& name)
{
    const auto it = drawers().find(name);
    if (it == drawers().end())
        return QIcon();
    return QIcon(new DrawnIconEngine(it->second));
}

QIcon DrawnIcon(std::function<void(QPainter&)> drawing)
{
    if (!drawing)
        return QIcon();
    return QIcon(new DrawnIconEngine(std::move(drawing)));
}

QIcon ProgramIcon()
{
    return ToolIcon(QStringLiteral("program"));
}

} // namespace bv
