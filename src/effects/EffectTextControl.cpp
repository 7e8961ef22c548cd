#include "effects/EffectTextControl.h"
#include "surface/MergeFields.h"

#include "effects/EffectText.h"
#include "platform/Interaction.h"
#include "surface/BasePanel.h"
#include "surface/DrawingProperties.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QScopeGuard>

namespace bv {

TGEffectTextControl::TGEffectTextControl(const QString& defaultCaption) : caption(defaultCaption) {}

QString TGEffectTextControl::ShownCaption() const
{
    bool emptied = false;
    QString shown = MergedText(*this, caption, &emptied);
    if (emptied)
        return DrawnForPaper(*this) ? QString() : QStringLiteral("<blank>");
    shown.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return shown;
}

std::vector<PropertyInfo> TGEffectTextControl::SharedProperties()
{
    auto self = [](const TGGraphicControl& o) -> const TGEffectTextControl& {
        return static_cast<const TGEffectTextControl&>(o);
    };
    auto mut = [](TGGraphicControl& o) -> TGEffectTextControl& { return static_cast<TGEffectTextControl&>(o); };
    std::vector<PropertyInfo> own;
    own.push_back(EnumProperty("BorderStyle", BorderStyleNames(), std::nullopt,
        [self](const TGGraphicControl& o) { return int(self(o).BorderStyle()); },
        [mut](TGGraphicControl& o, int v) { mut(o).SetBorderStyle(TBorderStyle(v)); }));
    own.push_back({ "ControlTransparent", PropertyKind::Bool, std::nullopt,
        [self](const TGGraphicControl& o) { return Value::boolean(self(o).ControlTransparent()); },
        [mut](TGGraphicControl& o, const Value& v) { mut(o).SetControlTransparent(expectBool(v)); } });
    own.push_back({ "BGColor", PropertyKind::Colour, std::nullopt,
        [self](const TGGraphicControl& o) { return Value::integer(self(o).BGColor()); },
        [mut](TGGraphicControl& o, const Value& v) { mut(o).SetBGColor(static_cast<TColor>(expectInt(v))); } });
    own.push_back({ "Caption", PropertyKind::String, std::nullopt,
        [self](const TGGraphicControl& o) { return Value::string(self(o).Caption()); },
        [mut](TGGraphicControl& o, const Value& v) { mut(o).SetCaption(expectString(v)); } });
    return own;
}

// --- setters -------------------------------------------------------------------------

void TGEffectTextControl::SetBorderStyle(TBorderStyle value)
{
    if (value == borderStyle)
        return;
    borderStyle = value;
    Invalidate();
    NotifyChanged();
}

void TGEffectTextControl::SetControlTransparent(bool value)
{
    if (value == controlTransparent)
        return;
    controlTransparent = value;
    Invalidate();
}

void TGEffectTextControl::SetBGColor(TColor value)
{
    if (value == bgColor)
        return;
    bgColor = value;
    Invalidate();
    NotifyChanged();
}

void TGEffectTextControl::SetCaption(const QString& value)
{
    if (value == caption)
        return;
    caption = value;
    Invalidate();
}

void TGEffectTextControl::Paint()
{
    if (painting)
        return;
    if (Parent() && Parent()->SuppressPainting())
        return;
    painting = true;
    const auto done = qScopeGuard([this] { painting = false; });
    if (QPainter* canvas = DrawCanvas())
        DrawTo(*canvas);
    DrawSelectionSquares();
}

// --- context menu and commands -------------------------------------------------------

void TGEffectTextControl::BuildContextMenu(QMenu& menu)
{
    TGGraphicControl::BuildContextMenu(menu);
    connect(&menu, &QMenu::aboutToShow, this, [this] { UpdateMenuChecks(); });
    menu.addSeparator();
    AddMenuItem(menu, QStringLiteral("Font"), [this] { ChooseFont(); });
    transparentItem = AddMenuItem(menu, QStringLiteral("Transparent"), [this] { ToggleTransparent(); });
    transparentItem->setCheckable(true);
    AddMenuItem(menu, QStringLiteral("Background Color"), [this] { ChooseBackgroundColor(); });
    borderItem = AddMenuItem(menu, QStringLiteral("Border"), [this] { ToggleBorder(); });
    borderItem->setCheckable(true);
    AddMenuItem(menu, QStringLiteral("Properties"), [this] { EditProperties(); });
}

void TGEffectTextControl::UpdateMenuChecks()
{
    ContextMenu();
    if (transparentItem)
        transparentItem->setChecked(controlTransparent);
    if (borderItem)
        borderItem->setChecked(borderStyle == bsSingle);
}

QAction* TGEffectTextControl::BorderItem()
{
    ContextMenu();
    return borderItem;
}

QAction* TGEffectTextControl::TransparentItem()
{
    ContextMenu();
    return transparentItem;
}

void TGEffectTextControl::ChooseFont()
{
    const std::optional<TFont> chosen = ChooseEffectFont(Font());
    if (!chosen)
        return;
    SetFont(*chosen);
    FontChosen();
}

void TGEffectTextControl::ToggleTransparent()
{
    SetControlTransparent(!controlTransparent);
    NotifyChanged();
}

void TGEffectTextControl::ChooseBackgroundColor()
{
    const auto chosen = Interaction::Current().ChooseColour(ToQColor(bgColor), QStringLiteral("Background Color"));
    if (!chosen)
        return;
    SetBGColor(FromQColor(*chosen));
    NotifyChanged();
    SetControlTransparent(false);
    Invalidate();
}

void TGEffectTextControl::ToggleBorder()
{
    SetBorderStyle(borderStyle == bsSingle ? bsNone : bsSingle);
}

} // namespace bv
