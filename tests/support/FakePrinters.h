#pragma once
// A printer list the test sets up: names and default printer, installed while
// alive. It can also be told to fail, as a broken print system would.
#include "platform/Printers.h"

#include <QMap>
#include <stdexcept>

namespace bv::test {

class FakePrinters final : public PrinterList {
public:
    explicit FakePrinters(QStringList names = {}, QString defaultName = {})
        : names(std::move(names)), defaultName(std::move(defaultName))
    {
        PrinterList::Install(this);
    }
    ~FakePrinters() override { PrinterList::Install(nullptr); }

    QStringList PrinterNames() const override
    {
        if (failing)
            throw std::runtime_error("print system unavailable");
        return names;
    }
    QString DefaultPrinterName() const override
    {
        if (failing)
            throw std::runtime_error("print system unavailable");
        return defaultName;
    }

    PrinterDetails Details(const QString& name) const override
    {
        if (failing)
            throw std::runtime_error("print system unavailable");
        return details.value(name);
    }

    QStringList names;
    QString defaultName;
    QMap<QString, PrinterDetails> details; // by printer name
    bool failing = false;
};

} // namespace bv::test
