#include "objects/MultiLineLabel.h"
#include "surface/MergeFields.h"

#include "objects/MultiLineTextEditor.h"
#include "platform/Environment.h"
#include "platform/Interaction.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ClassRegistry.h"
#include "surface/DrawingProperties.h"

#include <QAction>
#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>

namespace bv {

namespace {

// Room kept free at each side of a wrapped line, so that a full line drawn
// right-aligned (one pixel in from the edge) or centred stays inside.
constexpr int WrapMargin = 1;

} // namespace

QStringList SplitMemoLines(const QString& text)
{
    if (text.isEmpty())
        return {};
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = t.split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// --- TGMultiLineBaseLabel -----------------------------------------------------------

TGMultiLineBaseLabel::TGMultiLineBaseLabel()
{
    TFont f;
    f.Name = QStringLiteral("Arial");
    f.SetSize(10);
    f.Color = clBlack;
    SetLoading(true);
    SetFont(f);
    SetBounds(0, 0, 190, 33);
    SetLoading(false);
}

TGMultiLineBaseLabel::~TGMultiLineBaseLabel() = default;

const PropertyTable& TGMultiLineBaseLabel::ClassProperties()
{
    static const PropertyTable table = [] {
        auto self = [](const TGGraphicControl& o) -> const TGMultiLineBaseLabel& {
            return static_cast<const TGMultiLineBaseLabel&>(o);
        };
        auto mut = [](TGGraphicControl& o) -> TGMultiLineBaseLabel& {
            return static_cast<TGMultiLineBaseLabel&>(o);
        };
        std::vector<PropertyInfo> own;
        own.push_back({ "Items.Strings", PropertyKind::Strings, std::nullopt,
            [self](const TGGraphicControl& o) { return Value::list(self(o).Items()); },
            [mut](TGGraphicControl& o, const Value& v) {
                if (v.type != Value::List)
                    throw EReadError(QStringLiteral("Invalid property value"));
                mut(o).SetItems(v.names);
            } });
        own.push_back({ "AutoSize", PropertyKind::Bool, std::nullopt,
            [self](const TGGraphicControl& o) { return Value::boolean(self(o).AutoSize()); },
            [mut](TGGraphicControl& o, const Value& v) { mut(o).SetAutoSize(expectBool(v)); } });
        own.push_back(EnumProperty("Alignment", AlignmentNames(), taLeftJustify,
            [self](const TGGraphicControl& o) { return int(self(o).Alignment()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetAlignment(TAlignment(v)); }));
        for (auto& p : FontProperties("Font",
                 { [](const TGGraphicControl& o) { return o.Font(); },
                     [](TGGraphicControl& o, const TFont& f) { o.SetFont(f); } }))
            own.push_back(p);
        own.push_back({ "WordWrap", PropertyKind::Bool, Value::boolean(false),
            [self](const TGGraphicControl& o) { return Value::boolean(self(o).WordWrap()); },
            [mut](TGGraphicControl& o, const Value& v) { mut(o).SetWordWrap(expectBool(v)); } });
        return PropertyTable::extend(TGGraphicControl::ClassProperties(), own);
    }();
    return table;
}

void TGMultiLineBaseLabel::NotifyChangedIfLive()
{
    if (!IsLoading() && !IsReading())
        NotifyChanged();
}

void TGMultiLineBaseLabel::SetItems(const QStringList& value)
{
    items = value;
    Invalidate();
    // New text with wrapping on would otherwise draw the old text's lines
    // until the next move or font change.
    if (wordWrap)
        WrapLines();
}

void TGMultiLineBaseLabel::SetAlignment(TAlignment value)
{
    if (value == alignment)
        return;
    alignment = value;
    Invalidate();
}

void TGMultiLineBaseLabel::SetWordWrap(bool value)
{
    if (value == wordWrap)
        return;
    wordWrap = value;
    if (wordWrap)
        WrapLines();
    Invalidate();
    NotifyChangedIfLive();
}

QFont TGMultiLineBaseLabel::DrawFont() const
{
    TFont f = Font();
    if (Zoom() != 1.0f) {
        const int zoomed = static_cast<int>(Trunc(static_cast<Extended>(f.Size()) * static_cast<Extended>(Zoom())));
        f.Height = -MulDiv(zoomed, ScreenPpi(), 72);
    }
    return f.ToQFont();
}

int TGMultiLineBaseLabel::LineHeight() const
{
    return QFontMetrics(DrawFont()).height();
}

void TGMultiLineBaseLabel::WrapLines()
{
    if (!wordWrap)
        return;
    wrappedLines = wrapped(items);
    Invalidate();
}

QStringList TGMultiLineBaseLabel::wrapped(const QStringList& source) const
{
    QStringList out;
    const QFont font = DrawFont();
    const qreal lineWidth = std::max(1, Width() - 2 * WrapMargin);
    QTextOption option;
    // Between words; a word wider than the object is broken where it has to be.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString& item : source) {
        if (item.isEmpty()) {
            out << QString();
            continue;
        }
        QTextLayout layout(item, font);
        layout.setTextOption(option);
        layout.setCacheEnabled(false);
        layout.beginLayout();
        QList<QPair<int, int>> pieces;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(lineWidth);
            pieces << qMakePair(line.textStart(), line.textLength());
        }
        layout.endLayout();
        for (qsizetype k = 0; k < pieces.size(); ++k) {
            QString piece = item.mid(pieces[k].first, pieces[k].second);
            // The blanks at a break belong to no line; the end of the
            // stored line keeps what the user typed.
            if (k + 1 < pieces.size()) {
                qsizetype end = piece.size();
                while (end > 0 && piece.at(end - 1).isSpace())
                    --end;
                piece.truncate(end);
            }
            out << piece;
        }
    }
    return out;
}

QStringList TGMultiLineBaseLabel::DrawnLines() const
{
    QStringList lines = wordWrap ? wrappedLines : items;
    if (ShowsMergeRecord(*this)) {
        // The record's values, a value with line breaks on lines of its own,
        // wrapped as the typed text would be.
        bool any = false;
        bool anyShown = false;
        QStringList merged;
        for (const QString& item : items) {
            const QString line = MergedText(*this, item);
            any = any || !item.trimmed().isEmpty();
            anyShown = anyShown || !line.trimmed().isEmpty();
            merged << line.split(QLatin1Char('\n'));
        }
        if (any && !anyShown && DrawnForPaper(*this))
            return {}; // emptied by the record: nothing on the card
        lines = wordWrap ? wrapped(merged) : merged;
    }
    if (lines.isEmpty())
        lines << QStringLiteral("<blank>");
    else if (lines.size() == 1 && lines.first().trimmed().isEmpty())
        lines << QStringLiteral("<blank>");
    return lines;
}

int TGMultiLineBaseLabel::LineX(int tw) const
{
    switch (alignment) {
    case taRightJustify: return Width() - tw - 1;
    case taCenter: return Width() / 2 - tw / 2 + 1;
    default: return 0;
    }
}

void TGMultiLineBaseLabel::DrawTo(QPainter& canvas)
{
    const QStringList lines = DrawnLines();
    const QFont font = DrawFont();
    const QFontMetrics fm(font);
    const int h = fm.height();
    canvas.save();
    canvas.setFont(font);
    canvas.setBackgroundMode(Qt::TransparentMode);
    canvas.setBrush(Qt::NoBrush);
    canvas.setPen(ToQColor(Font().Color));
    const QRect bounds(0, 0, Width(), Height());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int top = static_cast<int>(i) * h;
        if (top >= Height())
            break; // the rest lies below the object
        const QRect band = QRect(0, top, Width(), h).intersected(bounds);
        // Within whatever clip the painter holds (a printed card's box).
        canvas.save();
        canvas.setClipRect(band, Qt::IntersectClip);
        const int tw = fm.horizontalAdvance(lines[i]);
        canvas.drawText(QPoint(LineX(tw), top + fm.ascent()), lines[i]);
        canvas.restore();
    }
    canvas.restore();
}

