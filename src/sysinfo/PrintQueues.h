#pragma once
// The print queues of the machine as the configuration report lists them:
// every queue with its device, its make and model (the driver) and its
// state, and which one is the default. The report asks a source; the
// program's source asks the CUPS server, tests give their own list.
#include <QList>
#include <QString>
#include <stdexcept>

namespace bv {

struct TPrintQueue {
    QString Name;
    QString Device;       // device URI ("usb://...", "ipp://...", "cups-pdf:/")
    QString MakeAndModel; // driver description; empty when the queue has none
    QString State;        // "idle", "printing" or "stopped", and whether it takes jobs
    bool IsDefault = false;
};

// The print system could not be asked (no server, refused, broken reply).
class EPrintSystem : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TPrintQueueSource {
public:
    virtual ~TPrintQueueSource() = default;
    // Every queue, in the print system's order; raises EPrintSystem when the
    // print system cannot be asked. An empty list means no queues.
    virtual QList<TPrintQueue> Queues() const = 0;
};

// The local CUPS server (or the one CUPS_SERVER names).
class TCupsPrintQueues final : public TPrintQueueSource {
public:
    QList<TPrintQueue> Queues() const override;
};

} // namespace bv
