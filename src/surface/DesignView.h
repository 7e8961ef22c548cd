#pragma once
// What a design model asks of whatever shows it on screen. A model without a
// view (the batch tool, a test, a print job on a design nobody sees) works
// the same: these are only requests to paint, never part of the design.
class QPainter;
class QRect;

namespace bv {

class TGGraphicControl;

class TDesignView {
public:
    // Paint the card again, all of it or the part r (card pixels).
    virtual void RepaintCard() = 0;
    virtual void RepaintCard(const QRect& r) = 0;
    // Paint the part r before returning (a label that changes while the
    // user types); nothing while the view is hidden.
    virtual void RepaintCardNow(const QRect& r) = 0;
    // The view's canvas while it paints the card (untranslated), else
    // nullptr: objects draw their selection squares on it.
    virtual QPainter* PanelCanvas() const = 0;
    // An object changed its size or place: the selection frame is fitted
    // again from the event loop.
    virtual void PostRefitRequest() = 0;
    // The object leaves the design: the view forgets any mouse state it
    // holds for it.
    virtual void ForgetObject(TGGraphicControl* object) = 0;

protected:
    ~TDesignView() = default;
};

} // namespace bv