void TGMultiLineBaseLabel::FitToText()
{
    const QFontMetrics fm(DrawFont());
    const int lineHeight = LineHeight();
    int w = Width();
    int h = 0;
    auto widest = [&fm](const QStringList& lines) {
        int most = 0;
        for (const QString& l : lines)
            most = std::max(most, fm.horizontalAdvance(l));
        return most;
    };
    if (wordWrap) {
        WrapLines();
        h = lineHeight * static_cast<int>(wrappedLines.size());
        w = std::max(w, widest(wrappedLines));
    } else {
        h = lineHeight * static_cast<int>(items.size());
        w = std::max(w, widest(items));
    }
    SetBounds(Left(), Top(), w, h);
    Invalidate();
}

void TGMultiLineBaseLabel::Paint()
{
    if (Parent() && Parent()->SuppressPainting())
        return;
    if (QPainter* canvas = DrawCanvas())
        DrawTo(*canvas);
    DrawSelectionSquares();
}

void TGMultiLineBaseLabel::BoundsChanged()
{
    // Every move or resize re-wraps before the panel hears of it.
    if (wordWrap)
        WrapLines();
    TGGraphicControl::BoundsChanged();
}

void TGMultiLineBaseLabel::FontChanged()
{
    if (wordWrap)
        WrapLines();
    TGGraphicControl::FontChanged();
}

