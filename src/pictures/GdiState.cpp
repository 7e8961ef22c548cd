#include "pictures/GdiState.h"

#include "pictures/Metafile.h"
#include "platform/ProfileFile.h"

namespace bv::pictures {

int GdiObjectTable::add(const GdiObject& o)
{
    for (size_t i = 0; i < objects.size(); ++i)
        if (objects[i].kind == GdiObject::None) {
            objects[i] = o;
            return int(i);
        }
    if (objects.size() >= size_t(Metafile::MaxObjects))
        return -1;
    objects.push_back(o);
    return int(objects.size() - 1);
}

void GdiObjectTable::set(std::int64_t index, const GdiObject& o)
{
    if (index < 0 || index >= Metafile::MaxObjects)
        return;
    if (size_t(index) >= objects.size())
        objects.resize(size_t(index) + 1);
    objects[size_t(index)] = o;
}

GdiObject GdiObjectTable::stock(std::uint32_t n)
{
    GdiObject o;
    switch (n) {
    case 0: case 1: case 2: case 3: case 4: {
        static const int greys[] = { 255, 192, 128, 64, 0 };
        o.kind = GdiObject::Brush;
        o.brush.color = QColor(greys[n], greys[n], greys[n]);
        break;
    }
    case 5: o.kind = GdiObject::Brush; o.brush.style = 1; break;
    case 6: o.kind = GdiObject::Pen; o.pen.color = Qt::white; break;
    case 7: o.kind = GdiObject::Pen; break;
    case 8: o.kind = GdiObject::Pen; o.pen.style = 5; break;
    case 18: o.kind = GdiObject::Brush; break;
    case 19: o.kind = GdiObject::Pen; break;
    case 10: case 11: case 12: case 13: case 14: case 16: case 17:
        o.kind = GdiObject::Font;
        break;
    default: break;
    }
    return o;
}

GdiObject GdiObjectTable::get(std::uint32_t index, bool stockAllowed) const
{
    if (stockAllowed && (index & 0x80000000u))
        return stock(index & 0x7FFFFFFFu);
    if (index < objects.size())
        return objects[index];
    return GdiObject();
}

void GdiObjectTable::remove(std::uint32_t index)
{
    if (index < objects.size())
        objects[index] = GdiObject();
}

QString ansiText(const QByteArray& b, int charset)
{
    if (charset == 2) // SYMBOL_CHARSET: the byte is the glyph
        return QString::fromLatin1(b);
    return DecodeWindows1252(b);
}

} // namespace bv::pictures
