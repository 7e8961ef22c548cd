#include "pageengine/PrintQueueJob.h"

#include "pageengine/PageEngine.h"

#include <cups/cups.h>

namespace bv {

namespace {
TPdfJobSink& sink()
{
    static TPdfJobSink s;
    return s;
}
} // namespace

void SetPdfJobSink(TPdfJobSink s)
{
    sink() = std::move(s);
}

namespace {
TTwoSidedProbe& twoSidedProbe()
{
    static TTwoSidedProbe p;
    return p;
}
} // namespace

void SetTwoSidedProbe(TTwoSidedProbe probe)
{
    twoSidedProbe() = std::move(probe);
}

bool QueuePrintsTwoSided(const QString& queue, bool longEdge)
{
    if (twoSidedProbe())
        return twoSidedProbe()(queue, longEdge);
    if (queue.isEmpty())
        return false;
    const QByteArray name = queue.toUtf8();
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
    if (!dest)
        return false;
    bool supported = false;
    if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
        supported = cupsCheckDestSupported(CUPS_HTTP_DEFAULT, dest, info, CUPS_SIDES,
                        longEdge ? CUPS_SIDES_TWO_SIDED_PORTRAIT : CUPS_SIDES_TWO_SIDED_LANDSCAPE)
                    != 0;
        cupsFreeDestInfo(info);
    }
    cupsFreeDests(1, dest);
    return supported;
}

void SendPdfToQueue(const QString& queue, const QString& title, QIODevice& pdf, const TJobOptions& options)
{
    if (sink()) {
        sink()(queue, title, pdf.readAll(), options);
        return;
    }
    const QByteArray name = queue.toUtf8();
    const QByteArray jobTitle = title.toUtf8();
    cups_option_t* list = nullptr;
    int count = 0;
    for (const auto& [key, value] : options)
        count = cupsAddOption(key.toUtf8().constData(), value.toUtf8().constData(), count, &list);
    auto failed = [&](int job) {
        const QString reason = QString::fromUtf8(cupsLastErrorString());
        if (job > 0)
            cupsCancelJob2(CUPS_HTTP_DEFAULT, name.constData(), job, 0);
        cupsFreeOptions(count, list);
        return EPrinter(QStringLiteral("Unable to start printing on \"%1\": %2").arg(queue, reason));
    };
    const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, name.constData(), jobTitle.constData(), count, list);
    if (job <= 0)
        throw failed(0);
    if (cupsStartDocument(CUPS_HTTP_DEFAULT, name.constData(), job, jobTitle.constData(), CUPS_FORMAT_PDF, 1)
        != HTTP_STATUS_CONTINUE)
        throw failed(job);
    QByteArray chunk(1 << 16, Qt::Uninitialized);
    for (;;) {
        const qint64 n = pdf.read(chunk.data(), chunk.size());
        if (n < 0)
            throw failed(job);
        if (n == 0)
            break;
        if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, chunk.constData(), size_t(n)) != HTTP_STATUS_CONTINUE)
            throw failed(job);
    }
    if (cupsFinishDocument(CUPS_HTTP_DEFAULT, name.constData()) != IPP_STATUS_OK)
        throw failed(job);
    cupsFreeOptions(count, list);
}

} // namespace bv
