#include "app/FontListBox.h"

#include <QFontDatabase>
#include <QHash>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

namespace bv {

namespace {
// A face name as the system hands it over: 32 characters with the end mark.
constexpr int MaxFaceName = 31;

// A pen line as the system draws it: from the first point up to, not
// including, the last (the lines here are all level or upright).
void penLine(QPainter& p, int x0, int y0, int x1, int y1)
{
    if (x0 == x1 && y0 == y1)
        return;
    const int dx = x1 > x0 ? 1 : (x1 < x0 ? -1 : 0);
    const int dy = y1 > y0 ? 1 : (y1 < y0 ? -1 : 0);
    p.drawLine(x0, y0, x1 - dx, y1 - dy);
}

void drawT(QPainter& p, int x, int y)
{
    // (x, y)-(x + 7, y)-(x + 7, y + 3) is one polyline.
    penLine(p, x, y, x + 7, y);
    penLine(p, x + 7, y, x + 7, y + 3);
    penLine(p, x, y, x, y + 3);
    penLine(p, x + 1, y, x + 1, y + 1);
    penLine(p, x + 6, y, x + 6, y + 1);
    penLine(p, x + 3, y, x + 3, y + 8);
    penLine(p, x + 4, y, x + 4, y + 8);
    penLine(p, x + 1, y + 8, x + 6, y + 8);
}
} // namespace

class TFontListBoxx::RowDelegate : public QStyledItemDelegate {
public:
    explicit RowDelegate(TFontListBoxx* list) : QStyledItemDelegate(list), list(list) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width() + 16, list->RowHeight());
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        const QColor brush = selected ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base);
        const QRect r = option.rect;
        p->save();
        p->fillRect(r, brush);
        p->drawImage(r.left() + 2, r.top() + 2, Glyph(brush));
        p->setFont(list->font());
        p->setPen(selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text));
        p->drawText(QRect(r.left() + 16, r.top(), r.width() - 16, r.height()), Qt::AlignLeft | Qt::AlignTop,
            index.data(Qt::DisplayRole).toString());
        if (option.state & QStyle::State_HasFocus && selected) {
            p->setPen(QPen(pal.color(QPalette::HighlightedText), 1, Qt::DotLine));
            p->drawRect(r.adjusted(0, 0, -1, -1));
        }
        p->restore();
    }

private:
    TFontListBoxx* list;
};

TFontListBoxx::TFontListBoxx(QWidget* parent) : QListWidget(parent)
{
    setItemDelegate(new RowDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

int TFontListBoxx::RowHeight() const
{
    const qreal points = font().pointSizeF() > 0 ? font().pointSizeF() : QFontInfo(font()).pointSizeF();
    return std::max(1, static_cast<int>(2 * points));
}

QStringList TFontListBoxx::RowsFor(const QStringList& families, const std::function<bool(const QString&)>& isOutline)
{
    QStringList rows;
    for (const QString& f : families)
        if (isOutline(f))
            rows << f.left(MaxFaceName);
    if (rows.isEmpty())
        for (const QString& f : families)
            rows << f.left(MaxFaceName);
    rows.removeDuplicates();
    std::stable_sort(rows.begin(), rows.end(),
        [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return rows;
}

void TFontListBoxx::Fill()
{
    clear();
    QStringList families;
    // A family that several foundries supply is listed once per foundry as
    // "Family [foundry]"; the row shows the face name alone, once.
    QHash<QString, QString> faceOf;
    for (const QString& f : QFontDatabase::families()) {
        if (QFontDatabase::isPrivateFamily(f))
            continue;
        QString face = f;
        const int foundry = f.lastIndexOf(QLatin1String(" ["));
        if (foundry > 0 && f.endsWith(QLatin1Char(']')))
            face = f.left(foundry);
        families << face;
        if (!faceOf.contains(face) || QFontDatabase::isScalable(f))
            faceOf.insert(face, f);
    }
    addItems(RowsFor(families, [&faceOf](const QString& face) {
        const QString f = faceOf.value(face);
        return QFontDatabase::isScalable(f) && !QFontDatabase::isBitmapScalable(f);
    }));
    if (count() > 0)
        setCurrentRow(0);
}

QString TFontListBoxx::SelectedFont() const
{
    // One row at most is selected; a row only made current was not chosen.
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

QImage TFontListBoxx::Glyph(const QColor& background)
{
    QImage image(12, 12, QImage::Format_RGB32);
    image.fill(background);
    QPainter p(&image);
    p.setPen(QColor(128, 128, 128));
    drawT(p, 0, 0);
    p.setPen(Qt::black);
    drawT(p, 4, 3);
    return image;
}

} // namespace bv
