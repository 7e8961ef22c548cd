#pragma once
// The EMF+ player: the records that enhanced metafiles from current office
// suites and GDI+ carry inside comment records, with translucent colours,
// gradients, dashed pens, paths, clipping and text. The enhanced metafile
// player hands it each EMF+ comment; once an EMF+ header has been seen the
// classic records are only the fallback drawing and are skipped, except
// those following a GetDC record, which belong to the picture.
#include "pictures/EmfPlusObjects.h"
#include "pictures/RecordKinds.h"
#include "pictures/RecordTable.h"

#include <QPainterPath>
#include <QRectF>
#include <QTransform>
#include <vector>

class QPainter;

namespace bv::pictures {

class EmfPlusPlayer {
public:
    // Where the picture goes: the painter, the target rectangle, the
    // painter's transform and clip when playing began, and the mapping of
    // the reference device's pixels onto the target.
    struct Frame {
        QRectF target;
        QTransform base;
        QTransform device;
        bool hadClip = false;
        QPainterPath outerClip;
    };
    EmfPlusPlayer(QPainter& painter, const Frame& frame) : p(painter), frame(frame) {}

    // True for the data of an EMF+ comment (after the comment's size).
    static bool IsEmfPlus(const QByteArray& commentData);
    // Plays the records of one EMF+ comment's data.
    void playComment(const QByteArray& commentData);
    // True once the picture's EMF+ header has been read.
    bool started() const { return header; }
    // True when the last EMF+ record was GetDC: the classic records that
    // follow draw.
    bool classicRecordsDraw() const { return getDC; }

    // Nesting limit for metafile images inside EMF+ pictures.
    static constexpr int MaxNesting = 4;
    // Dashes of one line drawn as dashes.
    static constexpr double MaxDashes = 100000;
    // Saved graphics states kept.
    static constexpr int MaxSaved = 1024;

private:
    using Kind = EmfPlusRecord;
    using Table = RecordTable<EmfPlusPlayer, Kind>;
    static const Table& table();

    struct State {
        QTransform world;
        QTransform container; // the container's space in its parent's world
        std::uint32_t pageUnit = 2;
        double pageScale = 1;
        bool clipOn = false;
        QPainterPath clip;    // target coordinates
    };

    // World units to target coordinates, and to the painter's device.
    QTransform toTarget() const;
    QTransform full() const { return toTarget() * frame.base; }
    // A size in `unit` as world units.
    double worldSize(double size, std::uint32_t unit) const;
    void applyClip();
    void combineClip(const QPainterPath& worldPath, int mode, bool infinite = false);
    plus::Brush brush(std::uint32_t idOrColour) const;
    // The pen of a slot, its width in world units; NoPen when the slot
    // holds none.
    QPen pen(std::uint32_t id) const;
    void fill(const QPainterPath& worldPath, const plus::Brush& b);
    void stroke(const QPainterPath& worldPath, std::uint32_t penId);
    QPainterPath arc(const QRectF& box, double start, double sweep, bool pie) const;
    QPainterPath curve(const std::vector<QPointF>& pts, double tension, bool closed, size_t from, size_t segments) const;
    void drawImage(const plus::Image& img, const QRectF& src, const QPointF& ul, const QPointF& ur, const QPointF& ll);
    QFont font(const plus::Font& f, double pixels) const;
    QBrush textBrush(std::uint32_t idOrColour, double k) const;

    void onHeader(RecordReader& r, Kind);
    void onEndOfFile(RecordReader& r, Kind);
    void onGetDC(RecordReader& r, Kind);
    void onObject(RecordReader& r, Kind);
    void onClear(RecordReader& r, Kind);
    void onRects(RecordReader& r, Kind kind);
    void onFillPolygon(RecordReader& r, Kind);
    void onDrawLines(RecordReader& r, Kind);
    void onEllipse(RecordReader& r, Kind kind);
    void onPie(RecordReader& r, Kind kind);
    void onFillRegion(RecordReader& r, Kind);
    void onFillPath(RecordReader& r, Kind);
    void onDrawPath(RecordReader& r, Kind);
    void onClosedCurve(RecordReader& r, Kind kind);
    void onDrawCurve(RecordReader& r, Kind);
    void onDrawBeziers(RecordReader& r, Kind);
    void onDrawImage(RecordReader& r, Kind kind);
    void onDrawString(RecordReader& r, Kind);
    void onDrawDriverString(RecordReader& r, Kind);
    void onSave(RecordReader& r, Kind kind);
    void onRestore(RecordReader& r, Kind kind);
    void onBeginContainer(RecordReader& r, Kind);
    void onWorldTransform(RecordReader& r, Kind kind);
    void onSetPageTransform(RecordReader& r, Kind);
    void onResetClip(RecordReader& r, Kind);
    void onSetClip(RecordReader& r, Kind kind);
    void onOffsetClip(RecordReader& r, Kind);

    QPainter& p;
    Frame frame;
    State st;
    std::vector<std::pair<std::uint32_t, State>> saved;
    plus::ObjectTable objects;
    double dpiX = 96, dpiY = 96;
    bool header = false;
    bool ended = false;
    bool getDC = false;
    std::uint16_t flags = 0; // of the record being played
};

} // namespace bv::pictures
