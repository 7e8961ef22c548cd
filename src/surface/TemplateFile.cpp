#include "surface/TemplateFile.h"

#include "platform/Checked.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "platform/ProfileFile.h"
#include "surface/DesignModel.h"
#include "surface/ClassRegistry.h"
#include "surface/GraphicControl.h"
#include "surface/ObjectStream.h"
#include "platform/Dib.h"

#include <QPainter>
#include <memory>

namespace bv {

namespace {

constexpr int SectionsPerKind = 15;

// The personal-information sections, in the card's field order, and the
// placeholder each shows when neither the user nor the template gives text.
const QStringList& personalSections()
{
    static const QStringList names = { "Name", "Company", "Title", "Address1", "Address2", "Address3",
        "Phone1", "Phone2", "Email", "Fax" };
    return names;
}

// Captions that an exported text object is recognised by (compared trimmed
// and in lower case), per personal-information section.
const std::array<QStringList, TPersonalInfo::Count>& sectionCaptions()
{
    static const std::array<QStringList, TPersonalInfo::Count> captions = { {
        { "name", "your own name" },
        { "company", "your business name" },
        { "title", "title or qualifications" },
        { "address1", "address line one" },
        { "address2", "address line two" },
        { "address3", "address line three" },
        { "phone1", "phone one" },
        { "phone2", "phone two" },
        { "email", "email address" },
        { "fax", "fax number" },
    } };
    return captions;
}

// --- property access through the published property tables ---------------------

const PropertyInfo& property(const TGGraphicControl& o, const char* name)
{
    const PropertyInfo* p = o.properties().find(QLatin1String(name));
    if (!p)
        throw EReadError(QStringLiteral("Property %1 does not exist in %2").arg(QLatin1String(name), o.ClassName()));
    return *p;
}

void set(TGGraphicControl& o, const char* name, const Value& v)
{
    property(o, name).set(o, v);
}

// Sets an enumeration by its ordinal; an ordinal outside the enumeration
// takes `fallback` (the template's default for the key).
void setOrdinal(TGGraphicControl& o, const char* name, int ordinal, int fallback)
{
    const PropertyInfo& p = property(o, name);
    if (ordinal < 0 || ordinal >= p.enumNames.size())
        ordinal = fallback;
    if (ordinal >= 0 && ordinal < p.enumNames.size())
        p.set(o, Value::ident(p.enumNames[ordinal]));
}

Value get(const TGGraphicControl& o, const char* name)
{
    return property(o, name).get(o);
}

int getInt(const TGGraphicControl& o, const char* name)
{
    const Value v = get(o, name);
    return v.type == Value::Int ? checked::Saturate(v.i) : 0;
}

bool getBool(const TGGraphicControl& o, const char* name)
{
    const Value v = get(o, name);
    return v.type == Value::Bool && v.b;
}

int getOrdinal(const TGGraphicControl& o, const char* name)
{
    const PropertyInfo& p = property(o, name);
    const Value v = p.get(o);
    if (v.type == Value::Int)
        return checked::Saturate(v.i);
    return static_cast<int>(p.enumNames.indexOf(v.s));
}

// --- reading ----------------------------------------------------------------

class Reader {
public:
    Reader(TDesignModel& design, const ProfileText& ini) : design(design), ini(ini) {}

    void shape(const QString& section)
    {
        TGGraphicControl* o = create(section, QStringLiteral("TBCShapes"));
        if (!o)
            return;
        setOrdinal(*o, "Shape", ini.ReadInteger(section, "Shape", 0), 0);
        set(*o, "Transparent", Value::boolean(ini.ReadBool(section, "Transparent", true)));
        set(*o, "Brush.Color", Value::integer(color(section, "Brush Color", "clWhite")));
        set(*o, "Pen.Color", Value::integer(color(section, "Pen Color", "clBlack")));
        set(*o, "Pen.Width", Value::integer(ini.ReadInteger(section, "Pen Width", 1)));
        setOrdinal(*o, "Brush.Style", ini.ReadInteger(section, "Brush Style", 1), 1);
    }

    void line(const QString& section)
    {
        TGGraphicControl* o = create(section, QStringLiteral("TGLineShape"));
        if (!o)
            return;
        set(*o, "Pen.Color", Value::integer(color(section, "Pen Color", "clBlack")));
        set(*o, "Pen.Width", Value::integer(ini.ReadInteger(section, "Pen Width", 1)));
        setOrdinal(*o, "LineStyle", ini.ReadInteger(section, "Line Style", 0), 0);
    }