void TGMultiLineBaseLabel::ApplyFont(const TFont& font)
{
    SetFont(font);
    FontApplied();
    if (wordWrap)
        WrapLines();
}

void TGMultiLineBaseLabel::EditFont()
{
    QFont initial = Font().ToQFont();
    if (Font().Size() > 0)
        initial.setPointSize(Font().Size());
    const auto chosen = Interaction::Current().ChooseFont(initial, QStringLiteral("Font"));
    if (chosen)
        SetFont(TFont::FromQFont(*chosen, Font()));
    FontApplied();
    if (wordWrap)
        WrapLines();
}

QAction* TGMultiLineBaseLabel::AlignmentItem(TAlignment value)
{
    ContextMenu();
    return value >= taLeftJustify && value <= taCenter ? alignItems[value] : nullptr;
}

void TGMultiLineBaseLabel::BuildContextMenu(QMenu& menu)
{
    TGGraphicControl::BuildContextMenu(menu);
    menu.addSeparator();
    AddMenuItem(menu, QStringLiteral("Font"), [this] { EditFont(); });
    QMenu* align = menu.addMenu(QStringLiteral("Alignment"));
    auto alignTo = [this](TAlignment a) {
        SetAlignment(a);
        NotifyChanged();
    };
    alignItems[taLeftJustify] = AddMenuItem(*align, QStringLiteral("Left"), [alignTo] { alignTo(taLeftJustify); });
    alignItems[taCenter] = AddMenuItem(*align, QStringLiteral("Center"), [alignTo] { alignTo(taCenter); });
    alignItems[taRightJustify] = AddMenuItem(*align, QStringLiteral("Right"), [alignTo] { alignTo(taRightJustify); });
    for (QAction* item : alignItems)
        item->setCheckable(true);
}

void TGMultiLineBaseLabel::UpdateMenuChecks()
{
    ContextMenu();
    for (int i = 0; i < 3; ++i)
        if (alignItems[i])
            alignItems[i]->setChecked(alignment == i);
}

// --- TGMultiLineLabel -------------------------------------------------------------------

TGMultiLineLabel::TGMultiLineLabel() = default;

