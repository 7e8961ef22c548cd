#pragma once
// One print job written as a PDF in two layers, joined by qpdf when the job
// ends:
//   - the sheets: one page per sheet, drawn by Qt's PDF writer (whatever is
//     drawn outside blocks: outlines, marks);
//   - blocks: each distinct block (a card, named by its key) drawn once by a
//     second Qt PDF writer onto a page of the block's size, and placed on
//     every sheet position as a form XObject, clipped to its box. A gradient
//     inside a block becomes one axial shading: the block's page ends before
//     it, the shading is painted through the clip in force, and the block
//     goes on on a fresh page; the block's form shows its pages and
//     shadings in order.
// Ten sheets of a card therefore hold one drawing of the card, and each
// placement costs a few bytes.
//
// A long job (a merge of thousands of records, each card its own block) is
// put together in parts: once a part has drawn enough distinct blocks, its
// sheets are joined and written out at the next sheet, and the next part
// starts afresh. Memory then holds one part, however long the job; a block
// shown again in a later part is drawn again there, and a picture already
// written by an earlier part is referred to, not written twice.
//
// Qt's PDF writer has no way to reuse a drawing or to write a shading of
// its own; qpdf (a maintained PDF library in Debian) turns the pages Qt made
// into form XObjects and adds the few objects needed.
#include "platform/Colors.h"

#include <QByteArray>
#include <QList>
#include <QPageSize>
#include <QPainterPath>
#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <QImage>
#include <QTransform>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QPainter;

namespace bv {

// A banded gradient inside a block, in the block page's device pixels.
struct TPdfShading {
    // The clips in force; all of them apply.
    std::optional<QPainterPath> Clip;
    std::optional<QRect> BlockClip;
    QRect Area;
    // Bands run left to right (else top to bottom).
    bool Across = false;
    QList<TColor> Colours;
};

// Where the PDF's bytes go, in order, as they are made.
using TPdfOutput = std::function<void(const QByteArray&)>;

// A bitmap inside a block, written by the job itself: the pixels once per
// job however many blocks and sheets show them, compressed a row at a time
// (no full copy of a large photo), transparency as a soft mask.
struct TPdfPicture {
    QImage Image;
    // Maps the picture's unit square (y down: (0, 0) its top-left corner)
    // to the block page's device pixels.
    QTransform ToDevice;
    // The clip in force, in device pixels.
    std::optional<QPainterPath> Clip;
    double Opacity = 1;
};

class TPdfJob {
public:
    // The sheets are `sheet` (as oriented); drawing is in device pixels of
    // `resolution` per inch from each page's top-left corner. The PDF goes
    // to `output` as the job goes on (the file's start is written at once,
    // so an output that cannot be written fails here).
    TPdfJob(const QString& title, const QPageSize& sheet, bool landscape, int resolution, TPdfOutput output);
    ~TPdfJob();
    TPdfJob(const TPdfJob&) = delete;
    TPdfJob& operator=(const TPdfJob&) = delete;

    // The painter of the current sheet; null when the writer could not start.
    QPainter* SheetPainter() const;
    void NewSheet();

    // The block drawn for this key and size; -1 when none yet.
    int FindBlock(const QString& key, const QSizeF& inches) const;
    // Starts drawing a new block; returns its painter (valid until EndBlock
    // or the next shading).
    QPainter* BeginBlock(const QString& key, const QSizeF& inches);
    // True when the colours follow the two-colour rule a shading function
    // reproduces exactly: colour i = first + MulDiv(i, last - first, n - 1)
    // per component.
    static bool ShadingFits(const QList<TColor>& colours);
    // Paints a gradient in the block being drawn (ShadingFits colours); the
    // block's painter is then a new one (returned).
    QPainter* AddShading(const TPdfShading& shading);
    // Shows a bitmap in the block being drawn; the block's painter goes on
    // on a fresh page with its state (returned).
    QPainter* AddPicture(const TPdfPicture& picture);
    // Ends the block being drawn; returns its number.
    int EndBlock();
    // Shows a block with its top-left corner at (x, y) inches on the
    // current sheet, clipped to its box.
    void Place(int block, double x, double y);

    // Trim and bleed boxes (inches from the sheet's top-left corner) for
    // every sheet, as a print shop reads them; empty: none.
    void SetPageBoxes(const QRectF& trim, const QRectF& bleed);

    int Sheets() const;
    // Blocks drawn over the whole job.
    int Blocks() const;
    // Ends the writers and writes the rest of the PDF. Throws EPrinter when
    // the parts cannot be put together.
    void Finish();
    // Bytes given to the output so far.
    qint64 BytesWritten() const;

    // Distinct blocks a part draws before its sheets are written out
    // (tests make it small to run a long job's path on a few cards).
    static void SetBlocksPerPart(int blocks);

    // The function of a shading as PDF calculator code: the band colour at
    // t in [0, 1] (exposed for the tests of the shading).
    static QByteArray BandFunction(const QList<TColor>& colours);

private:
    struct Part;
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace bv
