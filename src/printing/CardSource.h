#pragma once
// Which card a sheet job draws at each position. Without a source every
// position shows the design as it stands; a source (a mail merge) gives the
// n-th card drawn its own state of the design, and the job ends after the
// last card, on a sheet that may be partly filled.
//
// Cards with the same key look the same, so a job that draws each distinct
// card once and places it again may reuse the drawing for them.
#include <QString>

namespace bv {

class TCardSource {
public:
    virtual ~TCardSource() = default;
    // Cards in the job.
    virtual int CardCount() const = 0;
    // Equal for cards that look the same (0 <= card < CardCount()).
    virtual int CardKey(int card) const = 0;
    // The design draws card `card` until the next Show or Done.
    virtual void Show(int card) = 0;
    // The design shows again what it showed before the job.
    virtual void Done() = 0;
    // The card for the status window ("Record 3 of 10").
    virtual QString Describe(int card) const = 0;
};

} // namespace bv
