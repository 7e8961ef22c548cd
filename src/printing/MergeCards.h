#pragma once
// The cards of a mail merge: records first..last of a merge file, each
// `copies` times in a row, drawn by showing each record on the card.
#include "printing/CardSource.h"

#include <memory>

namespace bv {

class TDesignModel;
class TMergeTable;

// What the user chose for a merge (in the Print dialog or on the batch
// tool's command line). Records are counted from 1 as the user counts them.
struct TMergeChoice {
    std::shared_ptr<const TMergeTable> Table; // none: no merge
    int First = 1;
    int Last = 0; // 0: the last record of the table
    int Copies = 1;

    bool Active() const { return Table != nullptr; }
    // First and Last within the table (Last 0 or beyond the end: the end).
    int FirstRecord() const;
    int LastRecord() const;
    // Cards the choice prints: records × copies.
    int Cards() const;
};

class TMergeCards final : public TCardSource {
public:
    TMergeCards(TDesignModel& design, const TMergeChoice& choice);
    ~TMergeCards() override;

    int CardCount() const override;
    int CardKey(int card) const override;
    void Show(int card) override;
    void Done() override;
    QString Describe(int card) const override;

    // The record (0-based in the table) of a card.
    int RecordOf(int card) const;

private:
    TDesignModel& design;
    TMergeChoice choice;
    std::shared_ptr<const TMergeTable> shownBefore;
    int recordBefore = -1;
};

} // namespace bv