    void text(const QString& section, const QString& personal, const QString& placeholder)
    {
        TGGraphicControl* o = create(section, QStringLiteral("TGBusinessCardLabel"));
        if (!o)
            return;
        QString caption = personal;
        if (caption.trimmed().isEmpty())
            caption = ini.ReadString(section, "Caption", QStringLiteral("<blank>"));
        if (caption.trimmed().isEmpty())
            caption = placeholder;
        set(*o, "Caption", Value::string(caption));

        TFont font = o->Font();
        font.SetSize(ini.ReadInteger(section, "Font Size", 10));
        font.Name = ini.ReadString(section, "Font Name", QStringLiteral("Arial")).left(255);
        font.Color = color(section, "Font Color", "clBlack");
        ApplyTemplateFontStyle(font, ini.ReadString(section, "Font Style"));
        set(*o, "Font.Height", Value::integer(font.Height));
        set(*o, "Font.Name", Value::string(font.Name));
        set(*o, "Font.Color", Value::integer(font.Color));
        set(*o, "Font.Style", Value::set(font.StyleNames()));

        setOrdinal(*o, "Alignment", ini.ReadInteger(section, "Alignment", 0), 0);
        set(*o, "DepthHighlight", Value::integer(ini.ReadInteger(section, "Highlight Depth", 0)));
        set(*o, "DepthShadow", Value::integer(ini.ReadInteger(section, "Shadow Depth", 0)));
        setOrdinal(*o, "DirectionHighlight", ini.ReadInteger(section, "Highlight Direction", 4), 4);
        setOrdinal(*o, "DirectionShadow", ini.ReadInteger(section, "Shadow Direction", 4), 4);
        set(*o, "colorHighlight", Value::integer(color(section, "Highlight Color", "clWhite")));
        set(*o, "colorShadow", Value::integer(color(section, "Shadow Color", "clGray")));
        set(*o, "Angle", Value::integer(ini.ReadInteger(section, "Angle", 0)));
        set(*o, "Transparent", Value::boolean(ini.ReadBool(section, "Transparent", true)));
        set(*o, "BackColor", Value::integer(color(section, "Background Color", "clWhite")));
        setOrdinal(*o, "BorderStyle", ini.ReadInteger(section, "Border Style", 0), 0);
    }

    // A barcode section ("Code" + n): symbology, content kind and data by
    // their stream names; `<Name>`, `<Company>` ... in the data take the
    // personal information, and a contact card is built from it.
    void code(const QString& section, const TPersonalInfo& personal)
    {
        TGGraphicControl* o = create(section, QStringLiteral("TGBarcode"));
        if (!o)
            return;
        set(*o, "Symbology", Value::ident(ini.ReadString(section, "Symbology", QStringLiteral("bsQRCode"))));
        set(*o, "Content", Value::ident(ini.ReadString(section, "Content", QStringLiteral("bcText"))));
        set(*o, "ErrorLevel", Value::ident(ini.ReadString(section, "Error Level", QStringLiteral("ecM"))));
        QString data = ini.ReadString(section, "Data");
        for (int i = 0; i < TPersonalInfo::Count; ++i)
            data.replace(QLatin1Char('<') + personalSections()[i] + QLatin1Char('>'), personal.Field(i),
                Qt::CaseInsensitive);
        set(*o, "Data", Value::string(data));
        set(*o, "Color", Value::integer(color(section, "Color", "clBlack")));
        set(*o, "BackColor", Value::integer(color(section, "Background Color", "clWhite")));
        set(*o, "Transparent", Value::boolean(ini.ReadBool(section, "Transparent", false)));
        o->PersonalInfoChanged(personal);
    }

