#include "printing/MergeCards.h"

#include "platform/MergeSource.h"
#include "surface/DesignModel.h"

#include <algorithm>

namespace bv {

int TMergeChoice::FirstRecord() const
{
    if (!Table)
        return 0;
    return std::clamp(First, 1, std::max(1, Table->RecordCount()));
}

int TMergeChoice::LastRecord() const
{
    if (!Table)
        return 0;
    const int count = Table->RecordCount();
    return Last <= 0 || Last > count ? count : Last;
}

int TMergeChoice::Cards() const
{
    if (!Table)
        return 0;
    const long long records = std::max(0, LastRecord() - FirstRecord() + 1);
    return static_cast<int>(std::min<long long>(records * std::max(1, Copies), 100000000LL));
}

TMergeCards::TMergeCards(TDesignModel& p, const TMergeChoice& c)
    : design(p), choice(c), shownBefore(p.SharedMergeTable()), recordBefore(p.MergeRecord())
{
}

TMergeCards::~TMergeCards()
{
    Done();
}

int TMergeCards::CardCount() const
{
    return choice.Cards();
}

int TMergeCards::RecordOf(int card) const
{
    return choice.FirstRecord() - 1 + card / std::max(1, choice.Copies);
}

int TMergeCards::CardKey(int card) const
{
    return RecordOf(card);
}

void TMergeCards::Show(int card)
{
    if (design.SharedMergeTable() != choice.Table)
        design.SetMergeTable(choice.Table);
    design.SetMergeRecord(RecordOf(card), false);
}

void TMergeCards::Done()
{
    if (design.SharedMergeTable() != shownBefore)
        design.SetMergeTable(shownBefore);
    design.SetMergeRecord(recordBefore, false);
}

QString TMergeCards::Describe(int card) const
{
    const int record = RecordOf(card) + 1;
    return QStringLiteral("Record %1 of %2").arg(record).arg(choice.LastRecord());
}

} // namespace bv
