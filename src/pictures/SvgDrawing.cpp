#include "pictures/SvgDrawing.h"

#include "platform/Dib.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "platform/Numeric.h"
#include "platform/PictureLimits.h"
#include "platform/SafeFile.h"

#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <zlib.h>

namespace bv {

namespace {

// The comment record that carries the drawing: EMR_GDICOMMENT (type 70 of
// the enhanced-metafile record table), its data opening with this private
// identifier, then the byte count and the SVG bytes.
constexpr std::uint32_t EmrHeader = 1;
constexpr std::uint32_t EmrEof = 14;
constexpr std::uint32_t EmrSetStretchBltMode = 21;
constexpr std::uint32_t EmrGdiComment = 70;
constexpr std::uint32_t EmrStretchDiBits = 81;
constexpr std::uint32_t EmfSignature = 0x464D4520u; // " EMF"
constexpr std::uint32_t Halftone = 4;
constexpr std::uint32_t SrcCopy = 0x00CC0020u;
constexpr char CarrierTag[4] = { 'B', 'V', 'S', 'G' };
// The metafile's reference device: 96 pixels per inch (960 pixels in 254 mm).
constexpr int ReferencePpi = 96;

[[noreturn]] void invalid(const QString& why)
{
    throw EConvertError(QStringLiteral("SVG drawing is not valid (%1)").arg(why));
}

bool gzipped(const QByteArray& b)
{
    return b.size() >= 2 && uchar(b[0]) == 0x1F && uchar(b[1]) == 0x8B;
}

// Inflates a gzip stream, refusing more than the limit.
QByteArray inflate(const QByteArray& in)
{
    z_stream z{};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK)
        invalid(QStringLiteral("cannot inflate"));
    QByteArray out;
    char chunk[65536];
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
    z.avail_in = static_cast<uInt>(in.size());
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        z.next_out = reinterpret_cast<Bytef*>(chunk);
        z.avail_out = sizeof chunk;
        rc = ::inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) {
            inflateEnd(&z);
            invalid(QStringLiteral("damaged compressed data"));
        }
        const qsizetype got = qsizetype(sizeof chunk) - z.avail_out;
        if (out.size() + got > SvgDrawing::MaxInflatedBytes) {
            inflateEnd(&z);
            invalid(QStringLiteral("too large when inflated"));
        }
        out.append(chunk, got);
        if (rc == Z_OK && got == 0 && z.avail_in == 0) {
            inflateEnd(&z);
            invalid(QStringLiteral("compressed data ends early"));
        }
    }
    inflateEnd(&z);
    return out;
}

// A length attribute in inches; 0 for a length of zero (nothing to show),
// negative when absent, relative or not a number.
double lengthInches(QStringView text)
{
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*([+]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?)\s*(px|in|cm|mm|pt|pc)?\s*$)"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return -1;
    const double v = m.captured(1).toDouble();
    const QString unit = m.captured(2);
    double perInch = 96; // px, and numbers without a unit
    if (unit == QLatin1String("in"))
        perInch = 1;
    else if (unit == QLatin1String("cm"))
        perInch = 2.54;
    else if (unit == QLatin1String("mm"))
        perInch = 25.4;
    else if (unit == QLatin1String("pt"))
        perInch = 72;
    else if (unit == QLatin1String("pc"))
        perInch = 6;
    const double inches = v / perInch;
    return std::isfinite(inches) && inches >= 0 ? inches : -1;
}

struct RootFacts {
    double width = -1;  // inches
    double height = -1;
};

// Reads the document through once: it must be well-formed XML with an <svg>
// root, and no picture in it may come from a file.
RootFacts scan(const QByteArray& xml)
{
    QXmlStreamReader reader(xml);
    RootFacts facts;
    bool root = true;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        if (root) {
            if (reader.name() != QLatin1String("svg"))
                invalid(QStringLiteral("no svg element"));
            facts.width = lengthInches(attributes.value(QLatin1String("width")));
            facts.height = lengthInches(attributes.value(QLatin1String("height")));
            root = false;
        }
        if (reader.name() == QLatin1String("image")) {
            for (const QXmlStreamAttribute& a : attributes) {
                if (a.name() != QLatin1String("href"))
                    continue;
                const QStringView href = a.value().trimmed();
                if (!href.startsWith(QLatin1String("data:"), Qt::CaseInsensitive))
                    invalid(QStringLiteral("a picture refers to a file"));
            }
        }
    }
    if (reader.hasError())
        invalid(reader.errorString());
    if (root)
        invalid(QStringLiteral("no svg element"));
    return facts;
}

