#pragma once
// The user's personal information: ten strings, in this order. The settings
// file stores it, the card panel keeps a copy for the personal-information
// labels and template import.
#include <QString>
#include <array>

namespace bv {

struct TPersonalInfo {
    QString Name, Company, Title, Address1, Address2, Address3, Phone1, Phone2, Email, Fax;

    static constexpr int Count = 10;
    // Key names ("Name", "Company", ... "Fax"), also the field order.
    static const std::array<QString, Count>& Keys();
    QString& Field(int index);
    const QString& Field(int index) const;
    bool operator==(const TPersonalInfo&) const = default;
};

} // namespace bv
