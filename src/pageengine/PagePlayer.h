#pragma once
// Replays a stream recorded by TPageRecorder onto any painter, at a zoom.
// With this engine's device facts equal to the recording device's and a zoom
// of 100 %, a replayed page is the same drawing, pixel for pixel, as the job
// drawn directly by a TCanvasPageEngine on that device. At other zooms and
// resolutions inch coordinates follow the coordinate rule with z = zoom, and
// device-pixel arguments are carried over through the inches they stood for.
//
//     TPagePlayer player;
//     player.Load(recordedBytes);            // throws EReadError
//     QImage page = player.RenderPage(1, 96); // whole sheet at 96 ppi
#include "pageengine/PageCanvasEngine.h"

#include <QByteArray>
#include <QImage>
#include <QMap>
#include <QPicture>
#include <vector>

class QIODevice;

namespace bv {

class TPagePlayer : public TCanvasPageEngine {
public:
    TPagePlayer();
    ~TPagePlayer() override;

    // Reads a whole recording; throws EReadError when it is not one or is
    // damaged (nothing is kept then).
    void Load(const QByteArray& recording);
    void Load(QIODevice& stream);
    bool IsLoaded() const { return loaded; }

    int PageCount() const { return pageCount; }
    // The device the pages were recorded on.
    const TDeviceFacts& RecordedDevice() const { return recorded; }

    // Percent; 100 draws the sheet at the device's true size.
    double ZoomFactor() const { return zoomFactor; }
    // Values outside 1 .. 10000 are brought to the nearest of them.
    void SetZoomFactor(double percent)
    {
        if (percent == percent) // not NaN
            zoomFactor = percent < 1 ? 1 : (percent > 10000 ? 10000 : percent);
    }

    // Draws page (from 1) with the painter, using this engine's device facts
    // and origin at the zoom factor. Pages outside 1..PageCount draw nothing.
    void PlayPage(int page, QPainter* painter);
    // The whole sheet at ppi pixels per inch and the zoom factor, on white,
    // as a screen preview shows it (no unprintable offsets).
    QImage RenderPage(int page, double ppi);

private:
    struct Command {
        std::uint8_t op = 0;
        int page = 1;
        int i[5] = {0, 0, 0, 0, 0};
        double d[6] = {0, 0, 0, 0, 0, 0};
        QString text;
        QPolygon points;
    };
    void clear();
    void run(const Command& c);

    bool loaded = false;
    int pageCount = 0;
    double zoomFactor = 100;
    TDeviceFacts recorded;
    std::vector<Command> commands;
    QMap<int, Dib> bitmaps;
    QMap<int, QPicture> pictures;
    QMap<int, Metafile> metafiles;
};

} // namespace bv