void put16(QByteArray& b, std::uint16_t v)
{
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}
void put32(QByteArray& b, std::uint32_t v)
{
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}
void putRect(QByteArray& b, int l, int t, int r, int bottom)
{
    for (int v : { l, t, r, bottom })
        put32(b, static_cast<std::uint32_t>(v));
}
std::uint32_t at32(const QByteArray& b, qsizetype at)
{
    return qFromLittleEndian<std::uint32_t>(b.constData() + at);
}

} // namespace

SvgDrawing SvgDrawing::FromBytes(const QByteArray& data)
{
    if (data.isEmpty())
        invalid(QStringLiteral("no data"));
    if (data.size() > MaxBytes)
        invalid(QStringLiteral("too large"));
    const QByteArray xml = gzipped(data) ? inflate(data) : data;
    const RootFacts facts = scan(xml);
    auto renderer = std::make_shared<QSvgRenderer>();
    if (!renderer->load(xml) || !renderer->isValid())
        invalid(QStringLiteral("not a drawing"));
    // The size in inches: the root's own width and height, else its view
    // box taken in px.
    QSizeF box = renderer->viewBoxF().size();
    if (box.isEmpty())
        box = renderer->defaultSize();
    double w = facts.width, h = facts.height;
    if (w == 0 || h == 0)
        invalid(QStringLiteral("no size"));
    if (w < 0 && h < 0) {
        w = box.width() / 96;
        h = box.height() / 96;
    } else if (w < 0) {
        w = box.height() > 0 ? h * box.width() / box.height() : h;
    } else if (h < 0) {
        h = box.width() > 0 ? w * box.height() / box.width() : w;
    }
    if (!(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h))
        invalid(QStringLiteral("no size"));
    const double maxInches = double(MaxPictureSide) / std::max(ScreenPpi(), ReferencePpi);
    w = std::min(w, maxInches);
    h = std::min(h, maxInches);

    SvgDrawing d;
    d.bytes = data;
    d.renderer = std::move(renderer);
    d.inches = QSizeF(w, h);
    d.size = QSize(std::max<int>(1, int(Round(w * ScreenPpi()))), std::max<int>(1, int(Round(h * ScreenPpi()))));
    return d;
}

SvgDrawing SvgDrawing::FromFile(const QString& path)
{
    return FromBytes(ReadOutsideFileOrThrow(path, MaxBytes));
}

void SvgDrawing::Render(QPainter& painter, const QRectF& target) const
{
    if (!renderer || target.isEmpty())
        return;
    painter.save();
    renderer->render(&painter, target);
    painter.restore();
}

