#pragma once
// A finished PDF handed to a CUPS queue as one job (cupsCreateJob and
// cupsStartDocument with the PDF format): current print services take PDF
// and make whatever the printer needs from it. The options are IPP job
// attributes (copies, media, sides, page-ranges, ...).
#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QPair>
#include <QString>
#include <functional>

namespace bv {

using TJobOptions = QList<QPair<QString, QString>>;

// Throws EPrinter when the queue does not take the job. The PDF is read from
// `pdf`'s current position to its end, a piece at a time.
void SendPdfToQueue(const QString& queue, const QString& title, QIODevice& pdf, const TJobOptions& options);

// Tests: the jobs go to `sink` instead of the print service (nullptr: back
// to the service).
using TPdfJobSink = std::function<void(const QString& queue, const QString& title, const QByteArray& pdf,
    const TJobOptions& options)>;
void SetPdfJobSink(TPdfJobSink sink);

// Whether the queue prints on both sides of the sheet, turned about its long
// edge or its short edge (the queue's sides-supported); false when the print
// service does not know the queue.
bool QueuePrintsTwoSided(const QString& queue, bool longEdge);
// Tests: the answer comes from `probe` instead (nullptr: the service).
using TTwoSidedProbe = std::function<bool(const QString& queue, bool longEdge)>;
void SetTwoSidedProbe(TTwoSidedProbe probe);

} // namespace bv
