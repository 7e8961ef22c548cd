#include "objects/Barcode.h"
#include "surface/MergeFields.h"

#include "objects/BarcodePayload.h"
#include "objects/BarcodeProperties.h"
#include "platform/Checked.h"
#include "platform/Environment.h"
#include "platform/Interaction.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ClassRegistry.h"
#include "surface/DrawingProperties.h"

#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace bv {

namespace {

const QStringList& symbologyNames()
{
    static const QStringList names = { "bsQRCode", "bsMicroQR", "bsDataMatrix", "bsAztec", "bsPDF417",
        "bsCode128", "bsCode39", "bsEAN13", "bsUPCA", "bsITF" };
    return names;
}

const QStringList& contentNames()
{
    static const QStringList names = { "bcText", "bcVCard", "bcMeCard", "bcURL", "bcWifi" };
    return names;
}

const QStringList& levelNames()
{
    static const QStringList names = { "ecL", "ecM", "ecQ", "ecH" };
    return names;
}

// The dark modules as one path of rectangles, a row's neighbouring modules
// joined: one fill, so that no seam shows between modules in a PDF viewer.
QPainterPath modulePath(const TBarcodeSymbol& s, const TBarcodeLayout& l)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    const bool linear = s.RowModules == 0;
    const double rowHeight = linear ? l.ModuleHeight : l.ModuleHeight * s.RowModules;
    for (int r = 0; r < s.Rows; ++r) {
        for (int c = 0; c < s.Columns;) {
            if (!s.IsDark(r, c)) {
                ++c;
                continue;
            }
            int end = c;
            while (end < s.Columns && s.IsDark(r, end))
                ++end;
            path.addRect(QRectF(l.X + c * l.ModuleWidth, l.Y + r * rowHeight, (end - c) * l.ModuleWidth, rowHeight));
            c = end;
        }
    }
    return path;
}

} // namespace

TGBarcode::TGBarcode()
{
    SetLoading(true);
    TFont f = Font();
    f.Color = clBlack;
    f.SetSize(8);
    SetFont(f);
    SetBounds(0, 0, 96, 96);
    SetLoading(false);
    OnEditRequest = [this](TGBasePanel*) { EditProperties(); };
}

