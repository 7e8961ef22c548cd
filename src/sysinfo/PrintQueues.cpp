#include "sysinfo/PrintQueues.h"

#include <cups/cups.h>

namespace bv {

namespace {

QString option(const cups_dest_t& dest, const char* name)
{
    const char* value = cupsGetOption(name, dest.num_options, dest.options);
    return value ? QString::fromUtf8(value) : QString();
}

// The IPP printer-state values: 3 idle, 4 processing, 5 stopped.
QString stateText(const cups_dest_t& dest)
{
    const QString code = option(dest, "printer-state");
    QString state;
    if (code == QLatin1String("3"))
        state = QStringLiteral("idle");
    else if (code == QLatin1String("4"))
        state = QStringLiteral("printing");
    else if (code == QLatin1String("5"))
        state = QStringLiteral("stopped");
    else
        state = code.isEmpty() ? QStringLiteral("state unknown") : QStringLiteral("state ") + code;
    if (option(dest, "printer-is-accepting-jobs") == QLatin1String("false"))
        state += QStringLiteral(", not accepting jobs");
    const QString reasons = option(dest, "printer-state-reasons");
    if (!reasons.isEmpty() && reasons != QLatin1String("none"))
        state += QStringLiteral(" (") + reasons + QLatin1Char(')');
    return state;
}

} // namespace

QList<TPrintQueue> TCupsPrintQueues::Queues() const
{
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    // No destinations and an error status: the server did not answer, which
    // is not the same as a server without queues.
    if (count == 0 && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) {
        const QString why = QString::fromUtf8(cupsLastErrorString());
        cupsFreeDests(count, dests);
        throw EPrintSystem(why.toStdString());
    }
    QList<TPrintQueue> queues;
    for (int i = 0; i < count; ++i) {
        const cups_dest_t& d = dests[i];
        if (d.instance) // lpoptions instances are settings, not queues
            continue;
        TPrintQueue q;
        q.Name = QString::fromUtf8(d.name);
        q.Device = option(d, "device-uri");
        q.MakeAndModel = option(d, "printer-make-and-model");
        q.State = stateText(d);
        q.IsDefault = d.is_default != 0;
        queues.append(q);
    }
    cupsFreeDests(count, dests);
    return queues;
}

} // namespace bv
