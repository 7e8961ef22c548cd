#include "objects/SymbolLabel.h"

#include "objects/GetSymbol.h"
#include "objects/PLabel.h"
#include "platform/Interaction.h"
#include "platform/SymbolFonts.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ClassRegistry.h"

#include <QAction>
#include <QFontMetrics>
#include <QMenu>
#include <QScopedValueRollback>
#include <algorithm>

namespace bv {

TGSymbolLabel::TGSymbolLabel()
{
    SetLoading(true);
    TFont f = Font();
    f.Name = QStringLiteral("WingDings");
    f.SetSize(24);
    SetFont(f);
    SetCaption(QStringLiteral("["));
    SetLoading(false);
}

QFont TGSymbolLabel::DrawFont() const
{
    return SymbolFonts::DisplayQFont(TGBaseLabel::DrawFont());
}

QString TGSymbolLabel::DisplayedCaption() const
{
    return SymbolFonts::DisplayText(Font().Name, Caption());
}

void TGSymbolLabel::ApplyFont(const TFont& font)
{
    Q_UNUSED(font);
}

bool TGSymbolLabel::followsGlyph() const
{
    return Font().Size() > 9 && !IsReading() && Parent() != nullptr;
}

void TGSymbolLabel::BoundsChanged()
{
    if (!followsGlyph())
        return;
    TGBaseLabel::BoundsChanged();
    // The glyph's size and the label's minimum size each set the bounds, and
    // a change of bounds comes back here: one fit at a time, so a size the
    // bounds cannot take (held to the coordinate range) ends after one
    // round instead of recursing until the stack is gone.
    if (fittingGlyph)
        return;
    const QScopedValueRollback<bool> guard(fittingGlyph, true);
    const QFontMetrics fm(DrawFont());
    const QString shown = DisplayedCaption();
    int w = static_cast<int>(Trunc(1.1L * fm.horizontalAdvance(shown)));
    int h = static_cast<int>(Trunc(1.1L * fm.height()));
    // Room for the shadow and highlight copies: the farthest copy origin as
    // the layout places them. Taken from the effect offsets themselves, not
    // from the origins of the last layout, which may not have run yet (the
    // first fit after opening a design) or may belong to another zoom; a
    // stale origin made the size depend on when the label was last painted.
    const QPoint s = ShadowOffset();
    const QPoint hl = HighlightOffset();
    w += std::max({ 0, -s.x(), -hl.x() }) + std::max({ 0, s.x(), hl.x() });
    h += std::max({ 0, -s.y(), -hl.y() }) + std::max({ 0, s.y(), hl.y() });
    if (w != Width() || h != Height()) {
        // Fitting the glyph at a zoom other than 100 % is not an edit: only
        // the screen pixels follow the zoomed glyph, the stored size stays.
        const FitScope fit(*this);
        SetBounds(Left(), Top(), w, h);
        RequestRefit();
    }
}

void TGSymbolLabel::Loaded()
{
    TGBaseLabel::Loaded();
    // A symbol read from a design keeps the size it was stored with: the
    // glyphs drawn here are not the ones it was measured with, and opening
    // and saving a design must give back the same bytes. The first move,
    // resize or font change fits it to the glyph.
    if (madeForReading) {
        madeForReading = false;
        return;
    }
    try {
        CalcTextLayout();
        BoundsChanged();
    } catch (const Exception&) {
        // A symbol whose glyph cannot be measured keeps the size it has.
    }
}

void TGSymbolLabel::BuildContextMenu(QMenu& menu)
{
    TGBaseLabel::BuildContextMenu(menu);
    // The label items that make no sense for one glyph come out of the menu;
    // they stay alive (the label keeps pointers to them), only unlisted.
    const QList<QAction*> actions = menu.actions();
    for (QAction* item : actions) {
        const QString caption = item->text();
        if (item->data().toInt() == TGPLabel::TextItemTag || caption == QLatin1String("Font")
            || caption == QLatin1String("Alignment") || caption == QLatin1String("Angle"))
            menu.removeAction(item);
    }
    menu.addSeparator();
    selectorItem = AddMenuItem(menu, QStringLiteral("Symbol Selector"), [this] { ChooseSymbol(); });
}

void TGSymbolLabel::ChooseSymbol()
{
    TGetSymbol dialog;
    dialog.SetSelectedFont(Font());
    dialog.SetListFontNameAndStyle(Font());
    const int code = Caption().isEmpty() ? -1 : SymbolFonts::CodeOf(Caption().at(0));
    dialog.SetSelectedIndex(code < 0 ? -1 : code - 32);
    if (Interaction::Current().RunModal(dialog) != mrOk)
        return;
    SetFont(dialog.SelectedFont());
    // OK with no cell chosen keeps the character (there is no code below 32
    // to give it).
    if (dialog.SelectedIndex() >= 0)
        SetCaption(QString(SymbolFonts::CharOfCode(dialog.SelectedIndex() + 32)));
    BoundsChanged();
    Invalidate();
}

TGSymbolLabel* CreateSymbolLabel(TGBusinessCardPanel32& panel, const TRect& r)
{
    auto* label = new TGSymbolLabel;
    label->SetParent(&panel);
    label->Loaded();
    panel.AddObject(label, r);
    label->ChooseSymbol();
    label->GrowToCaption();
    return label;
}

void RegisterSymbolClasses()
{
    // The stream leaves an empty caption out: a symbol made for reading starts
    // with none, so that a blank one stays blank.
    RegisterObjectKind({
        .classes = { { QStringLiteral("TGSymbolLabel"),
            [] {
                auto* label = new TGSymbolLabel;
                label->SetLoading(true);
                label->SetCaption(QString());
                label->SetLoading(false);
                label->SetMadeForReading(true);
                return label;
            } } },
        .tools = { { .state = psSymbolLabel, .button = "DrawSymbolButton", .hint = QStringLiteral("Symbol tool"),
            .menuCaption = QStringLiteral("S&ymbol"), .iconName = QStringLiteral("symbol"), .group = 1, .order = 30,
            .create = [](TGBusinessCardPanel32& panel, const TRect& r) { CreateSymbolLabel(panel, r); } } },
    });
}

} // namespace bv
