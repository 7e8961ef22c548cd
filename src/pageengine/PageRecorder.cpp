#include "pageengine/PageRecorder.h"

#include "pageengine/PageStreamFormat.h"

#include <QIODevice>
#include <QPicture>

namespace bv {

using namespace pagestream;

TPageRecorder::TPageRecorder()
{
    facts = TDeviceFacts();
}

TPageRecorder::~TPageRecorder() = default;

void TPageRecorder::finishRecord(Writer& w)
{
    w.finish();
    ++recordCount;
}

void TPageRecorder::simple(std::uint8_t op)
{
    Writer w(records);
    w.begin(static_cast<Op>(op));
    finishRecord(w);
}

void TPageRecorder::DoStartJob()
{
    records.clear();
    recording.clear();
    recordCount = 0;
    pages = 0;
    bitmapIds.clear();
    keptBitmaps.clear();
    metafileIds.clear();
    keptMetafiles.clear();
    pictureIds.clear();
    keptPictures.clear();
}

void TPageRecorder::DoBeginDocument()
{
    pages = 1;
}

void TPageRecorder::DoEndDocument()
{
    recording.clear();
    recording.reserve(HeaderSize + records.size());
    Writer w(recording);
    recording.append(Magic, 4);
    w.u32(Version);
    w.f64(facts.ResolutionX);
    w.f64(facts.ResolutionY);
    w.f64(facts.OffsetLeft);
    w.f64(facts.OffsetTop);
    w.f64(facts.OffsetBottom);
    w.f64(facts.PageWidth);
    w.f64(facts.PageHeight);
    w.u32(static_cast<std::uint32_t>(pages));
    w.u32(recordCount);
    recording.append(records);
    records.clear();
    if (stream) {
        if (!stream->isOpen() && !stream->open(QIODevice::WriteOnly))
            throw EWriteError(QStringLiteral("Unable to write the recorded pages"));
        if (stream->write(recording) != recording.size())
            throw EWriteError(QStringLiteral("Unable to write the recorded pages"));
    }
}

void TPageRecorder::DoNewPage()
{
    simple(opNewPage);
    ++pages;
}

int TPageRecorder::defineBytes(const QByteArray& bytes, std::uint8_t op, QHash<const void*, int>& ids,
    QList<QByteArray>& kept)
{
    const void* key = bytes.constData();
    auto it = ids.constFind(key);
    if (it != ids.constEnd())
        return it.value();
    const int id = static_cast<int>(kept.size());
    kept.append(bytes);
    ids.insert(key, id);
    Writer w(records);
    w.begin(static_cast<Op>(op));
    w.i32(id);
    w.bytes(bytes);
    finishRecord(w);
    return id;
}

int TPageRecorder::bitmapId(const Dib& bitmap)
{
    return defineBytes(bitmap.Bytes(), opDefineBitmap, bitmapIds, keptBitmaps);
}

int TPageRecorder::pictureId(const QPicture& picture)
{
    const void* key = picture.data();
    auto it = pictureIds.constFind(key);
    if (it != pictureIds.constEnd())
        return it.value();
    const int id = static_cast<int>(keptPictures.size());
    keptPictures.append(picture);
    pictureIds.insert(key, id);
    const QRect box = picture.boundingRect();
    Writer w(records);
    w.begin(opDefinePicture);
    w.i32(id);
    w.i32(box.x());
    w.i32(box.y());
    w.i32(box.width());
    w.i32(box.height());
    w.bytes(QByteArray(picture.data(), static_cast<qsizetype>(picture.size())));
    finishRecord(w);
    return id;
}

void TPageRecorder::DoSetPen(const PenSpec& pen)
{
    Writer w(records);
    w.begin(opPen);
    w.i32(pen.color);
    w.i32(pen.style);
    w.i32(pen.mode);
    w.u8(pen.inInches ? 1 : 0);
    w.f64(pen.width);
    finishRecord(w);
}

void TPageRecorder::DoSetBrush(const BrushSpec& brush)
{
    const int id = brush.bitmap.IsEmpty() ? -1 : bitmapId(brush.bitmap);
    Writer w(records);
    w.begin(opBrush);
    w.i32(brush.color);
    w.i32(brush.style);
    w.i32(id);
    finishRecord(w);
}

void TPageRecorder::DoSetFont(const FontSpec& font)
{
    Writer w(records);
    w.begin(opFont);
    w.str(font.name);
    w.f64(font.size);
    w.u8(font.bold);
    w.u8(font.italic);
    w.u8(font.underline);
    w.i32(font.color);
    finishRecord(w);
}

void TPageRecorder::DoSetTextBKMode(int mode)
{
    Writer w(records);
    w.begin(opTextBKMode);
    w.i32(mode);
    finishRecord(w);
}

void TPageRecorder::DoFigure(int kind, double x1, double y1, double x2, double y2, double cw, double ch)
{
    Writer w(records);
    w.begin(opFigure);
    w.i32(kind);
    for (double v : {x1, y1, x2, y2, cw, ch})
        w.f64(v);
    finishRecord(w);
}

void TPageRecorder::DoLine(double x1, double y1, double x2, double y2)
{
    Writer w(records);
    w.begin(opLine);
    for (double v : {x1, y1, x2, y2})
        w.f64(v);
    finishRecord(w);
}

namespace {
void writePoints(Writer& w, const QPolygon& points)
{
    w.u32(static_cast<std::uint32_t>(points.size()));
    for (const QPoint& p : points) {
        w.i32(p.x());
        w.i32(p.y());
    }
}
} // namespace

void TPageRecorder::DoPolygon(const QPolygon& points)
{
    Writer w(records);
    w.begin(opPolygon);
    writePoints(w, points);
    finishRecord(w);
}

void TPageRecorder::DoFillDeviceRect(const TDeviceRect& r)
{
    Writer w(records);
    w.begin(opFillDeviceRect);
    w.i32(r.Left);
    w.i32(r.Top);
    w.i32(r.Right);
    w.i32(r.Bottom);
    finishRecord(w);
}

void TPageRecorder::DoText(double x, double y, const QString& text)
{
    Writer w(records);
    w.begin(opText);
    w.f64(x);
    w.f64(y);
    w.str(text);
    finishRecord(w);
}

void TPageRecorder::DoStretchBitmap(double x1, double y1, double x2, double y2, const Dib& bitmap)
{
    const int id = bitmapId(bitmap);
    Writer w(records);
    w.begin(opStretchBitmap);
    for (double v : {x1, y1, x2, y2})
        w.f64(v);
    w.i32(id);
    finishRecord(w);
}

void TPageRecorder::DoStretchGraphic(const TDeviceRect& r, const QPicture& graphic)
{
    const int id = pictureId(graphic);
    Writer w(records);
    w.begin(opStretchGraphic);
    w.i32(r.Left);
    w.i32(r.Top);
    w.i32(r.Right);
    w.i32(r.Bottom);
    w.i32(id);
    finishRecord(w);
}

int TPageRecorder::metafileId(const Metafile& metafile)
{
    return defineBytes(metafile.Bytes(), opDefineMetafile, metafileIds, keptMetafiles);
}

void TPageRecorder::DoStretchMetafile(const TDeviceRect& r, const Metafile& metafile)
{
    const int id = metafileId(metafile);
    Writer w(records);
    w.begin(opStretchMetafile);
    w.i32(r.Left);
    w.i32(r.Top);
    w.i32(r.Right);
    w.i32(r.Bottom);
    w.i32(id);
    finishRecord(w);
}

void TPageRecorder::DoPushRegion(int kind, double x1, double y1, double x2, double y2, double cw, double ch)
{
    Writer w(records);
    w.begin(opPushRegion);
    w.i32(kind);
    for (double v : {x1, y1, x2, y2, cw, ch})
        w.f64(v);
    finishRecord(w);
}

void TPageRecorder::DoPushPolygonRegion(const QPolygon& points)
{
    Writer w(records);
    w.begin(opPushPolygonRegion);
    writePoints(w, points);
    finishRecord(w);
}

void TPageRecorder::DoBeginBlockClip(double x1, double y1, double x2, double y2)
{
    Writer w(records);
    w.begin(opBeginBlockClip);
    for (double v : {x1, y1, x2, y2})
        w.f64(v);
    finishRecord(w);
}

void TPageRecorder::DoEndBlockClip() { simple(opEndBlockClip); }
void TPageRecorder::DoSelectTopRegion() { simple(opSelectTopRegion); }
void TPageRecorder::DoClearClip() { simple(opClearClip); }
void TPageRecorder::DoPopRegion() { simple(opPopRegion); }
void TPageRecorder::DoBeginPath() { simple(opBeginPath); }
void TPageRecorder::DoEndPath() { simple(opEndPath); }
void TPageRecorder::DoClipToPath() { simple(opClipToPath); }
void TPageRecorder::DoStrokePath() { simple(opStrokePath); }

} // namespace bv
