#pragma once
// The objects an EMF+ picture defines before drawing with them (brushes,
// pens, paths, regions, images, fonts, string formats), read from their
// serialised form into Qt terms, and the table of 64 slots that holds them.
// Coordinates stay in the picture's world units; the player maps them.
#include "pictures/RecordReader.h"

#include <QBrush>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QString>
#include <QTransform>
#include <array>
#include <variant>
#include <vector>

namespace bv::pictures::plus {

// Slots an EMF+ picture may use; object ids are eight bits but the format
// allows 64.
constexpr int MaxObjects = 64;
// Points of one path or point list, and nodes of one region.
constexpr std::uint32_t MaxPoints = 1u << 20;
constexpr int MaxRegionNodes = 256;
// Paths with more elements take part in region and clip algebra as their
// bounding box: the algebra grows too fast with more.
constexpr int MaxAlgebraElements = 4096;

inline QPainterPath forAlgebra(const QPainterPath& p)
{
    if (p.elementCount() <= MaxAlgebraElements)
        return p;
    QPainterPath box;
    box.addRect(p.boundingRect());
    return box;
}

// Units of sizes and page transforms.
enum class Unit { World = 0, Display = 1, Pixel = 2, Point = 3, Inch = 4, Document = 5, Millimeter = 6 };

// Device pixels per unit at the picture's resolution (World and Display
// count as pixels).
double pixelsPerUnit(std::uint32_t unit, double dpi);

// An EmfPlusARGB value: blue, green, red, alpha bytes.
inline QColor argb(std::uint32_t v)
{
    return QColor(int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF), int(v >> 24));
}

struct Brush {
    QBrush brush;            // in world coordinates
    QColor back = Qt::transparent; // hatch background
    bool hatch = false;
};

struct Pen {
    Brush fill;
    double width = 1;
    std::uint32_t unit = 0;
    Qt::PenStyle style = Qt::SolidLine;
    QList<qreal> dashes;     // in pen widths
    double dashOffset = 0;
    Qt::PenCapStyle cap = Qt::FlatCap;
    Qt::PenJoinStyle join = Qt::MiterJoin;
    double miterLimit = 10;
};

struct Path {
    QPainterPath path;
};

struct Region {
    QPainterPath path;
    bool infinite = false;
};

struct Image {
    QImage bitmap;
    QByteArray metafile;     // a nested WMF or EMF, exactly as stored
};

struct Font {
    double emSize = 12;
    std::uint32_t unit = 0;
    int style = 0;           // bold 1, italic 2, underline 4, strikeout 8
    QString family;
};

struct StringFormat {
    std::uint32_t flags = 0; // NoWrap 0x1000, NoClip 0x4000
    std::uint32_t align = 0; // near 0, centre 1, far 2
    std::uint32_t lineAlign = 0;
    double leadingMargin = 0; // in ems
    double trailingMargin = 0;
};

using Object = std::variant<std::monostate, Brush, Pen, Path, Region, Image, Font, StringFormat>;

// Object types as the object record's flags give them.
enum class ObjectType { Invalid = 0, Brush = 1, Pen = 2, Path = 3, Region = 4, Image = 5, Font = 6, StringFormat = 7,
    ImageAttributes = 8, CustomLineCap = 9 };

// Reads one serialised object of the given type; an empty object when it is
// malformed or of a type not drawn.
Object readObject(RecordReader& r, ObjectType type);
Brush readBrush(RecordReader& r);
// A path object (version, count, flags, points, point types).
QPainterPath readPath(RecordReader& r);

// `n` points in the form the record's flags give: 0x0800 relative
// (7- or 15-bit steps), 0x4000 16-bit integers, otherwise floats. Empty
// when the record is too short.
std::vector<QPointF> readPoints(RecordReader& r, std::uint16_t flags, std::uint32_t n);
// A rectangle as four 16-bit integers or four floats (x, y, width, height).
QRectF readRect(RecordReader& r, bool compressed);
QTransform readMatrix(RecordReader& r);

// The table of object slots, with the pieces of an object that is being
// sent over several records.
class ObjectTable {
public:
    // The object of an id; ids beyond the table hold nothing.
    const Object& operator[](std::uint32_t id) const
    {
        static const Object none;
        return id < std::uint32_t(MaxObjects) ? held[id] : none;
    }
    // An object record's data with its flags. Returns once the object is
    // complete (whole, or its last piece).
    void take(RecordReader& data, std::uint16_t flags);
    // Finishes an object still waiting for pieces (another record came).
    void finishPending();

private:
    std::array<Object, MaxObjects> held;
    QByteArray pending;
    std::uint32_t pendingTotal = 0;
    int pendingId = -1;
    ObjectType pendingType = ObjectType::Invalid;
};

} // namespace bv::pictures::plus