    void logo()
    {
        const QString section = QStringLiteral("Logo");
        if (ini.ReadInteger(section, "Width", 0) == 0)
            return;
        // Whatever size the template gives, the placeholder is half an inch
        // square on the screen.
        const int side = ScreenPpi() / 2;
        TGGraphicControl* o = place(QStringLiteral("TGImage"), ini.ReadInteger(section, "Left", 0),
            ini.ReadInteger(section, "Top", 0), side, side);
        setOrdinal(*o, "BorderStyle", 0, 0);
        const Dib bitmap = Dib::FromImage(TemplateLogoImage(side));
        set(*o, "Picture.Data", Value::binary(MakePictureData(QStringLiteral("TBitmap"), bitmap.Bytes())));
    }

private:
    // The object of a section, or nullptr when the section is skipped (its
    // Width is 0 or missing).
    TGGraphicControl* create(const QString& section, const QString& className)
    {
        const int w = ini.ReadInteger(section, "Width", 0);
        if (w == 0)
            return nullptr;
        return place(className, ini.ReadInteger(section, "Left", 0), ini.ReadInteger(section, "Top", 0), w,
            ini.ReadInteger(section, "Height", 0));
    }

    // A new object added to the design with the stored geometry (l, t, w, h)
    // widened to the smallest object, whatever the design's zoom.
    TGGraphicControl* place(const QString& className, int l, int t, int w, int h)
    {
        std::unique_ptr<TGGraphicControl> made(CreateObjectOfClass(className));
        if (!made)
            throw EReadError(QStringLiteral("Class %1 not found").arg(className));
        l = checked::Coordinate(l);
        t = checked::Coordinate(t);
        w = std::max(checked::Coordinate(w), 10);
        h = std::max(checked::Coordinate(h), 15);
        TGGraphicControl* o = made.get();
        o->SetParent(&design);
        made.release(); // the design owns it now
        o->SetBounds(l, t, w, h);
        o->Loaded();
        const Single z = design.Zoom();
        const auto zoomed = [z](int v) { return checked::Saturate(Round(static_cast<Extended>(v) * z)); };
        design.AddObject(o, TRect::FromBounds(zoomed(l), zoomed(t), zoomed(w), zoomed(h)));
        o->SetStoredBounds(l, t, w, h);
        return o;
    }

    TColor color(const QString& section, const char* key, const char* defaultText)
    {
        return TemplateTextToColor(ini.ReadString(section, QLatin1String(key), QLatin1String(defaultText)));
    }

