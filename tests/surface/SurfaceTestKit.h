#pragma once
// Shared pieces of the design-surface tests: a plain design object that fills
// its bounds, and a panel shown offscreen at 96 pixels per inch.
#include "surface/BusinessCardPanel.h"
#include "surface/GraphicControl.h"
#include "surface/Handle.h"

#include <QCoreApplication>
#include <QPainter>
#include <QTest>

namespace bv::test {

class Box : public TGGraphicControl {
public:
    QString ClassName() const override { return QStringLiteral("TestBox"); }
    bool InheritsClass(const QString& name) const override
    {
        return name == ClassName() || TGGraphicControl::InheritsClass(name);
    }
    void Paint() override
    {
        if (QPainter* c = DrawCanvas())
            c->fillRect(QRect(0, 0, Width(), Height()), fill);
        DrawSelectionSquares();
        ++paints;
    }
    QColor fill = QColor(0, 0, 255);
    int paints = 0;
};

// Adds an attached box the way a tool would, without a name.
inline Box* addBox(TGBasePanel& panel, int l, int t, int w, int h)
{
    auto* b = new Box;
    b->SetParent(&panel);
    b->SetBounds(l, t, w, h);
    b->Loaded();
    panel.AttachObject(b);
    QCoreApplication::processEvents();
    return b;
}

inline void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

} // namespace bv::test
