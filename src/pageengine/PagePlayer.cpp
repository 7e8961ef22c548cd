#include "pageengine/PagePlayer.h"

#include "pageengine/PageStreamFormat.h"
#include "platform/Checked.h"
#include "platform/Numeric.h"
#include "platform/SafeFile.h"

#include <QFile>
#include <QIODevice>
#include <QPainter>
#include <cmath>

namespace bv {

using namespace pagestream;

namespace {

[[noreturn]] void damaged(const char* why)
{
    throw EReadError(QStringLiteral("Invalid page recording (%1)").arg(QLatin1String(why)));
}

// Inch values beyond this are not from any sheet of paper.
constexpr double MaxInches = 1.0e5;

bool sane(double v, double limit = MaxInches) { return std::isfinite(v) && std::fabs(v) <= limit; }

// Device-pixel values of a recording (rectangles, points, picture boxes):
// within the range where the rectangle arithmetic of drawing cannot
// overflow, which is far beyond any page at any resolution.
void readDeviceValues(Reader& r, int* out, int count)
{
    for (int k = 0; k < count; ++k) {
        out[k] = r.i32();
        if (!checked::IsCoordinate(out[k]))
            damaged("coordinate");
    }
}

QPolygon readPoints(Reader& r)
{
    const std::uint32_t n = r.u32();
    if (r.failed() || qsizetype(n) * 8 > r.remaining())
        damaged("point count");
    QPolygon points(static_cast<qsizetype>(n));
    for (std::uint32_t k = 0; k < n; ++k) {
        const int x = r.i32();
        const int y = r.i32();
        if (!checked::IsCoordinate(x) || !checked::IsCoordinate(y))
            damaged("coordinate");
        points[k] = QPoint(x, y);
    }
    return points;
}

} // namespace

TPagePlayer::TPagePlayer() = default;
TPagePlayer::~TPagePlayer() = default;

void TPagePlayer::clear()
{
    loaded = false;
    pageCount = 0;
    commands.clear();
    bitmaps.clear();
    pictures.clear();
    metafiles.clear();
}

void TPagePlayer::Load(QIODevice& stream)
{
    // A file must be a regular one (a pipe or a device would never end).
    if (auto* file = qobject_cast<QFile*>(&stream); file && !IsRegularFile(file->fileName()))
        throw EReadError(QStringLiteral("Stream read error"));
    if (!stream.isOpen() && !stream.open(QIODevice::ReadOnly))
        throw EReadError(QStringLiteral("Stream read error"));
    if (!stream.isSequential())
        stream.seek(0);
    // Read no more than a recording may weigh, plus one byte to notice more.
    QByteArray data;
    for (;;) {
        const QByteArray chunk = stream.read(1 << 20);
        if (chunk.isEmpty())
            break;
        data += chunk;
        if (data.size() > MaxRecordingFileBytes)
            damaged("too large");
    }
    Load(data);
}

void TPagePlayer::Load(const QByteArray& data)
{
    clear();
    if (data.size() < HeaderSize || std::memcmp(data.constData(), Magic, 4) != 0)
        damaged("not a page recording");
    Reader head(data.constData() + 4, HeaderSize - 4);
    if (head.u32() != Version)
        damaged("unknown version");
    TDeviceFacts f;
    f.ResolutionX = head.f64();
    f.ResolutionY = head.f64();
    f.OffsetLeft = head.f64();
    f.OffsetTop = head.f64();
    f.OffsetBottom = head.f64();
    f.PageWidth = head.f64();
    f.PageHeight = head.f64();
    const std::uint32_t pagesInHeader = head.u32();
    const std::uint32_t recordsInHeader = head.u32();
    if (!(f.ResolutionX >= 1 && f.ResolutionX <= 100000 && f.ResolutionY >= 1 && f.ResolutionY <= 100000)
        || !sane(f.OffsetLeft, 1000) || !sane(f.OffsetTop, 1000) || !sane(f.OffsetBottom, 1000)
        || !(f.PageWidth > 0 && f.PageWidth <= 1000) || !(f.PageHeight > 0 && f.PageHeight <= 1000))
        damaged("device");
    if (pagesInHeader < 1 || pagesInHeader > 1000000)
        damaged("page count");

    std::vector<Command> cmds;
    QMap<int, Dib> bmps;
    QMap<int, QPicture> pics;
    QMap<int, Metafile> metas;
    int page = 1;
    Reader all(data.constData() + HeaderSize, data.size() - HeaderSize);
    std::uint32_t count = 0;
    while (!all.atEnd()) {
        const std::uint8_t op = all.u8();
        const std::uint32_t len = all.u32();
        if (all.failed() || qsizetype(len) > all.remaining())
            damaged("record length");
        Reader r(all.position(), len);
        all.skip(len);
        ++count;
        Command c;
        c.op = op;
        c.page = page;
        switch (op) {
        case opNewPage:
            ++page;
            break;
        case opPen:
            c.i[0] = r.i32();
            c.i[1] = r.i32();
            c.i[2] = r.i32();
            c.i[3] = r.u8();
            c.d[0] = r.f64();
            if (!sane(c.d[0], 100000) || (c.i[3] && c.d[0] > 100))
                damaged("pen width");
            break;
        case opBrush:
            c.i[0] = r.i32();
            c.i[1] = r.i32();
            c.i[2] = r.i32();
            if (c.i[2] != -1 && !bmps.contains(c.i[2]))
                damaged("brush bitmap");
            break;
        case opFont:
            c.text = r.str();
            c.d[0] = r.f64();
            c.i[0] = r.u8();
            c.i[1] = r.u8();
            c.i[2] = r.u8();
            c.i[3] = r.i32();
            if (!(c.d[0] >= 0 && c.d[0] <= 5000))
                damaged("font size");
            break;
        case opTextBKMode:
            c.i[0] = r.i32();
            break;
        case opFigure:
        case opPushRegion:
            c.i[0] = r.i32();
            for (int k = 0; k < 6; ++k)
                if (!sane(c.d[k] = r.f64()))
                    damaged("coordinate");
            break;
        case opLine:
        case opBeginBlockClip:
            for (int k = 0; k < 4; ++k)
                if (!sane(c.d[k] = r.f64()))
                    damaged("coordinate");
            break;
        case opPolygon:
        case opPushPolygonRegion:
            c.points = readPoints(r);
            break;
        case opFillDeviceRect:
            readDeviceValues(r, c.i, 4);
            break;
        case opText:
            c.d[0] = r.f64();
            c.d[1] = r.f64();
            c.text = r.str();
            if (!sane(c.d[0]) || !sane(c.d[1]))
                damaged("coordinate");
            break;
        case opStretchBitmap:
            for (int k = 0; k < 4; ++k)
                if (!sane(c.d[k] = r.f64()))
                    damaged("coordinate");
            c.i[0] = r.i32();
            if (!bmps.contains(c.i[0]))
                damaged("bitmap reference");
            break;
        case opStretchGraphic:
            readDeviceValues(r, c.i, 4);
            c.i[4] = r.i32();
            if (!pics.contains(c.i[4]))
                damaged("picture reference");
            break;
        case opStretchMetafile:
            for (int k = 0; k < 5; ++k)
                c.i[k] = r.i32();
            if (!metas.contains(c.i[4]))
                damaged("metafile reference");
            break;
        case opSelectTopRegion:
        case opClearClip:
        case opPopRegion:
        case opBeginPath:
        case opEndPath:
        case opClipToPath:
        case opStrokePath:
        case opEndBlockClip:
            break;
        case opDefineBitmap: {
            const int id = r.i32();
            const QByteArray bytes = r.bytes();
            if (r.failed() || bmps.contains(id))
                damaged("bitmap definition");
            try {
                bmps.insert(id, Dib::FromBytes(bytes));
            } catch (const EConvertError&) {
                damaged("bitmap");
            }
            break;
        }
        case opDefinePicture: {
            const int id = r.i32();
            int b[4];
            readDeviceValues(r, b, 4);
            const QRect box(b[0], b[1], b[2], b[3]);
            const QByteArray bytes = r.bytes();
            if (r.failed() || pics.contains(id) || !bytes.startsWith("QPIC") || bytes.size() < 6)
                damaged("picture definition");
            // The picture's own checksum (big-endian, after the signature)
            // over the rest of its data; Qt would only warn at drawing time.
            const auto stored = static_cast<quint16>((uchar(bytes[4]) << 8) | uchar(bytes[5]));
            if (qChecksum(QByteArrayView(bytes.constData() + 6, bytes.size() - 6)) != stored)
                damaged("picture checksum");
            QPicture picture;
            picture.setData(bytes.constData(), static_cast<uint>(bytes.size()));
            picture.setBoundingRect(box);
            pics.insert(id, picture);
            break;
        }
        case opDefineMetafile: {
            const int id = r.i32();
            const QByteArray bytes = r.bytes();
            if (r.failed() || metas.contains(id))
                damaged("metafile definition");
            try {
                metas.insert(id, Metafile::FromBytes(bytes));
            } catch (const EConvertError&) {
                damaged("metafile");
            }
            break;
        }
        default:
            damaged("unknown record");
        }
        if (r.failed() || !r.atEnd())
            damaged("record contents");
        if (op != opDefineBitmap && op != opDefinePicture && op != opDefineMetafile && op != opNewPage)
            cmds.push_back(std::move(c));
    }
    if (count != recordsInHeader)
        damaged("record count");
    if (std::uint32_t(page) != pagesInHeader)
        damaged("page count");

    recorded = f;
    commands = std::move(cmds);
    bitmaps = std::move(bmps);
    pictures = std::move(pics);
    metafiles = std::move(metas);
    pageCount = page;
    loaded = true;
}

void TPagePlayer::run(const Command& c)
{
    switch (c.op) {
    case opPen: {
        PenSpec p;
        p.color = c.i[0];
        p.style = c.i[1];
        p.mode = c.i[2];
        p.inInches = c.i[3] != 0;
        p.width = c.d[0];
        DoSetPen(p);
        break;
    }
    case opBrush: {
        BrushSpec b;
        b.color = c.i[0];
        b.style = c.i[1];
        if (c.i[2] >= 0)
            b.bitmap = bitmaps.value(c.i[2]);
        DoSetBrush(b);
        break;
    }
    case opFont: {
        FontSpec f;
        f.name = c.text;
        f.size = c.d[0];
        f.bold = c.i[0] != 0;
        f.italic = c.i[1] != 0;
        f.underline = c.i[2] != 0;
        f.color = c.i[3];
        DoSetFont(f);
        break;
    }
    case opTextBKMode: DoSetTextBKMode(c.i[0]); break;
    case opFigure: DoFigure(c.i[0], c.d[0], c.d[1], c.d[2], c.d[3], c.d[4], c.d[5]); break;
    case opLine: DoLine(c.d[0], c.d[1], c.d[2], c.d[3]); break;
    case opPolygon: DoPolygon(c.points); break;
    case opFillDeviceRect: DoFillDeviceRect(TDeviceRect{c.i[0], c.i[1], c.i[2], c.i[3]}); break;
    case opText: DoText(c.d[0], c.d[1], c.text); break;
    case opStretchBitmap: DoStretchBitmap(c.d[0], c.d[1], c.d[2], c.d[3], bitmaps[c.i[0]]); break;
    case opStretchGraphic: DoStretchGraphic(TDeviceRect{c.i[0], c.i[1], c.i[2], c.i[3]}, pictures[c.i[4]]); break;
    case opStretchMetafile: DoStretchMetafile(TDeviceRect{c.i[0], c.i[1], c.i[2], c.i[3]}, metafiles[c.i[4]]); break;
    case opPushRegion: DoPushRegion(c.i[0], c.d[0], c.d[1], c.d[2], c.d[3], c.d[4], c.d[5]); break;
    case opPushPolygonRegion: DoPushPolygonRegion(c.points); break;
    case opSelectTopRegion: DoSelectTopRegion(); break;
    case opClearClip: DoClearClip(); break;
    case opPopRegion: DoPopRegion(); break;
    case opBeginPath: DoBeginPath(); break;
    case opEndPath: DoEndPath(); break;
    case opClipToPath: DoClipToPath(); break;
    case opStrokePath: DoStrokePath(); break;
    case opBeginBlockClip: DoBeginBlockClip(c.d[0], c.d[1], c.d[2], c.d[3]); break;
    case opEndBlockClip: DoEndBlockClip(); break;
    default: break;
    }
}

void TPagePlayer::PlayPage(int page, QPainter* target)
{
    if (!loaded || page < 1 || page > pageCount || !target || !target->isActive())
        return;
    zoom = zoomFactor / 100.0;
    remap = true;
    sourceFacts = recorded;
    resetState();
    documentActive = true;
    SetPainter(target);
    try {
        // Earlier pages run without output so that the state they leave
        // (pen, brush, font, regions, clip) is the state this page starts in.
        for (const Command& c : commands) {
            if (c.page > page)
                break;
            suppressOutput = c.page < page;
            run(c);
        }
    } catch (...) {
        suppressOutput = false;
        DoEndDocument();
        throw;
    }
    suppressOutput = false;
    DoEndDocument();
}

QImage TPagePlayer::RenderPage(int page, double ppi)
{
    if (!loaded || page < 1 || page > pageCount || !(ppi > 0 && ppi <= 100000))
        return {};
    const double z = zoomFactor / 100.0;
    const auto w = Round(static_cast<Extended>(recorded.PageWidth) * ppi * z);
    const auto h = Round(static_cast<Extended>(recorded.PageHeight) * ppi * z);
    if (w < 1 || h < 1 || w * h > (std::int64_t(1) << 28))
        return {};
    QImage image(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.fill(Qt::white);
    const TDeviceFacts saved = facts;
    const QPoint savedOrigin = origin;
    facts = TDeviceFacts{ppi, ppi, 0, 0, 0, recorded.PageWidth, recorded.PageHeight};
    origin = QPoint();
    QPainter p(&image);
    try {
        PlayPage(page, &p);
    } catch (...) {
        facts = saved;
        origin = savedOrigin;
        throw;
    }
    p.end();
    facts = saved;
    origin = savedOrigin;
    return image;
}

} // namespace bv
