#include "surface/MergeFields.h"

#include "platform/VCardReader.h"
#include "surface/BasePanel.h"
#include "surface/DesignModel.h"
#include "surface/GraphicControl.h"

#include <array>

namespace bv {

namespace {

// Longest name between braces that is taken for a field; longer brace
// texts are left as they stand.
constexpr qsizetype MaxFieldName = 64;

// Walks `text`, calling onText for literal runs and onField for fields.
template <typename T, typename F>
void scan(const QString& text, T&& onText, F&& onField)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const QChar c = text[i];
        if (c == QLatin1Char('{') && i + 1 < n && text[i + 1] == QLatin1Char('{')) {
            onText(QStringLiteral("{"));
            i += 2;
            continue;
        }
        if (c == QLatin1Char('}') && i + 1 < n && text[i + 1] == QLatin1Char('}')) {
            onText(QStringLiteral("}"));
            i += 2;
            continue;
        }
        if (c == QLatin1Char('{')) {
            const qsizetype close = text.indexOf(QLatin1Char('}'), i + 1);
            const qsizetype open = text.indexOf(QLatin1Char('{'), i + 1);
            if (close > i + 1 && close - i - 1 <= MaxFieldName && (open < 0 || open > close)) {
                const QString name = text.mid(i + 1, close - i - 1).trimmed();
                if (!name.isEmpty()) {
                    onField(name);
                    i = close + 1;
                    continue;
                }
            }
        }
        onText(QString(c));
        ++i;
    }
}

// The columns a personal-information field may be called in a spreadsheet
// export or a contact, in the order they are tried.
const std::array<QStringList, TPersonalInfo::Count>& personalCandidates()
{
    static const std::array<QStringList, TPersonalInfo::Count> candidates = { {
        { "Name", "FN", "Full Name", "Display Name" },
        { "Company", "ORG", "Organization", "Organisation", "Company Name" },
        { "Title", "TITLE", "Job Title", "ROLE" },
        { "Address1", "Address 1", "ADR.Street", "Street", "Address", "Business Street" },
        { "Address2", "Address 2" },
        { "Address3", "Address 3", "ADR.Country", "Country", "Business Country" },
        { "Phone1", "Phone 1", "Phone", "Work Phone", "Business Phone", "TEL;TYPE=WORK", "TEL;TYPE=VOICE", "TEL" },
        { "Phone2", "Phone 2", "Mobile", "Mobile Phone", "Cell", "TEL;TYPE=CELL" },
        { "Email", "E-mail", "Email Address", "E-mail Address", "EMAIL;TYPE=WORK", "EMAIL;TYPE=INTERNET", "EMAIL" },
        { "Fax", "Fax Number", "Business Fax", "TEL;TYPE=FAX" },
    } };
    return candidates;
}

