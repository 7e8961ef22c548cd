#include "platform/VCardReader.h"

#include "platform/ProfileFile.h"

#include <QStringDecoder>

namespace bv {

namespace {

struct PhysicalLine {
    QByteArray text;
    int number = 0;
};

// One property after unfolding: name, parameters and raw value bytes.
struct Property {
    QByteArray name; // upper case, group prefix removed
    QStringList types; // upper case
    QByteArray encoding; // upper case
    QByteArray charset;
    bool preferred = false;
    QByteArray value;
    int line = 0;
};

QList<PhysicalLine> splitLines(const QByteArray& bytes)
{
    QList<PhysicalLine> lines;
    qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    int number = 1;
    for (qsizetype i = start; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes[i] == '\r' || bytes[i] == '\n') {
            if (i < bytes.size() || i > start)
                lines.append({ bytes.mid(start, i - start), number });
            if (i < bytes.size() && bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            start = i + 1;
            ++number;
        }
    }
    return lines;
}

// The position of the first ':' outside double quotes, or -1.
qsizetype nameEnd(const QByteArray& line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return i;
    }
    return -1;
}

// Splits at `sep` outside double quotes.
QList<QByteArray> splitOutsideQuotes(const QByteArray& text, char sep)
{
    QList<QByteArray> parts;
    bool quoted = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == sep && !quoted) {
            parts << text.mid(start, i - start);
            start = i + 1;
        }
    }
    parts << text.mid(start);
    return parts;
}

bool isQuotedPrintable(const QByteArray& head)
{
    return head.toUpper().contains("QUOTED-PRINTABLE");
}

Property parseProperty(const QByteArray& line, qsizetype colon, int number)
{
    Property p;
    p.line = number;
    p.value = line.mid(colon + 1);
    const QList<QByteArray> parts = splitOutsideQuotes(line.left(colon), ';');
    QByteArray name = parts.first().trimmed().toUpper();
    const qsizetype dot = name.lastIndexOf('.');
    if (dot >= 0)
        name = name.mid(dot + 1); // "item1.EMAIL": the group is not part of the name
    p.name = name;
    for (qsizetype k = 1; k < parts.size(); ++k) {
        const QByteArray param = parts[k].trimmed();
        const qsizetype eq = param.indexOf('=');
        const QByteArray key = (eq < 0 ? QByteArray() : param.left(eq)).trimmed().toUpper();
        QByteArray value = (eq < 0 ? param : param.mid(eq + 1)).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.mid(1, value.size() - 2);
        if (eq < 0 || key == "TYPE") {
            // 2.1 writes bare types (TEL;WORK;FAX); 3.0 and 4.0 TYPE=work,fax.
            const QByteArray upper = value.toUpper();
            if (eq < 0 && (upper == "QUOTED-PRINTABLE" || upper == "BASE64" || upper == "8BIT" || upper == "7BIT")) {
                p.encoding = upper;
                continue;
            }
            for (const QByteArray& t : splitOutsideQuotes(upper, ',')) {
                const QByteArray type = t.trimmed();
                if (type == "PREF")
                    p.preferred = true;
                else if (!type.isEmpty())
                    p.types << QString::fromLatin1(type);
            }
        } else if (key == "ENCODING") {
            p.encoding = value.toUpper();
        } else if (key == "CHARSET") {
            p.charset = value;
        } else if (key == "PREF") {
            p.preferred = true;
        }
    }
    return p;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray decodeQuotedPrintable(const QByteArray& in)
{
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c == '=' && i + 2 < in.size() && hexDigit(in[i + 1]) >= 0 && hexDigit(in[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(in[i + 1]) * 16 + hexDigit(in[i + 2]));
            i += 2;
        } else if (c == '=' && i + 1 == in.size()) {
            // A soft line break whose next line was already joined.
        } else {
            out += c;
        }
    }
    return out;
}

QString decodeText(const QByteArray& bytes, const QByteArray& charset)
{
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.constData(), QStringConverter::Flag::Stateless);
        if (decoder.isValid()) {
            const QString text = decoder.decode(bytes);
            if (!decoder.hasError())
                return text;
        }
    }
    return DecodeProfileText(bytes);
}

