#pragma once
// Guides for a card headed to a print shop: the bleed zone around the card
// (a tinted band as wide as the bleed, its outer edge dashed) and the safe
// zone inside it (a dashed line 1/8 inch inside the cut), drawn at the
// panel's zoom. The band lies behind the panel in the card holder, which
// moves the panel in by the bleed while the guides show; the safe line is a
// layer over the card that lets the mouse through. Neither is part of the
// card: printing, exports and the panel's own picture never see them.
#include <QPoint>
#include <QPointer>
#include <QWidget>

namespace bv {

class TGBasePanel;

// Text and art inside this distance from the cut may be trimmed off.
constexpr double SafeZoneInches = 1.0 / 8;

class TCardGuides : public QWidget {
    Q_OBJECT
public:
    // `home`: where the panel sits in the holder without guides.
    TCardGuides(TGBasePanel& panel, QWidget* holder, QPoint home);
    ~TCardGuides() override;

    bool Shown() const { return shown; }
    void SetShown(bool on);
    double BleedInches() const { return bleed; }
    void SetBleedInches(double inches);
    // The bleed zone's outer edge and the safe line, in holder and panel
    // coordinates.
    QRect BleedRect() const;
    QRect SafeRect() const;

signals:
    // The panel moved or the band changed size.
    void Placed();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int bleedPixels() const;
    void place();

    QPointer<TGBasePanel> panel;
    QWidget* safeLayer = nullptr;
    QPoint home;
    double bleed = 0.125;
    bool shown = false;
    bool placing = false;
};

} // namespace bv