const PropertyTable& TGBarcode::ClassProperties()
{
    static const PropertyTable table = [] {
        auto self = [](const TGGraphicControl& o) -> const TGBarcode& { return static_cast<const TGBarcode&>(o); };
        auto mut = [](TGGraphicControl& o) -> TGBarcode& { return static_cast<TGBarcode&>(o); };
        auto boolean = [](const char* name, bool def, bool (TGBarcode::*get)() const, void (TGBarcode::*set)(bool)) {
            return PropertyInfo { name, PropertyKind::Bool, Value::boolean(def),
                [get](const TGGraphicControl& o) {
                    return Value::boolean((static_cast<const TGBarcode&>(o).*get)());
                },
                [set](TGGraphicControl& o, const Value& v) { (static_cast<TGBarcode&>(o).*set)(expectBool(v)); } };
        };
        std::vector<PropertyInfo> own;
        own.push_back(EnumProperty("Symbology", symbologyNames(), bsQRCode,
            [self](const TGGraphicControl& o) { return int(self(o).Symbology()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetSymbology(TBarcodeSymbology(v)); }));
        own.push_back(EnumProperty("Content", contentNames(), bcText,
            [self](const TGGraphicControl& o) { return int(self(o).Content()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetContent(TBarcodeContent(v)); }));
        own.push_back({ "Data", PropertyKind::String, Value::string(QString()),
            [self](const TGGraphicControl& o) { return Value::string(self(o).Data()); },
            [mut](TGGraphicControl& o, const Value& v) {
                const QString& text = expectString(v);
                if (text.size() > MaxBarcodeData)
                    throw EReadError(QStringLiteral("Barcode data too long (%1 characters; at most %2)")
                                         .arg(text.size())
                                         .arg(MaxBarcodeData));
                mut(o).SetData(text);
            } });
        own.push_back(EnumProperty("ErrorLevel", levelNames(), ecM,
            [self](const TGGraphicControl& o) { return int(self(o).ErrorLevel()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetErrorLevel(TBarcodeErrorLevel(v)); }));
        own.push_back(boolean("QuietZone", true, &TGBarcode::QuietZone, &TGBarcode::SetQuietZone));
        own.push_back(boolean("ShowText", true, &TGBarcode::ShowText, &TGBarcode::SetShowText));
        own.push_back(boolean("KeepSquare", true, &TGBarcode::KeepSquare, &TGBarcode::SetKeepSquare));
        own.push_back(boolean("Transparent", false, &TGBarcode::Transparent, &TGBarcode::SetTransparent));
        own.push_back({ "Color", PropertyKind::Colour, Value::integer(clBlack),
            [self](const TGGraphicControl& o) { return Value::integer(self(o).Color()); },
            [mut](TGGraphicControl& o, const Value& v) { mut(o).SetColor(static_cast<TColor>(expectInt(v))); } });
        own.push_back({ "BackColor", PropertyKind::Colour, Value::integer(clWhite),
            [self](const TGGraphicControl& o) { return Value::integer(self(o).BackColor()); },
            [mut](TGGraphicControl& o, const Value& v) { mut(o).SetBackColor(static_cast<TColor>(expectInt(v))); } });
        for (auto& p : FontProperties("Font",
                 { [](const TGGraphicControl& o) { return o.Font(); },
                     [](TGGraphicControl& o, const TFont& f) { o.SetFont(f); } }))
            own.push_back(p);
        return PropertyTable::extend(TGGraphicControl::ClassProperties(), own);
    }();
    return table;
}

void TGBarcode::changed()
{
    if (IsLoading() || IsReading())
        return;
    NotifyChanged();
    Invalidate();
}

void TGBarcode::SetSymbology(TBarcodeSymbology value)
{
    if (value == symbology)
        return;
    symbology = value;
    symbolDue = true;
    changed();
}

void TGBarcode::SetContent(TBarcodeContent value)
{
    if (value == content)
        return;
    content = value;
    changed();
}

void TGBarcode::SetData(const QString& value)
{
    if (value == data)
        return;
    data = value;
    symbolDue = true;
    changed();
}

void TGBarcode::SetErrorLevel(TBarcodeErrorLevel value)
{
    if (value == errorLevel)
        return;
    errorLevel = value;
    symbolDue = true;
    changed();
}

#define BV_BARCODE_FLAG(Setter, member)                                                                            \
    void TGBarcode::Setter(bool value)                                                                             \
    {                                                                                                              \
        if (value == member)                                                                                       \
            return;                                                                                                \
        member = value;                                                                                            \
        changed();                                                                                                 \
    }
BV_BARCODE_FLAG(SetQuietZone, quietZone)
BV_BARCODE_FLAG(SetShowText, showText)
BV_BARCODE_FLAG(SetKeepSquare, keepSquare)
BV_BARCODE_FLAG(SetTransparent, transparent)
#undef BV_BARCODE_FLAG

void TGBarcode::SetColor(TColor value)
{
    if (value == color)
        return;
    color = value;
    changed();
}

void TGBarcode::SetBackColor(TColor value)
{
    if (value == backColor)
        return;
    backColor = value;
    changed();
}

void TGBarcode::TakeSettingsFrom(const TGBarcode& other)
{
    SetSymbology(other.symbology);
    SetContent(other.content);
    SetData(other.data);
    SetErrorLevel(other.errorLevel);
    SetQuietZone(other.quietZone);
    SetShowText(other.showText);
    SetKeepSquare(other.keepSquare);
    SetTransparent(other.transparent);
    SetColor(other.color);
    SetBackColor(other.backColor);
    SetFont(other.Font());
    Invalidate();
}

const TBarcodeSymbol& TGBarcode::Symbol() const
{
    const QString shown = ShownData();
    if (symbolDue || shown != symbolData) {
        symbol = EncodeBarcode(symbology, shown, errorLevel);
        symbolData = shown;
        symbolDue = false;
    }
    return symbol;
}

QString TGBarcode::ShownData() const
{
    if (!ShowsMergeRecord(*this))
        return data;
    // A contact card is the record's own; any other data may hold fields.
    if (content == bcVCard || content == bcMeCard)
        return BarcodeDataFor(content, MergeRecordPersonalInfo(*this), data);
    return MergedText(*this, data);
}

QStringList TGBarcode::MergeTexts() const
{
    if (content == bcVCard || content == bcMeCard)
        return {};
    return { data };
}

QString TGBarcode::ErrorMessage() const
{
    const TBarcodeSymbol& s = Symbol();
    if (s.IsValid())
        return {};
    return QStringLiteral("%1 cannot encode this data: %2")
        .arg(BarcodeSymbologyCaptions().value(int(symbology)), s.Error);
}

void TGBarcode::Paint()
{
    if (QPainter* c = DrawCanvas())
        DrawTo(*c);
    TGGraphicControl::Paint();
}

void TGBarcode::DrawTo(QPainter& canvas)
{
    const QRectF whole(0, 0, Width(), Height());
    if (whole.isEmpty())
        return;
    // A record that leaves the data empty has no symbol on its card.
    if (ShowsMergeRecord(*this) && DrawnForPaper(*this) && ShownData().isEmpty())
        return;
    const TBarcodeSymbol& s = Symbol();
    canvas.save();
    if (!s.IsValid()) {
        // Never a silent blank: the object says what is wrong, in red on
        // white, framed so that it is seen on any background.
        canvas.fillRect(whole, Qt::white);
        canvas.setPen(QPen(QColor(200, 0, 0), 0));
        canvas.setBrush(Qt::NoBrush);
        canvas.drawRect(whole.adjusted(0, 0, -1, -1));
        QFont f = Font().ToQFont(Zoom());
        f.setBold(false);
        canvas.setFont(f);
        canvas.drawText(whole.adjusted(3, 3, -3, -3), Qt::AlignCenter | Qt::TextWordWrap, ErrorMessage());
        canvas.restore();
        return;
    }
    if (!transparent)
        canvas.fillRect(whole, ToQColor(backColor));

    QRectF bars = whole;
    if (IsLinearSymbology(symbology) && showText && !s.Text.isEmpty()) {
        const QFont f = Font().ToQFont(Zoom());
        const QFontMetricsF fm(f);
        const QRectF textArea(0, std::max(0.0, whole.height() - fm.height()), whole.width(), fm.height());
        canvas.setFont(f);
        canvas.setPen(ToQColor(Font().Color));
        canvas.drawText(textArea, Qt::AlignHCenter | Qt::AlignTop, s.Text);
        bars.setBottom(textArea.top());
    }

    const QColor ink = ToQColor(color);
    const QTransform toDevice = canvas.combinedTransform();
    if (toDevice.type() <= QTransform::TxScale && toDevice.m11() > 0 && toDevice.m22() > 0) {
        // Upright on the device: the modules are laid out in device pixels,
        // each a whole number of them.
        const QRectF deviceBars = toDevice.mapRect(bars);
        const TBarcodeLayout layout = LayoutBarcode(s, deviceBars, quietZone, keepSquare, true);
        canvas.resetTransform();
        canvas.setRenderHint(QPainter::Antialiasing, false);
        canvas.fillPath(modulePath(s, layout), ink);
    } else {
        const TBarcodeLayout layout = LayoutBarcode(s, bars, quietZone, keepSquare, false);
        canvas.fillPath(modulePath(s, layout), ink);
    }
    canvas.restore();
}

QString BarcodeDataFor(TBarcodeContent content, const TPersonalInfo& info, const QString& current)
{
    switch (content) {
    case bcVCard: return VCardFromPersonalInfo(info);
    case bcMeCard: return MeCardFromPersonalInfo(info);
    default: return current;
    }
}

void TGBarcode::PersonalInfoChanged(const TPersonalInfo& info)
{
    SetData(BarcodeDataFor(content, info, data));
}

void TGBarcode::ApplyFont(const TFont& font)
{
    SetFont(font);
    Invalidate();
}

void TGBarcode::BuildContextMenu(QMenu& menu)
{
    TGGraphicControl::BuildContextMenu(menu);
    menu.addSeparator();
    AddMenuItem(menu, QStringLiteral("Barcode Properties"), [this] { EditProperties(); });
}

bool TGBarcode::EditProperties()
{
    TPersonalInfo info;
    if (const TDesignModel* design = Parent())
        info = design->PersonalInfo();
    TBarcodeProperties dialog(*this, info);
    if (Interaction::Current().RunModal(dialog) != mrOk)
        return false;
    TakeSettingsFrom(dialog.Sample());
    NotifyChanged();
    return true;
}

TGBarcode* CreateBarcode(TGBusinessCardPanel32& panel, const TRect& r)
{
    auto* code = new TGBarcode;
    code->SetLoading(true);
    code->SetContent(bcVCard);
    code->SetData(VCardFromPersonalInfo(panel.PersonalInfo()));
    code->SetLoading(false);
    code->Loaded();
    // A contact code needs room to scan: at least an inch square, whatever
    // the band or menu entry gave.
    const int inch = checked::Saturate(Round(static_cast<Extended>(ScreenPpi()) * panel.Zoom()));
    TRect area = r;
    area.Right = std::max(area.Right, area.Left + inch);
    area.Bottom = std::max(area.Bottom, area.Top + inch);
    panel.AddObject(code, area);
    panel.SetPanelState(psPointing);
    code->EditProperties();
    return code;
}

namespace {

// The palette's picture: a small QR Code, three finder squares and a
// scatter of modules on a 24 x 24 grid.
void drawToolIcon(QPainter& p)
{
    const QColor ink(0x20, 0x24, 0x2c);
    const QColor paper(Qt::white);
    p.setPen(Qt::NoPen);
    p.setBrush(paper);
    p.drawRect(QRectF(2, 2, 20, 20));
    const auto finder = [&](double x, double y) {
        p.setBrush(ink);
        p.drawRect(QRectF(x, y, 7, 7));
        p.setBrush(paper);
        p.drawRect(QRectF(x + 1, y + 1, 5, 5));
        p.setBrush(ink);
        p.drawRect(QRectF(x + 2, y + 2, 3, 3));
    };
    finder(3, 3);
    finder(14, 3);
    finder(3, 14);
    p.setBrush(QColor(0x1c, 0x54, 0x96));
    for (const QPointF& m : { QPointF(11, 4), QPointF(11, 7), QPointF(12, 11), QPointF(15, 12), QPointF(18, 11),
             QPointF(14, 15), QPointF(17, 17), QPointF(20, 14), QPointF(11, 19), QPointF(19, 20), QPointF(4, 11) })
        p.drawRect(QRectF(m, QSizeF(2, 2)));
}

} // namespace

void RegisterBarcodeClasses()
{
    RegisterObjectKind({
        .classes = { { QStringLiteral("TGBarcode"), [] { return new TGBarcode; } } },
        .tools = { { .button = "DrawBarcodeButton",
            .hint = QStringLiteral("Barcode tool \nQR Code of your contact details, or other barcodes"),
            .menuCaption = QStringLiteral("&Barcode or QR Code..."), .drawIcon = drawToolIcon,
            .group = 4, .order = 130, .create = [](TGBusinessCardPanel32& panel, const TRect& r) {
                CreateBarcode(panel, r);
            } } },
    });
}

} // namespace bv
