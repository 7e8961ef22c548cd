#include "platform/CsvReader.h"

#include "platform/ProfileFile.h"

#include <algorithm>

namespace bv {

namespace {

bool isLineEnd(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// Steps over one line end (CR LF, LF or CR) at i; counts the line.
void skipLineEnd(const QString& text, qsizetype& i, int& line)
{
    if (text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
        ++i;
    ++i;
    ++line;
}

class Parser {
public:
    Parser(const QString& text, QChar separator, const QString& name) : text(text), sep(separator), name(name) {}

    // The next record's fields; false at the end of the text. `startLine`
    // is the line the record starts on.
    bool next(QStringList& fields, int& startLine)
    {
        fields.clear();
        // Blank lines between records hold no record.
        while (i < text.size() && isLineEnd(text[i]))
            skipLineEnd(text, i, line);
        if (i >= text.size())
            return false;
        startLine = line;
        for (;;) {
            fields << field();
            if (i >= text.size())
                return true;
            if (text[i] == sep) {
                ++i;
                if (i >= text.size()) {
                    fields << QString();
                    return true;
                }
                continue;
            }
            // A line end closes the record.
            skipLineEnd(text, i, line);
            return true;
        }
    }

private:
    QString field()
    {
        if (i < text.size() && text[i] == QLatin1Char('"'))
            return quoted();
        const qsizetype start = i;
        while (i < text.size() && text[i] != sep && !isLineEnd(text[i]))
            ++i;
        return text.mid(start, i - start);
    }

    QString quoted()
    {
        const int opened = line;
        ++i; // the opening quote
        QString value;
        for (;;) {
            if (i >= text.size())
                throw EMergeSourceError(QStringLiteral("%1, line %2: the quote opened here is never closed")
                                            .arg(name)
                                            .arg(opened));
            const QChar c = text[i];
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    value += QLatin1Char('"');
                    i += 2;
                    continue;
                }
                ++i; // the closing quote
                break;
            }
            if (isLineEnd(c)) {
                // A line break inside quotes belongs to the value; it is kept
                // as one LF whatever the file uses.
                skipLineEnd(text, i, line);
                value += QLatin1Char('\n');
                continue;
            }
            value += c;
            ++i;
        }
        // After the closing quote only the separator or the line's end may come.
        if (i < text.size() && text[i] != sep && !isLineEnd(text[i]))
            throw EMergeSourceError(QStringLiteral("%1, line %2: a quoted field is followed by other text "
                                                   "(a quote inside a quoted field must be doubled)")
                                        .arg(name)
                                        .arg(line));
        return value;
    }

    const QString& text;
    const QChar sep;
    const QString& name;
    qsizetype i = 0;
    int line = 1;
};

} // namespace

QChar DetectCsvSeparator(const QString& text)
{
    int comma = 0;
    int semicolon = 0;
    int tab = 0;
    bool inQuotes = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            inQuotes = !inQuotes;
        else if (!inQuotes && isLineEnd(c))
            break;
        else if (!inQuotes && c == QLatin1Char(','))
            ++comma;
        else if (!inQuotes && c == QLatin1Char(';'))
            ++semicolon;
        else if (!inQuotes && c == QLatin1Char('\t'))
            ++tab;
    }
    // Commas turn up in field names ("City, State"); a tab or a semicolon
    // in a header line is almost always the separator, so they win a tie.
    if (tab > 0 && tab >= comma && tab >= semicolon)
        return QLatin1Char('\t');
    if (semicolon > 0 && semicolon >= comma)
        return QLatin1Char(';');
    return QLatin1Char(',');
}

TMergeTable ReadCsv(const QByteArray& bytes, const QString& name)
{
    QString text = DecodeProfileText(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    TMergeTable table;
    table.Kind = TMergeTable::mkCsv;
    Parser parser(text, DetectCsvSeparator(text), name);
    QStringList fields;
    int line = 0;
    if (!parser.next(fields, line))
        throw EMergeSourceError(QStringLiteral("%1 is empty: its first line should name the fields").arg(name));
    for (qsizetype k = 0; k < fields.size(); ++k) {
        const QString field = fields[k].trimmed();
        if (field.isEmpty())
            continue; // an unnamed column cannot be asked for
        if (table.HasField(field))
            throw EMergeSourceError(QStringLiteral("%1, line %2: the field \"%3\" is named twice")
                                        .arg(name)
                                        .arg(line)
                                        .arg(field));
        // Columns keep their place: an unnamed one still takes its slot.
        while (table.Fields().size() < k)
            table.AddField(QStringLiteral("\x01column%1").arg(table.Fields().size() + 1));
        table.AddField(field);
    }
    while (table.Fields().size() < fields.size())
        table.AddField(QStringLiteral("\x01column%1").arg(table.Fields().size() + 1));
    const qsizetype columns = fields.size();
    while (parser.next(fields, line)) {
        if (fields.size() > columns)
            throw EMergeSourceError(QStringLiteral("%1, line %2: %3 fields, but the first line names %4")
                                        .arg(name)
                                        .arg(line)
                                        .arg(fields.size())
                                        .arg(columns));
        // A row of nothing but separators (spreadsheets pad with them) is no one.
        if (std::all_of(fields.cbegin(), fields.cend(), [](const QString& f) { return f.trimmed().isEmpty(); }))
            continue;
        TMergeRecord record;
        record.Values = fields;
        record.Line = line;
        table.AddRecord(std::move(record));
    }
    return table;
}

} // namespace bv