// Resolves the backslash escapes of a text value (3.0 and 4.0); 2.1 knows
// only the escaped semicolon of structured values.
QString unescape(const QString& value, bool modern)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 >= value.size()) {
            out += c;
            continue;
        }
        const QChar n = value[i + 1];
        if (n == QLatin1Char(';')) {
            out += n;
            ++i;
        } else if (modern && (n == QLatin1Char(',') || n == QLatin1Char('\\') || n == QLatin1Char(':'))) {
            out += n;
            ++i;
        } else if (modern && (n == QLatin1Char('n') || n == QLatin1Char('N'))) {
            out += QLatin1Char('\n');
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

// The components of a structured value (N, ADR, ORG), split at unescaped
// semicolons and unescaped each.
QStringList components(const QString& value, bool modern)
{
    QStringList out;
    QString current;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('\\') && i + 1 < value.size()) {
            current += c;
            current += value[++i];
        } else if (c == QLatin1Char(';')) {
            out << unescape(current, modern).trimmed();
            current.clear();
        } else {
            current += c;
        }
    }
    out << unescape(current, modern).trimmed();
    return out;
}

class CardBuilder {
public:
    CardBuilder(TMergeTable& table, int line) : table(table) { record.Line = line; }

    void add(const Property& p, bool modern)
    {
        if (p.encoding == "BASE64" || p.encoding == "B")
            return; // pictures and keys: nothing a card's text can show
        QByteArray raw = p.value;
        if (p.encoding == "QUOTED-PRINTABLE")
            raw = decodeQuotedPrintable(raw);
        const QString text = decodeText(raw, p.charset);
        const QByteArray& n = p.name;
        if (n == "VERSION" || n == "PHOTO" || n == "LOGO" || n == "SOUND" || n == "KEY" || n == "PRODID"
            || n == "UID" || n == "REV")
            return;
        if (n == "N") {
            static const char* const parts[] = { "N.Family", "N.Given", "N.Additional", "N.Prefix", "N.Suffix" };
            const QStringList c = components(text, modern);
            for (int k = 0; k < 5 && k < c.size(); ++k)
                setFirst(QLatin1String(parts[k]), c[k]);
            return;
        }
        if (n == "ADR") {
            // The preferred address, else a work address, else the first.
            const int rank = p.preferred ? 3 : p.types.contains(QLatin1String("WORK")) ? 2 : 1;
            if (rank <= adrRank)
                return;
            adrRank = rank;
            static const char* const parts[] = { "ADR.POBox", "ADR.Extended", "ADR.Street", "ADR.Locality",
                "ADR.Region", "ADR.PostalCode", "ADR.Country" };
            const QStringList c = components(text, modern);
            for (int k = 0; k < 7; ++k)
                set(QLatin1String(parts[k]), k < c.size() ? c[k] : QString());
            return;
        }
        if (n == "ORG") {
            QStringList c = components(text, modern);
            setFirst(QStringLiteral("ORG"), c.takeFirst());
            c.removeAll(QString());
            if (!c.isEmpty())
                setFirst(QStringLiteral("ORG.Unit"), c.join(QStringLiteral(", ")));
            return;
        }
        QString value = unescape(text, modern);
        if (n == "TEL" || n == "EMAIL") {
            if (n == "TEL" && value.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
                value = value.mid(4); // 4.0 writes phones as tel: addresses
            if (n == "EMAIL" && value.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
                value = value.mid(7);
            value = value.trimmed();
            const QString base = QString::fromLatin1(n);
            setTyped(base, value, p.preferred);
            for (const QString& type : p.types)
                setTyped(base + QStringLiteral(";TYPE=") + type, value, p.preferred);
            return;
        }
        setFirst(QString::fromLatin1(n), value.trimmed());
    }

    void finish()
    {
        if (value(QStringLiteral("FN")).isEmpty()) {
            // 2.1 may leave FN out: the name as it is spoken.
            QStringList words;
            for (const char* part : { "N.Prefix", "N.Given", "N.Additional", "N.Family", "N.Suffix" })
                if (const QString w = value(QLatin1String(part)); !w.isEmpty())
                    words << w;
            if (!words.isEmpty())
                set(QStringLiteral("FN"), words.join(QLatin1Char(' ')));
        }
        table.AddRecord(std::move(record));
    }

private:
    QString value(const QString& field) const
    {
        const int column = table.FieldIndex(field);
        return column >= 0 && column < record.Values.size() ? record.Values[column] : QString();
    }
    void set(const QString& field, const QString& v)
    {
        const int column = table.AddField(field);
        while (record.Values.size() <= column)
            record.Values << QString();
        record.Values[column] = v;
    }
    void setFirst(const QString& field, const QString& v)
    {
        if (!seen.contains(field.toUpper())) {
            seen.insert(field.toUpper(), false);
            set(field, v);
        }
    }
    // The first value, unless a later one is marked preferred.
    void setTyped(const QString& field, const QString& v, bool preferred)
    {
        const QString key = field.toUpper();
        const auto it = seen.constFind(key);
        if (it != seen.constEnd() && (it.value() || !preferred))
            return;
        seen.insert(key, preferred);
        set(field, v);
    }

    TMergeTable& table;
    TMergeRecord record;
    QHash<QString, bool> seen; // field -> set by a preferred property
    int adrRank = 0;
};

} // namespace

QString NormalizeVCardFieldName(const QString& name)
{
    QString n = name.trimmed();
    const qsizetype semi = n.indexOf(QLatin1Char(';'));
    if (semi < 0)
        return n;
    QString type = n.mid(semi + 1).trimmed();
    if (type.startsWith(QLatin1String("TYPE="), Qt::CaseInsensitive))
        type = type.mid(5);
    return n.left(semi).trimmed().toUpper() + QStringLiteral(";TYPE=") + type.trimmed().toUpper();
}

TMergeTable ReadVCards(const QByteArray& bytes, const QString& name)
{
    TMergeTable table;
    table.Kind = TMergeTable::mkVCard;
    const QList<PhysicalLine> lines = splitLines(bytes);
    int cardLine = 0; // the line of the open card's BEGIN, 0 outside a card
    QList<Property> properties;
    bool modern = true;
    auto fail = [&name](int line, const QString& what) {
        throw EMergeSourceError(QStringLiteral("%1, line %2: %3").arg(name).arg(line).arg(what));
    };
    for (qsizetype k = 0; k < lines.size(); ++k) {
        QByteArray line = lines[k].text;
        const int number = lines[k].number;
        if (line.trimmed().isEmpty())
            continue;
        // Folded continuation lines: a line end followed by one blank or tab
        // is no line end at all.
        while (k + 1 < lines.size() && !lines[k + 1].text.isEmpty()
            && (lines[k + 1].text[0] == ' ' || lines[k + 1].text[0] == '\t')) {
            line += lines[++k].text.mid(1);
        }
        const qsizetype colon = nameEnd(line);
        // Quoted-printable soft line breaks: a value ending in "=" goes on
        // on the next line.
        if (colon >= 0 && isQuotedPrintable(line.left(colon))) {
            while (line.endsWith('=') && k + 1 < lines.size()) {
                line.chop(1);
                line += lines[++k].text;
            }
        }
        if (colon < 0)
            fail(number, QStringLiteral("this line is not a vCard property (NAME:value)"));
        const Property p = parseProperty(line, colon, number);
        const QByteArray value = p.value.trimmed().toUpper();
        if (p.name == "BEGIN" && value == "VCARD") {
            if (cardLine)
                fail(number, QStringLiteral("BEGIN:VCARD inside the card begun on line %1").arg(cardLine));
            cardLine = number;
            properties.clear();
            modern = true;
            continue;
        }
        if (!cardLine)
            fail(number, QStringLiteral("text outside BEGIN:VCARD ... END:VCARD"));
        if (p.name == "END" && value == "VCARD") {
            CardBuilder card(table, cardLine);
            for (const Property& q : properties)
                card.add(q, modern);
            card.finish();
            cardLine = 0;
            continue;
        }
        if (p.name == "VERSION")
            modern = !p.value.trimmed().startsWith("2.");
        properties << p;
    }
    if (cardLine)
        fail(cardLine, QStringLiteral("the card begun here has no END:VCARD"));
    if (table.RecordCount() == 0)
        throw EMergeSourceError(QStringLiteral("%1 holds no contacts").arg(name));
    return table;
}

} // namespace bv
