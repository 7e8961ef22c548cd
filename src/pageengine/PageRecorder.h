#pragma once
// Records the pages of a job into a stream for a later, exact replay by
// TPagePlayer (the preview). The caller creates the stream, hands it over
// with SetStream before Execute and frees it afterwards; the recording is
// written to it when the document ends (format: pageengine/PageStreamFormat.h).
//
// The recorder behaves as a device with the facts given by SetDeviceFacts
// (600 dpi, no unprintable margins, Letter portrait unless told otherwise):
// text metrics, InchRectToDevice and device-pixel arguments refer to it.
// Copy a printer's facts into it to make the preview match that printer.
#include "pageengine/PageEngine.h"

#include <QByteArray>
#include <QHash>
#include <QPicture>

class QIODevice;

namespace bv {

namespace pagestream {
class Writer;
}

class TPageRecorder : public TPageEngine {
public:
    TPageRecorder();
    ~TPageRecorder() override;

    QIODevice* Stream() const { return stream; }
    void SetStream(QIODevice* value) { stream = value; }
    // The recording of the last job (also written to the stream).
    const QByteArray& Recording() const { return recording; }
    int PageCount() const { return pages; }

protected:
    void DoStartJob() override;
    void DoBeginDocument() override;
    void DoEndDocument() override;
    void DoNewPage() override;

    void DoSetPen(const PenSpec& pen) override;
    void DoSetBrush(const BrushSpec& brush) override;
    void DoSetFont(const FontSpec& font) override;
    void DoSetTextBKMode(int mode) override;
    void DoFigure(int kind, double x1, double y1, double x2, double y2, double cw, double ch) override;
    void DoLine(double x1, double y1, double x2, double y2) override;
    void DoPolygon(const QPolygon& points) override;
    void DoFillDeviceRect(const TDeviceRect& rect) override;
    void DoText(double x, double y, const QString& text) override;
    void DoStretchBitmap(double x1, double y1, double x2, double y2, const Dib& bitmap) override;
    void DoStretchGraphic(const TDeviceRect& rect, const QPicture& graphic) override;
    void DoStretchMetafile(const TDeviceRect& rect, const Metafile& metafile) override;
    void DoBeginBlockClip(double x1, double y1, double x2, double y2) override;
    void DoEndBlockClip() override;
    void DoPushRegion(int kind, double x1, double y1, double x2, double y2, double cw, double ch) override;
    void DoPushPolygonRegion(const QPolygon& points) override;
    void DoSelectTopRegion() override;
    void DoClearClip() override;
    void DoPopRegion() override;
    void DoBeginPath() override;
    void DoEndPath() override;
    void DoClipToPath() override;
    void DoStrokePath() override;

private:
    void simple(std::uint8_t op);
    // Closes a record and counts it for the page header.
    void finishRecord(pagestream::Writer& w);
    // Defines a bitmap or metafile once, by the identity of its (implicitly
    // shared) bytes; later uses name it by the id returned.
    int defineBytes(const QByteArray& bytes, std::uint8_t op, QHash<const void*, int>& ids, QList<QByteArray>& kept);
    int bitmapId(const Dib& bitmap);
    int pictureId(const QPicture& picture);
    int metafileId(const Metafile& metafile);

    QIODevice* stream = nullptr;
    QByteArray records;
    QByteArray recording;
    std::uint32_t recordCount = 0;
    int pages = 0;
    // Bitmaps and pictures already defined, by the identity of their
    // (implicitly shared) data, which the kept copies hold alive.
    QHash<const void*, int> bitmapIds;
    QList<QByteArray> keptBitmaps;
    QHash<const void*, int> pictureIds;
    QList<QPicture> keptPictures;
    QHash<const void*, int> metafileIds;
    QList<QByteArray> keptMetafiles;
};

} // namespace bv