    TDesignModel& design;
    const ProfileText& ini;
};

// --- writing ----------------------------------------------------------------

void writeGeometry(ProfileText& ini, const QString& section, const TGGraphicControl& o)
{
    ini.WriteInteger(section, "Left", o.StoredLeft());
    ini.WriteInteger(section, "Top", o.StoredTop());
    ini.WriteInteger(section, "Width", o.StoredWidth());
    ini.WriteInteger(section, "Height", o.StoredHeight());
}

QString textSection(const QString& caption, int& texts)
{
    const QString key = caption.trimmed().toLower();
    for (int i = 0; i < TPersonalInfo::Count; ++i)
        if (sectionCaptions()[i].contains(key))
            return personalSections()[i];
    return QStringLiteral("Label%1").arg(++texts);
}

void writeText(ProfileText& ini, const TGGraphicControl& o, int& texts)
{
    const QString caption = get(o, "Caption").s;
    const QString section = textSection(caption, texts);
    ini.WriteString(section, "Type", QStringLiteral("psLabel"));
    ini.WriteString(section, "Caption", caption);
    writeGeometry(ini, section, o);
    const TFont& font = o.Font();
    ini.WriteString(section, "Font Name", font.Name);
    ini.WriteInteger(section, "Font Size", font.Size());
    ini.WriteString(section, "Font Color", TemplateColorText(font.Color));
    ini.WriteString(section, "Font Style", TemplateFontStyleText(font));
    ini.WriteInteger(section, "Alignment", getOrdinal(o, "Alignment"));
    ini.WriteInteger(section, "Highlight Depth", getInt(o, "DepthHighlight"));
    ini.WriteInteger(section, "Shadow Depth", getInt(o, "DepthShadow"));
    ini.WriteInteger(section, "Highlight Direction", getOrdinal(o, "DirectionHighlight"));
    ini.WriteInteger(section, "Shadow Direction", getOrdinal(o, "DirectionShadow"));
    ini.WriteString(section, "Highlight Color", TemplateColorText(getInt(o, "colorHighlight")));
    ini.WriteString(section, "Shadow Color", TemplateColorText(getInt(o, "colorShadow")));
    ini.WriteInteger(section, "Angle", getInt(o, "Angle"));
    ini.WriteBool(section, "Transparent", getBool(o, "Transparent"));
    ini.WriteString(section, "Background Color", TemplateColorText(getInt(o, "BackColor")));
    ini.WriteInteger(section, "Border Style", getOrdinal(o, "BorderStyle"));
}

void writeShape(ProfileText& ini, const TGGraphicControl& o, int& shapes)
{
    const QString section = QStringLiteral("Shape%1").arg(++shapes);
    const QString kind = get(o, "Shape").s;
    const bool named = kind == QLatin1String("stRectangle") || kind == QLatin1String("stRoundRect")
        || kind == QLatin1String("stEllipse");
    ini.WriteString(section, "Type", named ? kind : QString());
    writeGeometry(ini, section, o);
    ini.WriteBool(section, "Transparent", getBool(o, "Transparent"));
    ini.WriteInteger(section, "Round Percent", getInt(o, "RoundPerc"));
    ini.WriteInteger(section, "Shape", getOrdinal(o, "Shape"));
    ini.WriteInteger(section, "Brush Style", getOrdinal(o, "Brush.Style"));
    ini.WriteString(section, "Brush Color", TemplateColorText(getInt(o, "Brush.Color")));
    ini.WriteString(section, "Pen Color", TemplateColorText(getInt(o, "Pen.Color")));
    ini.WriteInteger(section, "Pen Width", getInt(o, "Pen.Width"));
}

void writeLine(ProfileText& ini, const TGGraphicControl& o, int& lines)
{
    const QString section = QStringLiteral("Line%1").arg(++lines);
    ini.WriteString(section, "Type", QStringLiteral("psLine"));
    writeGeometry(ini, section, o);
    ini.WriteInteger(section, "Line Style", getOrdinal(o, "LineStyle"));
    ini.WriteString(section, "Pen Color", TemplateColorText(getInt(o, "Pen.Color")));
    ini.WriteInteger(section, "Pen Width", getInt(o, "Pen.Width"));
}

void writeCode(ProfileText& ini, const TGGraphicControl& o, int& codes)
{
    const QString section = QStringLiteral("Code%1").arg(++codes);
    ini.WriteString(section, "Type", QStringLiteral("psBarcode"));
    writeGeometry(ini, section, o);
    ini.WriteString(section, "Symbology", get(o, "Symbology").s);
    const QString content = get(o, "Content").s;
    ini.WriteString(section, "Content", content);
    ini.WriteString(section, "Error Level", get(o, "ErrorLevel").s);
    // A contact card is built again from the reader's own details.
    if (content != QLatin1String("bcVCard") && content != QLatin1String("bcMeCard"))
        ini.WriteString(section, "Data", get(o, "Data").s);
    ini.WriteString(section, "Color", TemplateColorText(getInt(o, "Color")));
    ini.WriteString(section, "Background Color", TemplateColorText(getInt(o, "BackColor")));
    ini.WriteBool(section, "Transparent", getBool(o, "Transparent"));
}

std::optional<TColor> parseNumber(const QString& text)
{
    QString s = text;
    bool negative = false;
    if (s.startsWith(QLatin1Char('-')) || s.startsWith(QLatin1Char('+'))) {
        negative = s.startsWith(QLatin1Char('-'));
        s = s.mid(1);
    }
    int base = 10;
    if (s.startsWith(QLatin1Char('$'))) {
        base = 16;
        s = s.mid(1);
    } else if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        s = s.mid(2);
    }
    if (s.isEmpty())
        return std::nullopt;
    std::int64_t v = 0;
    for (const QChar c : s) {
        const int d = c.isDigit() && c.unicode() < 128 ? c.unicode() - '0'
            : (base == 16 && c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'))
            ? c.toLower().unicode() - 'a' + 10
            : -1;
        if (d < 0)
            return std::nullopt;
        v = v * base + d;
        // Hexadecimal takes all 32 bits (system colours are 0x80000000 up).
        if (v > (base == 16 ? 0xFFFFFFFFLL : 2147483648LL))
            return std::nullopt;
    }
    if (negative)
        v = -v;
    if (base == 10 && v > 2147483647LL)
        return std::nullopt;
    return static_cast<TColor>(static_cast<std::uint32_t>(v));
}

} // namespace

QString TemplateColorText(TColor color)
{
    if (auto name = ColorToIdent(color))
        return *name;
    return QStringLiteral("$%1").arg(static_cast<std::uint32_t>(color), 8, 16, QLatin1Char('0'));
}

TColor TemplateTextToColor(const QString& text)
{
    if (auto c = IdentToColor(text))
        return *c;
    if (auto c = parseNumber(text))
        return *c;
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

QString TemplateFontStyleText(const TFont& font)
{
    QStringList members;
    if (font.Bold)
        members << QStringLiteral("fsBold");
    if (font.Italic)
        members << QStringLiteral("fsItalic");
    if (font.Underline)
        members << QStringLiteral("fsUnderline");
    return QLatin1Char('[') + members.join(QLatin1Char(',')) + QLatin1Char(']');
}

void ApplyTemplateFontStyle(TFont& font, const QString& text)
{
    font.Bold = text.contains(QLatin1String("fsBold"));
    font.Italic = text.contains(QLatin1String("fsItalic"));
    font.Underline = text.contains(QLatin1String("fsUnderline"));
    font.StrikeOut = false;
}

QImage TemplateLogoImage(int side)
{
    side = std::max(side, 1);
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    // The ellipse fills the bitmap's rectangle less its last row and column,
    // outlined with a one-pixel black pen.
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(0, 0, side - 1, side - 1));
    TFont font;
    font.Name = QStringLiteral("MS Sans Serif");
    font.SetSize(10);
    font.Color = clBlack;
    p.setFont(font.ToQFont());
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    const int textHeight = 2 * side;
    p.drawText(QRect(5, side / 5, 2 * side, textHeight), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("YOUR"));
    p.drawText(QRect(5, side / 2, 2 * side, textHeight), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("LOGO"));
    return image;
}

QString ReadTemplate(TDesignModel& design, const ProfileText& ini)
{
    design.SetSuppressPainting(true);
    struct PaintingBack {
        TDesignModel& design;
        ~PaintingBack()
        {
            design.SetSuppressPainting(false);
            design.RepaintCard();
        }
    } paintingBack { design };

    Reader reader(design, ini);
    for (int n = 1; n <= SectionsPerKind; ++n)
        reader.shape(QStringLiteral("Shape%1").arg(n));
    for (int n = 1; n <= SectionsPerKind; ++n)
        reader.line(QStringLiteral("Line%1").arg(n));
    const TPersonalInfo personal = design.PersonalInfo();
    for (int i = 0; i < TPersonalInfo::Count; ++i)
        reader.text(personalSections()[i], personal.Field(i), QLatin1Char('<') + personalSections()[i] + QLatin1Char('>'));
    for (int n = 1; n <= SectionsPerKind; ++n)
        reader.text(QStringLiteral("Label%1").arg(n), QString(), QString());
    for (int n = 1; n <= SectionsPerKind; ++n)
        reader.code(QStringLiteral("Code%1").arg(n), personal);
    reader.logo();
    design.SetRotated(ini.ReadBool(QStringLiteral("Card Data"), QStringLiteral("Portrait Mode"), false));
    return ini.ReadString(QStringLiteral("Card Data"), QStringLiteral("Background File"));
}

ProfileText TemplateText(const TDesignModel& design, const QString& backgroundPath)
{
    ProfileText ini;
    int shapes = 0;
    int lines = 0;
    int texts = 0;
    int codes = 0;
    const QList<TGGraphicControl*>& objects = design.Objects();
    for (auto it = objects.crbegin(); it != objects.crend(); ++it) {
        const TGGraphicControl& o = **it;
        if (o.InheritsClass(QStringLiteral("TGBusinessCardLabel")))
            writeText(ini, o, texts);
        else if (o.InheritsClass(QStringLiteral("TBCShapes")))
            writeShape(ini, o, shapes);
        else if (o.InheritsClass(QStringLiteral("TGLineShape")))
            writeLine(ini, o, lines);
        else if (o.InheritsClass(QStringLiteral("TGBarcode")))
            writeCode(ini, o, codes);
        else if (o.InheritsClass(QStringLiteral("TGImage"))) {
            ini.WriteString(QStringLiteral("Logo"), QStringLiteral("Type"), QStringLiteral("psImage"));
            writeGeometry(ini, QStringLiteral("Logo"), o);
        }
    }
    ini.WriteBool(QStringLiteral("Card Data"), QStringLiteral("Portrait Mode"), design.Rotated());
    QString file = backgroundPath;
    file = file.mid(std::max(file.lastIndexOf(QLatin1Char('/')), file.lastIndexOf(QLatin1Char('\\'))) + 1);
    ini.WriteString(QStringLiteral("Card Data"), QStringLiteral("Background File"), file);
    return ini;
}

} // namespace bv