void TGMultiLineLabel::CaptureMenuState()
{
    TGMultiLineBaseLabel::CaptureMenuState();
    wordWrapChecked = WordWrap();
}

void TGMultiLineLabel::BuildContextMenu(QMenu& menu)
{
    TGMultiLineBaseLabel::BuildContextMenu(menu);
    menu.addSeparator();
    textItem = AddMenuItem(menu, QStringLiteral("Text"), [this] { EditText(); });
    wordWrapItem = AddMenuItem(menu, QStringLiteral("Word Wrap"), [this] { ToggleWordWrap(); });
    wordWrapItem->setCheckable(true);
    wordWrapItem->setChecked(wordWrapChecked);
}

QAction* TGMultiLineLabel::TextItem()
{
    ContextMenu();
    return textItem;
}

QAction* TGMultiLineLabel::WordWrapItem()
{
    ContextMenu();
    return wordWrapItem;
}

void TGMultiLineLabel::ToggleWordWrap()
{
    // Wrapping an object that reaches past the card's right edge wraps at
    // that edge; the lines then grow down.
    if (!WordWrap() && Parent() && Left() + Width() > Parent()->CardWidth() && Left() < Parent()->CardWidth())
        SetWidth(Parent()->CardWidth() - Left());
    SetWordWrap(!WordWrap());
    if (WordWrap())
        FitToText();
    wordWrapChecked = WordWrap();
    if (wordWrapItem)
        wordWrapItem->setChecked(wordWrapChecked);
}

void TGMultiLineLabel::EditText()
{
    TMultiLineTextEditor editor;
    // The memo shows the font at its true size, whatever the zoom.
    QFont memoFont = Font().ToQFont();
    memoFont.setStyleStrategy(QFont::PreferDefault);
    editor.Memo->setFont(memoFont);
    QPalette palette = editor.Memo->palette();
    palette.setColor(QPalette::Text, ToQColor(Font().Color));
    editor.Memo->setPalette(palette);
    editor.Memo->SetText(Items().join(QLatin1Char('\n')));
    if (Interaction::Current().RunModal(editor) != mrOk)
        return;
    SetItems(SplitMemoLines(editor.Memo->toPlainText()));
    Invalidate();
    // Wrapped text keeps its width and shows all of its lines.
    if (WordWrap())
        FitToText();
    NotifyChanged();
}

// --- registration -------------------------------------------------------------------

TGMultiLineLabel* CreateMultiLineLabel(TGBusinessCardPanel32& panel, const TRect& r)
{
    auto* label = new TGMultiLineLabel;
    label->SetParent(&panel);
    label->Loaded();
    label->SetFont(panel.PanelFont());
    panel.AddObject(label, r);
    label->EditText();
    label->FitToText();
    // Lines wider than the card wrap at the width the user dragged (the
    // card's, after a click) and the text grows down instead.
    if (!label->WordWrap() && label->Left() + label->Width() > panel.width()) {
        const int dragged = r.Right - r.Left;
        const int width = std::min(dragged > 50 ? dragged : panel.width() - label->Left(), panel.width());
        label->SetBounds(label->Left(), label->Top(), std::max(10, width), label->Height());
        label->ToggleWordWrap();
        label->FitToText();
    }
    panel.KeepInCard(*label);
    return label;
}

void RegisterMultiLineClasses()
{
    RegisterObjectKind({
        .classes = { { QStringLiteral("TGMultiLineLabel"), [] { return new TGMultiLineLabel; } } },
        .tools = { { .state = psMultiLineLabel, .button = "DrawMLTextButton",
            .hint = QStringLiteral("Multi-line text tool"), .menuCaption = QStringLiteral("&Multi-line Text"),
            .iconName = QStringLiteral("mltext"), .group = 1, .order = 20,
            .create = [](TGBusinessCardPanel32& panel, const TRect& r) { CreateMultiLineLabel(panel, r); } } },
    });
}

} // namespace bv
