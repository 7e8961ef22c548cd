#pragma once
// What the records of a classic or enhanced metafile change: the graphics
// objects (pens, brushes, fonts, palettes, regions), the table that holds
// them, and the device context state that save and restore records keep.
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QTransform>
#include <cstdint>
#include <vector>

namespace bv::pictures {

// Rectangles of one clip or fill region taken into account; region algebra
// grows fast with more.
constexpr int MaxRegionRects = 4096;

inline QColor colorRef(std::uint32_t c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

struct GdiPen {
    int style = 0;       // PS_SOLID
    double width = 0;    // logical units; 0 is the thinnest line
    QColor color = Qt::black;
};

struct GdiBrush {
    int style = 0;       // BS_SOLID, BS_NULL 1, BS_HATCHED 2, BS_PATTERN 3, BS_DIBPATTERN 5/6
    QColor color = Qt::white;
    int hatch = 0;
    QImage pattern;
};

struct GdiFont {
    double height = 0;
    int escapement = 0; // tenths of a degree, counter-clockwise
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = 0;
    QString face;
};

struct GdiObject {
    enum Kind { None, Pen, Brush, Font, Palette, Region };
    Kind kind = None;
    GdiPen pen;
    GdiBrush brush;
    GdiFont font;
    QPainterPath region; // classic metafiles: logical units
};

enum MapMode { MM_TEXT = 1, MM_LOMETRIC, MM_HIMETRIC, MM_LOENGLISH, MM_HIENGLISH, MM_TWIPS, MM_ISOTROPIC, MM_ANISOTROPIC };

struct DcState {
    GdiPen pen;
    GdiBrush brush;
    GdiFont font;
    int mapMode = MM_TEXT;
    QPointF winOrg{0, 0};
    QSizeF winExt{1, 1};
    QPointF viewOrg{0, 0};
    QSizeF viewExt{1, 1};
    QTransform world;
    QColor textColor = Qt::black;
    QColor bkColor = Qt::white;
    int bkMode = 2; // OPAQUE
    int textAlign = 0;
    int polyFill = 1; // ALTERNATE
    int rop2 = 13;    // R2_COPYPEN
    bool arcClockwise = false;
    QPointF cur{0, 0};
    bool clipOn = false;
    QPainterPath clip; // target coordinates
};

inline QPainterPath rectPath(const QRectF& r)
{
    QPainterPath p;
    p.addRect(r.normalized());
    return p;
}

// The object table. Classic metafiles put a new object in the first free
// slot; enhanced ones name the slot. Slot numbers with the top bit set name
// stock objects where the format allows them.
class GdiObjectTable {
public:
    // The first free slot, or -1 when the table is full.
    int add(const GdiObject& o);
    void set(std::int64_t index, const GdiObject& o);
    // The object in a slot (or a stock object), an empty one when none.
    GdiObject get(std::uint32_t index, bool stockAllowed) const;
    // The object in a slot, nullptr when the slot does not exist.
    const GdiObject* find(std::uint32_t index) const
    {
        return index < objects.size() ? &objects[index] : nullptr;
    }
    void remove(std::uint32_t index);
    static GdiObject stock(std::uint32_t n);

private:
    std::vector<GdiObject> objects;
};

// Text of an 8-bit string in a font of the given character set.
QString ansiText(const QByteArray& b, int charset);

} // namespace bv::pictures
