#include "richtext/RichBaseLabel.h"
#include "surface/MergeFields.h"

#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>

#include "platform/Environment.h"
#include "platform/Interaction.h"
#include "richtext/RichTextControl.h"
#include "richtext/RichTextLabelEditor.h"
#include "richtext/RtfFormat.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ClassRegistry.h"
#include "surface/DrawingProperties.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QTextDocument>
#include <algorithm>
#include <cmath>
#include <memory>

namespace bv {

TGPRichBaseLabel::TGPRichBaseLabel() : storage(std::make_unique<TRtfStorage>(this))
{
    SetBounds(0, 0, 190, 33);
}

TGPRichBaseLabel::~TGPRichBaseLabel() = default;

const PropertyTable& TGPRichBaseLabel::ClassProperties()
{
    static const PropertyTable table = [] {
        auto self = [](const TGGraphicControl& o) -> const TGPRichBaseLabel& {
            return static_cast<const TGPRichBaseLabel&>(o);
        };
        auto mut = [](TGGraphicControl& o) -> TGPRichBaseLabel& { return static_cast<TGPRichBaseLabel&>(o); };
        std::vector<PropertyInfo> own;
        // The document's only stored part: its RTF, kept as read until the
        // text is edited.
        own.push_back({ "RTFText.Data", PropertyKind::Binary, std::nullopt,
            [self](const TGGraphicControl& o) {
                const QByteArray data = self(o).RTFText().Data();
                return data.isEmpty() ? Value::null() : Value::binary(data);
            },
            [mut](TGGraphicControl& o, const Value& v) {
                if (v.type != Value::Binary)
                    throw EReadError(QStringLiteral("Invalid property value"));
                mut(o).RtfStorage().RtfText().SetData(v.bytes);
                mut(o).Invalidate();
            } });
        own.push_back(EnumProperty("BorderStyle", BorderStyleNames(), std::nullopt,
            [self](const TGGraphicControl& o) { return int(self(o).BorderStyle()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetBorderStyle(TBorderStyle(v)); }));
        own.push_back({ "Transparent", PropertyKind::Bool, std::nullopt,
            [self](const TGGraphicControl& o) { return Value::boolean(self(o).Transparent()); },
            [mut](TGGraphicControl& o, const Value& v) { mut(o).SetTransparent(expectBool(v)); } });
        own.push_back({ "BGColor", PropertyKind::Colour, std::nullopt,
            [self](const TGGraphicControl& o) { return Value::integer(self(o).BGColor()); },
            [mut](TGGraphicControl& o, const Value& v) {
                mut(o).SetBGColor(static_cast<TColor>(static_cast<std::uint32_t>(expectInt(v))));
            } });
        return PropertyTable::extend(TGGraphicControl::ClassProperties(), own);
    }();
    return table;
}

const TRtfDocument& TGPRichBaseLabel::RTFText() const
{
    return storage->RtfText();
}

void TGPRichBaseLabel::SetRTFText(const TRtfDocument& value)
{
    storage->SetRtfText(value);
    Invalidate();
    NotifyChanged();
}

void TGPRichBaseLabel::SetBorderStyle(TBorderStyle value)
{
    if (value == borderStyle)
        return;
    borderStyle = value;
    Invalidate();
    if (!IsLoading() && !IsReading())
        NotifyChanged();
}

void TGPRichBaseLabel::SetTransparent(bool value)
{
    if (value == transparent)
        return;
    transparent = value;
    Invalidate();
}

void TGPRichBaseLabel::SetBGColor(TColor value)
{
    if (value == bgColor)
        return;
    bgColor = value;
    Invalidate();
    if (!IsLoading() && !IsReading())
        NotifyChanged();
}

TRichTextControl* TGPRichBaseLabel::MasterOf(const TDesignModel* design)
{
    return design ? design->Service<TRichTextControl>() : nullptr;
}

void TGPRichBaseLabel::Loaded()
{
    TGGraphicControl::Loaded();
    if (IsReading() || masterSought)
        return;
    masterSought = true;
    master = MasterOf(Parent());
    if (!master) {
        masterSought = false;
        throw ENoMasterRich();
    }
    OnEditRequest = [this](TGBasePanel*) { EditRichText(); };
}

int TGPRichBaseLabel::PageWidthTwips() const
{
    const Extended ppi = ScreenPpi();
    return int(Trunc(static_cast<Extended>(Width()) / static_cast<Extended>(Zoom()) / ppi * 1440));
}

int TGPRichBaseLabel::PageHeightTwips() const
{
    const Extended ppi = ScreenPpi();
    return int(Trunc(static_cast<Extended>(Height()) / static_cast<Extended>(Zoom()) / ppi * 1440));
}

// Replaces each field of the document by the record's value in the field's
// own character format (the format of its opening brace).
void TGPRichBaseLabel::fillMergeFields(QTextDocument& document) const
{
    static const QRegularExpression field(QStringLiteral("\\{\\{|\\}\\}|\\{[^{}]{1,64}\\}"));
    QTextCursor at(&document);
    for (;;) {
        at = document.find(field, at);
        if (at.isNull())
            break;
        const QString found = at.selectedText();
        at.insertText(MergedText(*this, found));
    }
}

QStringList TGPRichBaseLabel::MergeTexts() const
{
    return { RTFText().PlainText() };
}

void TGPRichBaseLabel::DrawTo(QPainter& canvas)
{
    if (!master || Width() < 1 || Height() < 1)
        return;
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    // 1-2. The object's own background; the master then paints only text.
    if (!transparent)
        canvas.fillRect(QRect(0, 0, Width(), Height()), ToQColor(bgColor));
    master->SetColor(transparent ? clWhite : bgColor);
    // 3. The master's document is scratch space shared by every object.
    master->SetRtfText(storage->RtfText());
    if (ShowsMergeRecord(*this))
        fillMergeFields(master->Document());
    // 4-5. The object's unzoomed size as the page, shown at the zoom.
    master->SetZooming(int(Trunc(static_cast<Extended>(Zoom()) * 100)));
    master->SetPageSize(PageWidthTwips(), PageHeightTwips());
    master->SetMargins(0, 0, 0, 0);
    // 6.
    master->SetWordWrap(true);
    master->SetPaintOption(TRichTextControl::PaintTextOnly);
    master->PaintPage(canvas, 0, QRect(0, 0, Width(), Height()));
    // 7.
    if (borderStyle == bsSingle) {
        canvas.setPen(QPen(Qt::black, 0, Qt::SolidLine));
        canvas.setBrush(Qt::NoBrush);
        canvas.drawRect(QRect(0, 0, Width() - 1, Height() - 1));
    }
    canvas.restore();
}

void TGPRichBaseLabel::Paint()
{
    if (Parent() && Parent()->SuppressPainting())
        return;
    if (QPainter* canvas = DrawCanvas())
        DrawTo(*canvas);
    DrawSelectionSquares();
}

void TGPRichBaseLabel::BuildContextMenu(QMenu& menu)
{
    TGGraphicControl::BuildContextMenu(menu);
    menu.addSeparator();
    transparentItem = AddMenuItem(menu, QStringLiteral("Transparent"), [this] {
        SetTransparent(!transparent);
        NotifyChanged();
    });
    transparentItem->setCheckable(true);
    AddMenuItem(menu, QStringLiteral("Background Color"), [this] {
        const auto chosen = Interaction::Current().ChooseColour(ToQColor(bgColor), QStringLiteral("Background Color"));
        if (!chosen)
            return;
        SetBGColor(FromQColor(*chosen));
        NotifyChanged();
        SetTransparent(false);
        Invalidate();
    });
    borderItem = AddMenuItem(menu, QStringLiteral("Border"), [this] {
        SetBorderStyle(borderStyle == bsSingle ? bsNone : bsSingle);
        NotifyChanged();
    });
    borderItem->setCheckable(true);
    AddMenuItem(menu, QStringLiteral("Edit"), [this] { EditRichText(); });
}

void TGPRichBaseLabel::UpdateMenuChecks()
{
    ContextMenu();
    if (transparentItem)
        transparentItem->setChecked(transparent);
    if (borderItem)
        borderItem->setChecked(borderStyle == bsSingle);
}

QAction* TGPRichBaseLabel::TransparentItem()
{
    ContextMenu();
    return transparentItem;
}

QAction* TGPRichBaseLabel::BorderItem()
{
    ContextMenu();
    return borderItem;
}

void TGPRichBaseLabel::EditRichText()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct CursorGuard {
        ~CursorGuard() { QApplication::restoreOverrideCursor(); }
    } cursorGuard;
    TRichTextLabelEditor editor;
    TRichTextControl& edit = *editor.RichText1;
    edit.SetRtfText(storage->RtfText());
    if (!transparent)
        editor.SetPageColor(bgColor);
    editor.SetPageSize(Width() + 1, Height() + 1);
    edit.SetPageSize(PageWidthTwips(), PageHeightTwips());
    edit.SetMargins(0, 0, 0, 0);
    edit.SetZooming(int(Round(static_cast<Extended>(Zoom()) * 100)));
    QApplication::restoreOverrideCursor();
    const int result = Interaction::Current().RunModal(editor);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (result == mrOk) {
        SetRTFText(edit.RtfText());
        Invalidate();
        NotifyChanged();
    }
}

void TGPRichBaseLabel::FitToText(int mostWidth, int mostHeight)
{
    // Measured as drawn: through the master's copy of the document.
    std::unique_ptr<QTextDocument> doc;
    if (master) {
        master->SetRtfText(storage->RtfText());
        doc.reset(master->Document().clone());
    } else {
        doc.reset(storage->RtfText().Document().clone());
    }
    // Screen pixels at the zoom per pixel of the document's layout.
    const double k = RtfTwipsPerPixel / 1440.0 * ScreenPpi() * static_cast<double>(Zoom());
    // A pixel or two beside the text, so that rounding never wraps a line.
    constexpr int slack = 3;
    doc->setTextWidth(-1);
    double w = doc->size().width() * k;
    if (w + slack > mostWidth) {
        doc->setTextWidth(std::max(1.0, (mostWidth - slack) / k));
        w = mostWidth - slack;
    }
    const double h = doc->size().height() * k;
    SetBounds(Left(), Top(), std::clamp(static_cast<int>(std::ceil(w)) + slack, 1, std::max(1, mostWidth)),
        std::clamp(static_cast<int>(std::ceil(h)) + slack, 1, std::max(1, mostHeight)));
    Invalidate();
}

namespace {

void createRichLabel(TGBusinessCardPanel32& panel, const TRect& r)
{
    auto label = std::make_unique<TGPRichBaseLabel>();
    // The master is found through the panel's form, so the object joins the
    // panel before its load completion.
    label->SetParent(&panel);
    label->Loaded();
    TGPRichBaseLabel* object = label.release();
    panel.AddObject(object, r);
    panel.SetScreenCursor(crDefault);
    panel.SetPanelState(psPointing);
    object->EditRichText();
    // The new object shows all of its text, on the card.
    object->FitToText(panel.width() - std::clamp(object->Left(), 0, panel.width() / 2), panel.height());
    panel.KeepInCard(*object);
}

} // namespace

void RegisterRichTextClasses()
{
    RegisterObjectKind({
        .classes = { { QStringLiteral("TGPRichBaseLabel"), [] { return new TGPRichBaseLabel; } } },
        .tools = { { .state = psRichLabel, .button = "DrawRichText",
            .hint = QStringLiteral("Rich Text tool \nMixed fonts, colors and styles"),
            .menuCaption = QStringLiteral("&Rich Text..."), .iconName = QStringLiteral("richtext"), .group = 4,
            .order = 100, .create = createRichLabel } },
    });
}

TRichTextControl* CreateMasterRichText(TDesignModel& design, QWidget* owner)
{
    auto* master = new TRichTextControl(owner);
    design.SetService<TRichTextControl>(master);
    if (!owner)
        QObject::connect(&design, &QObject::destroyed, [master] { delete master; });
    else
        // A master that goes before the design is no longer given.
        QObject::connect(master, &QObject::destroyed, &design,
            [d = &design, master] {
                if (d->Service<TRichTextControl>() == master)
                    d->SetService<TRichTextControl>(nullptr);
            });
    master->setObjectName(QStringLiteral("MASTERRICHTEXT"));
    master->resize(53, 44);
    master->SetZooming(100);
    master->setFrameShape(QFrame::Box);
    master->hide();
    return master;
}

} // namespace bv
