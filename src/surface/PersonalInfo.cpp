#include "surface/PersonalInfo.h"

namespace bv {

const std::array<QString, TPersonalInfo::Count>& TPersonalInfo::Keys()
{
    static const std::array<QString, Count> keys = {
        QStringLiteral("Name"), QStringLiteral("Company"), QStringLiteral("Title"),
        QStringLiteral("Address1"), QStringLiteral("Address2"), QStringLiteral("Address3"),
        QStringLiteral("Phone1"), QStringLiteral("Phone2"), QStringLiteral("Email"),
        QStringLiteral("Fax"),
    };
    return keys;
}

QString& TPersonalInfo::Field(int index)
{
    return const_cast<QString&>(static_cast<const TPersonalInfo&>(*this).Field(index));
}

const QString& TPersonalInfo::Field(int index) const
{
    switch (index) {
    case 0: return Name;
    case 1: return Company;
    case 2: return Title;
    case 3: return Address1;
    case 4: return Address2;
    case 5: return Address3;
    case 6: return Phone1;
    case 7: return Phone2;
    case 8: return Email;
    default: return Fax;
    }
}

} // namespace bv