QByteArray SvgDrawing::CarrierMetafile() const
{
    if (IsEmpty())
        return {};
    // The frame in reference pixels and in hundredths of a millimetre.
    const int w = std::max<int>(1, int(Round(inches.width() * ReferencePpi)));
    const int h = std::max<int>(1, int(Round(inches.height() * ReferencePpi)));
    const int frameW = int(Round(inches.width() * 2540));
    const int frameH = int(Round(inches.height() * 2540));

    // The picture older readers show: the drawing on white at twice the
    // reference resolution, the longer side at most CarrierSide pixels.
    const double scale = std::min(2.0, double(CarrierSide) / std::max(w, h));
    const int bw = std::max<int>(1, int(Round(w * scale)));
    const int bh = std::max<int>(1, int(Round(h * scale)));
    QImage shown(bw, bh, QImage::Format_RGB32);
    shown.fill(Qt::white);
    {
        QPainter p(&shown);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        Render(p, QRectF(0, 0, bw, bh));
    }
    const QByteArray dib = Dib::FromImage(shown).Bytes();
    const QByteArray info = dib.mid(14, 40);
    const QByteArray bits = dib.mid(54);

    QByteArray records;
    // The SVG bytes, unchanged, in a comment record.
    {
        QByteArray data(CarrierTag, 4);
        put32(data, static_cast<std::uint32_t>(bytes.size()));
        data += bytes;
        while (data.size() % 4)
            data.append('\0');
        put32(records, EmrGdiComment);
        put32(records, static_cast<std::uint32_t>(12 + data.size()));
        put32(records, static_cast<std::uint32_t>(data.size()));
        records += data;
    }
    put32(records, EmrSetStretchBltMode);
    put32(records, 12);
    put32(records, Halftone);
    {
        const std::uint32_t header = 80;
        put32(records, EmrStretchDiBits);
        put32(records, static_cast<std::uint32_t>(header + info.size() + bits.size()));
        putRect(records, 0, 0, w - 1, h - 1);
        put32(records, 0); // xDest
        put32(records, 0); // yDest
        put32(records, 0); // xSrc
        put32(records, 0); // ySrc
        put32(records, static_cast<std::uint32_t>(bw));
        put32(records, static_cast<std::uint32_t>(bh));
        put32(records, header);                                   // offBmiSrc
        put32(records, static_cast<std::uint32_t>(info.size()));  // cbBmiSrc
        put32(records, static_cast<std::uint32_t>(header + info.size())); // offBitsSrc
        put32(records, static_cast<std::uint32_t>(bits.size()));  // cbBitsSrc
        put32(records, 0);                                        // DIB_RGB_COLORS
        put32(records, SrcCopy);
        put32(records, static_cast<std::uint32_t>(w));            // cxDest
        put32(records, static_cast<std::uint32_t>(h));            // cyDest
        records += info;
        records += bits;
    }
    put32(records, EmrEof);
    put32(records, 20);
    put32(records, 0);  // palette entries
    put32(records, 16); // their offset
    put32(records, 20); // this record's size

    constexpr int HeaderSize = 108;
    QByteArray emf;
    put32(emf, EmrHeader);
    put32(emf, HeaderSize);
    putRect(emf, 0, 0, w - 1, h - 1);
    putRect(emf, 0, 0, frameW, frameH);
    put32(emf, EmfSignature);
    put32(emf, 0x10000);
    put32(emf, static_cast<std::uint32_t>(HeaderSize + records.size()));
    put32(emf, 5); // records: header, comment, mode, bitmap, end
    put16(emf, 1); // handles (the first is reserved)
    put16(emf, 0);
    put32(emf, 0); // description
    put32(emf, 0);
    put32(emf, 0); // palette entries
    put32(emf, 960); // reference device in pixels
    put32(emf, 960);
    put32(emf, 254); // and in millimetres
    put32(emf, 254);
    put32(emf, 0); // pixel format
    put32(emf, 0);
    put32(emf, 0); // OpenGL
    put32(emf, 254000); // micrometres
    put32(emf, 254000);
    return emf + records;
}

QByteArray SvgDrawing::CarriedBytes(const QByteArray& emf)
{
    const qsizetype n = emf.size();
    if (n < 88 || at32(emf, 0) != EmrHeader || at32(emf, 40) != EmfSignature)
        return {};
    qsizetype at = 0;
    while (n - at >= 8) {
        const std::uint32_t type = at32(emf, at);
        const std::uint32_t size = at32(emf, at + 4);
        if (size < 8 || size % 4 || size > std::uint64_t(n - at))
            return {};
        if (type == EmrGdiComment && size >= 20 && std::memcmp(emf.constData() + at + 12, CarrierTag, 4) == 0) {
            const std::uint32_t cbData = at32(emf, at + 8);
            const std::uint32_t count = at32(emf, at + 16);
            if (cbData > size - 12 || cbData < 8 || count > cbData - 8)
                return {};
            return emf.mid(at + 20, count);
        }
        if (type == EmrEof)
            return {};
        at += size;
    }
    return {};
}

} // namespace bv