int personalIndex(const QString& field)
{
    const auto& keys = TPersonalInfo::Keys();
    for (int i = 0; i < TPersonalInfo::Count; ++i)
        if (keys[i].compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString joined(const TMergeTable& table, int record, std::initializer_list<const char*> fields, const QString& sep)
{
    QStringList parts;
    for (const char* f : fields) {
        const QString v = table.Value(record, QLatin1String(f)).trimmed();
        if (!v.isEmpty())
            parts << v;
    }
    return parts.join(sep);
}

QString personalValue(const TMergeTable& table, int record, int index)
{
    for (const QString& name : personalCandidates()[index]) {
        const QString v = table.Value(record, NormalizeVCardFieldName(name));
        if (!v.trimmed().isEmpty())
            return v;
    }
    // Parts of a name or an address, put together as a card shows them.
    if (index == 0) {
        const QString v = joined(table, record, { "First Name", "Last Name" }, QStringLiteral(" "));
        return v.isEmpty() ? joined(table, record, { "N.Given", "N.Family" }, QStringLiteral(" ")) : v;
    }
    if (index == 4) {
        const QString city = joined(table, record, { "ADR.Locality", "ADR.Region" }, QStringLiteral(", "));
        const QString line = joined(table, record, { "City", "State" }, QStringLiteral(", "));
        const QString place = city.isEmpty() ? line : city;
        QString code = table.Value(record, QStringLiteral("ADR.PostalCode")).trimmed();
        if (code.isEmpty())
            code = joined(table, record, { "Postal Code", "ZIP", "Postcode" }, QStringLiteral(" "));
        return (place + QLatin1Char(' ') + code).trimmed();
    }
    return QString();
}

// Escapes a text value of a vCard 3.0 line.
QString vcardText(QString v)
{
    v.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    v.replace(QLatin1Char(','), QLatin1String("\\,"));
    v.replace(QLatin1Char(';'), QLatin1String("\\;"));
    v.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return v;
}

QString recordAsVCard(const TMergeTable& table, int record)
{
    auto value = [&](const char* f) { return table.Value(record, QLatin1String(f)).trimmed(); };
    auto personal = [&](int i) { return personalValue(table, record, i).trimmed(); };
    QStringList lines;
    lines << QStringLiteral("BEGIN:VCARD") << QStringLiteral("VERSION:3.0");
    const QString fn = personal(0);
    QString family = value("N.Family");
    QString given = value("N.Given");
    if (family.isEmpty() && given.isEmpty()) {
        family = value("Last Name");
        given = value("First Name");
    }
    if (family.isEmpty() && given.isEmpty()) {
        // Only the whole name is known: the last word is taken as the family name.
        const qsizetype space = fn.lastIndexOf(QLatin1Char(' '));
        family = space < 0 ? fn : fn.mid(space + 1);
        given = space < 0 ? QString() : fn.left(space);
    }
    lines << QStringLiteral("N:%1;%2;%3;%4;%5")
                 .arg(vcardText(family), vcardText(given), vcardText(value("N.Additional")),
                     vcardText(value("N.Prefix")), vcardText(value("N.Suffix")));
    lines << QStringLiteral("FN:") + vcardText(fn);
    auto add = [&](const QString& head, const QString& v) {
        if (!v.isEmpty())
            lines << head + QLatin1Char(':') + vcardText(v);
    };
    add(QStringLiteral("ORG"), personal(1));
    add(QStringLiteral("TITLE"), personal(2));
    add(QStringLiteral("TEL;TYPE=WORK,VOICE"), personal(6));
    add(QStringLiteral("TEL;TYPE=CELL"), personal(7));
    add(QStringLiteral("TEL;TYPE=WORK,FAX"), personal(9));
    add(QStringLiteral("EMAIL;TYPE=INTERNET"), personal(8));
    QString url = value("URL");
    if (url.isEmpty())
        url = joined(table, record, { "Web Page", "Website", "Web" }, QString());
    add(QStringLiteral("URL"), url);
    const QString street = table.HasField(QStringLiteral("ADR.Street")) ? value("ADR.Street") : personal(3);
    const QString locality = table.HasField(QStringLiteral("ADR.Locality")) ? value("ADR.Locality") : QString();
    const QString region = value("ADR.Region");
    const QString code = value("ADR.PostalCode");
    const QString country = table.HasField(QStringLiteral("ADR.Country")) ? value("ADR.Country") : personal(5);
    if (!(street + locality + region + code + country).isEmpty())
        lines << QStringLiteral("ADR;TYPE=WORK:;;%1;%2;%3;%4;%5")
                     .arg(vcardText(street), vcardText(locality), vcardText(region), vcardText(code),
                         vcardText(country));
    lines << QStringLiteral("END:VCARD");
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

// The placeholders a template puts in a personal-information text when the
// user has no value: its own caption or "<Field>".
const std::array<QStringList, TPersonalInfo::Count>& templateCaptions()
{
    static const std::array<QStringList, TPersonalInfo::Count> captions = { {
        { "your own name", "<name>" },
        { "your business name", "<company>" },
        { "title or qualifications", "<title>" },
        { "address line one", "<address1>" },
        { "address line two", "<address2>" },
        { "address line three", "<address3>" },
        { "phone one", "<phone1>" },
        { "phone two", "<phone2>" },
        { "email address", "<email>" },
        { "fax number", "<fax>" },
    } };
    return captions;
}

const TDesignModel* cardOf(const TGGraphicControl& object)
{
    return object.Parent();
}

} // namespace

QStringList MergeFieldsIn(const QString& text)
{
    QStringList names;
    if (!text.contains(QLatin1Char('{')))
        return names;
    scan(text, [](const QString&) {}, [&names](const QString& name) { names << name; });
    return names;
}

QString FillMergeFields(const QString& text, const TMergeTable& table, int record)
{
    if (!text.contains(QLatin1Char('{')) && !text.contains(QLatin1Char('}')))
        return text;
    QString out;
    out.reserve(text.size());
    scan(text, [&out](const QString& s) { out += s; },
        [&](const QString& name) { out += MergeFieldValue(table, record, name); });
    return out;
}

QString MergeFieldValue(const TMergeTable& table, int record, const QString& field)
{
    const QString name = NormalizeVCardFieldName(field);
    if (table.HasField(name))
        return table.Value(record, name);
    if (table.HasField(field))
        return table.Value(record, field);
    const int personal = personalIndex(field);
    if (personal >= 0)
        return personalValue(table, record, personal);
    if (field.compare(QLatin1String("vCard"), Qt::CaseInsensitive) == 0)
        return recordAsVCard(table, record);
    return QString();
}

bool MergeFieldKnown(const TMergeTable& table, const QString& field)
{
    if (table.HasField(field) || table.HasField(NormalizeVCardFieldName(field)))
        return true;
    if (personalIndex(field) >= 0 || field.compare(QLatin1String("vCard"), Qt::CaseInsensitive) == 0)
        return true;
    if (table.Kind != TMergeTable::mkVCard)
        return false;
    // A contact list answers every standard property, empty for the
    // contacts that lack it.
    static const QStringList standard = { "FN", "N.Family", "N.Given", "N.Additional", "N.Prefix", "N.Suffix",
        "ORG", "ORG.Unit", "TITLE", "ROLE", "URL", "NOTE", "EMAIL", "TEL", "NICKNAME", "BDAY", "ADR.POBox",
        "ADR.Extended", "ADR.Street", "ADR.Locality", "ADR.Region", "ADR.PostalCode", "ADR.Country" };
    if (standard.contains(field, Qt::CaseInsensitive))
        return true;
    const QString name = NormalizeVCardFieldName(field);
    return name.startsWith(QLatin1String("TEL;TYPE=")) || name.startsWith(QLatin1String("EMAIL;TYPE="));
}

int PersonalFieldOfText(const QString& text, const TPersonalInfo& own)
{
    const QString key = text.trimmed().toLower();
    if (key.isEmpty())
        return -1;
    for (int i = 0; i < TPersonalInfo::Count; ++i)
        if (templateCaptions()[i].contains(key))
            return i;
    const QString trimmed = text.trimmed();
    for (int i = 0; i < TPersonalInfo::Count; ++i)
        if (!own.Field(i).trimmed().isEmpty() && own.Field(i).trimmed() == trimmed)
            return i;
    return -1;
}

QStringList MergeFieldsUsed(const QList<TGGraphicControl*>& objects)
{
    QStringList used;
    QStringList lower;
    for (const TGGraphicControl* o : objects) {
        for (const QString& text : o->MergeTexts()) {
            for (const QString& name : MergeFieldsIn(text)) {
                if (!lower.contains(name.toLower())) {
                    lower << name.toLower();
                    used << name;
                }
            }
        }
    }
    return used;
}

QString CheckMergeFields(const QList<TGGraphicControl*>& objects, const TMergeTable& table)
{
    QStringList missing;
    for (const QString& name : MergeFieldsUsed(objects))
        if (!MergeFieldKnown(table, name))
            missing << QLatin1Char('{') + name + QLatin1Char('}');
    if (missing.isEmpty())
        return QString();
    QStringList fields;
    for (const QString& f : table.Fields())
        if (!f.startsWith(QChar(1)))
            fields << f;
    const QString file = table.FileName.isEmpty() ? QStringLiteral("The merge file") : table.FileName;
    const QString where = table.Kind == TMergeTable::mkCsv
        ? QStringLiteral("%1, line 1: the first line does not name ").arg(file)
        : QStringLiteral("%1: no contact has ").arg(file);
    return where + (missing.size() == 1 ? QStringLiteral("the field ") : QStringLiteral("the fields "))
        + missing.join(QStringLiteral(", ")) + QStringLiteral(", which the design uses.\nThe fields are: ")
        + fields.join(QStringLiteral(", "));
}

bool ShowsMergeRecord(const TGGraphicControl& object)
{
    const TDesignModel* card = cardOf(object);
    return card && card->MergeTable() && card->MergeRecord() >= 0
        && card->MergeRecord() < card->MergeTable()->RecordCount();
}

bool DrawnForPaper(const TGGraphicControl& object)
{
    return object.Parent() && object.Parent()->Printing();
}

QString MergedText(const TGGraphicControl& object, const QString& text, bool* emptied)
{
    if (emptied)
        *emptied = false;
    if (!ShowsMergeRecord(object))
        return text;
    const TDesignModel* card = cardOf(object);
    const QString merged = FillMergeFields(text, *card->MergeTable(), card->MergeRecord());
    if (emptied)
        *emptied = merged.trimmed().isEmpty() && !text.trimmed().isEmpty();
    return merged;
}

TPersonalInfo MergeRecordPersonalInfo(const TGGraphicControl& object)
{
    TPersonalInfo info;
    if (!ShowsMergeRecord(object))
        return info;
    const TDesignModel* card = cardOf(object);
    for (int i = 0; i < TPersonalInfo::Count; ++i)
        info.Field(i) = personalValue(*card->MergeTable(), card->MergeRecord(), i);
    return info;
}

QString MergeRecordCaption(const TMergeTable& table, int record)
{
    QString caption = personalValue(table, record, 0).simplified();
    if (caption.isEmpty()) {
        for (const QString& v : table.Record(record).Values) {
            if (!v.trimmed().isEmpty()) {
                caption = v.simplified();
                break;
            }
        }
    }
    return caption.left(40);
}

} // namespace bv
