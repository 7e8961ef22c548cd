// Merge files: spreadsheet exports (CSV) and address-book exports (vCard).
// Expected values are written by hand from the formats' published rules:
// RFC 4180 for CSV; RFC 2426 (3.0), RFC 6350 (4.0) and the published vCard
// 2.1 format for contacts, whose own examples several rows reuse.
#include "platform/MergeSource.h"

#include <QTest>

using namespace bv;

namespace {

// Records as "field=value|field=value" lines, fields in the table's order,
// unnamed columns left out; a failure as "error: <message>".
QString describe(const QByteArray& bytes, const QString& name)
{
    try {
        const TMergeTable table = ReadMergeBytes(bytes, name);
        QStringList rows;
        for (int r = 0; r < table.RecordCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < table.Fields().size(); ++c) {
                if (table.Fields()[c].startsWith(QChar(1)))
                    continue;
                cells << table.Fields()[c] + QLatin1Char('=') + table.Record(r).Values.value(c);
            }
            rows << QStringLiteral("@%1 ").arg(table.Record(r).Line) + cells.join(QLatin1Char('|'));
        }
        return rows.join(QLatin1Char('\n'));
    } catch (const EMergeSourceError& e) {
        return QStringLiteral("error: ") + e.message();
    }
}

} // namespace

class TestMergeSource : public QObject {
    Q_OBJECT
private slots:
    void csv_data();
    void csv();
    void vcard_data();
    void vcard();
    void vcardLookups();
};

void TestMergeSource::csv_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    // RFC 4180 section 2, rules 1-7, and the exports spreadsheets make.
    QTest::newRow("CRLF records, no final line break (rule 2)")
        << QByteArray("Name,Phone\r\nAda,1\r\nBen,2") << "@2 Name=Ada|Phone=1\n@3 Name=Ben|Phone=2";
    QTest::newRow("separator and blank inside quotes (rule 6)")
        << QByteArray("Name,Title\r\n\"Okafor, Ada\",\" Lead \"\r\n") << "@2 Name=Okafor, Ada|Title= Lead ";
    QTest::newRow("doubled quote is one quote (rule 7)")
        << QByteArray("Name,Title\r\nCara,\"Head of \"\"Design\"\"\"\r\n") << "@2 Name=Cara|Title=Head of \"Design\"";
    QTest::newRow("line break inside quotes; next record's line counts it")
        << QByteArray("Name,Address\r\nDana,\"12 High St\r\nFlat 2\"\r\nEve,x\r\n")
        << "@2 Name=Dana|Address=12 High St\nFlat 2\n@4 Name=Eve|Address=x";
    QTest::newRow("empty quoted and empty plain fields")
        << QByteArray("A,B,C\n\"\",,z\n") << "@2 A=|B=|C=z";
    QTest::newRow("UTF-8 with byte-order mark")
        << QByteArray("\xEF\xBB\xBFName\n\xC3\x89lodie\n") << QString::fromUtf8("@2 Name=\xC3\x89lodie");
    QTest::newRow("Windows-1252: 0x80 is the euro sign, 0xFC u-umlaut")
        << QByteArray("Name,Note\nM\xFCller,\x80 5\n") << QString::fromUtf8("@2 Name=M\xC3\xBCller|Note=\xE2\x82\xAC 5");
    QTest::newRow("semicolon found from the header line")
        << QByteArray("Name;Phone\nAda;1,5\n") << "@2 Name=Ada|Phone=1,5";
    QTest::newRow("tab found from the header line; commas in the header are text")
        << QByteArray("Name\tCity, State\nAda\tX, Y\n") << "@2 Name=Ada|City, State=X, Y";
    QTest::newRow("separator counted outside quotes only")
        << QByteArray("\"a;b;c\",Phone\n1,2\n") << "@2 a;b;c=1|Phone=2";
    QTest::newRow("short record padded, blank lines and padding rows skipped")
        << QByteArray("Name,Phone,Fax\n\nAda,1\n,,\n") << "@3 Name=Ada|Phone=1|Fax=";
    QTest::newRow("more fields than the header")
        << QByteArray("Name,Phone\nAda,1\nBen,2,3\n")
        << "error: list.csv, line 3: 3 fields, but the first line names 2";
    QTest::newRow("text after a closing quote")
        << QByteArray("Name,Phone\n\"Ada\"x,1\n")
        << "error: list.csv, line 2: a quoted field is followed by other text (a quote inside a quoted field must be doubled)";
    QTest::newRow("quote never closed names the line it opened on")
        << QByteArray("Name,Phone\nAda,1\nBen,\"2\n3\n4\n")
        << "error: list.csv, line 3: the quote opened here is never closed";
    QTest::newRow("a field named twice")
        << QByteArray("Name,name\nA,B\n") << "error: list.csv, line 1: the field \"name\" is named twice";
    QTest::newRow("a picture is neither")
        << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) << "error: list.csv is not a CSV or vCard file";
    QTest::newRow("empty file") << QByteArray() << "error: list.csv is empty: its first line should name the fields";
}

void TestMergeSource::csv()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(describe(bytes, QStringLiteral("list.csv")), expected);
}

void TestMergeSource::vcard_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected"); // per record, joined by "/"
    // RFC 6350 3.2: a line break followed by one blank is removed; a second
    // blank stays.
    QTest::newRow("folding (RFC 6350 3.2)")
        << QByteArray("BEGIN:VCARD\r\nVERSION:4.0\r\nNOTE:This is a long description\r\n  that exists o\r\n n a long "
                      "line.\r\nEND:VCARD\r\n")
        << "NOTE" << "This is a long description that exists on a long line.";
    QTest::newRow("folding with a tab (RFC 2426 2.6)")
        << QByteArray("BEGIN:VCARD\nVERSION:3.0\nFN:Ada\n\tOkafor\nEND:VCARD\n") << "FN" << "AdaOkafor";
    // RFC 6350 3.4: \, \; \\ and \n in text values.
    QTest::newRow("escapes (RFC 6350 3.4)")
        << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nNOTE:a\\, b\\; c\\\\d\\ne\r\nEND:VCARD\r\n") << "NOTE"
        << "a, b; c\\d\ne";
    QTest::newRow("escaped comma in a name part (RFC 6350 6.2.2)")
        << QByteArray("BEGIN:VCARD\r\nVERSION:4.0\r\nN:Stevenson;John;Philip\\,Paul;Dr.;Jr.\\,M.D.\r\nEND:VCARD\r\n")
        << "N.Suffix" << "Jr.,M.D.";
    QTest::newRow("ADR parts (RFC 2426 3.2.1)")
        << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nADR;TYPE=dom,home,postal,parcel:;;123 Main Street;Any "
                      "Town;CA;91921-1234\r\nEND:VCARD\r\n")
        << "ADR.Locality" << "Any Town";
    QTest::newRow("2.1 quoted-printable in its charset, soft line break")
        << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nADR;WORK;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;;Hauptstra=C3=9F=\r\ne "
                      "1;Berlin\r\nEND:VCARD\r\n")
        << "ADR.Street" << QString::fromUtf8("Hauptstra\xC3\x9F" "e 1");
    QTest::newRow("2.1 quoted-printable without charset: Windows-1252 bytes")
        << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nFN;QUOTED-PRINTABLE:J=FCrgen\r\nEND:VCARD\r\n") << "FN"
        << QString::fromUtf8("J\xC3\xBCrgen");
    QTest::newRow("2.1 bare types, no FN: the name from N")
        << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Roe;Jane\r\nTEL;WORK;FAX:+1 555 0199\r\nTEL;CELL:+1 555 0198\r\nEND:"
                      "VCARD\r\n")
        << "FN;TEL;TYPE=FAX;tel;type=cell" << "Jane Roe|+1 555 0199|+1 555 0198";
    QTest::newRow("4.0 TYPE list in quotes, tel: address, PREF wins (RFC 6350 6.4.1)")
        << QByteArray("BEGIN:VCARD\r\nVERSION:4.0\r\nTEL;VALUE=uri;TYPE=\"voice,home\":tel:+1-555-555-5555;ext=5555\r\n"
                      "TEL;VALUE=uri;PREF=1;TYPE=\"voice,work\":tel:+1-418-262-6501\r\nEND:VCARD\r\n")
        << "TEL;TEL;TYPE=HOME;TEL;TYPE=WORK" << "+1-418-262-6501|+1-555-555-5555;ext=5555|+1-418-262-6501";
    QTest::newRow("several contacts, groups, ORG units")
        << QByteArray("BEGIN:VCARD\nVERSION:3.0\nFN:A\nitem1.EMAIL;TYPE=INTERNET:a@x.org\nEND:VCARD\nBEGIN:VCARD\nVERSION:3.0\n"
                      "FN:B\nORG:ABC\\, Inc.;North American Division;Marketing\nEND:VCARD\n")
        << "EMAIL;ORG;ORG.Unit" << "a@x.org||/|ABC, Inc.|North American Division, Marketing";
    QTest::newRow("no END:VCARD names the BEGIN line")
        << QByteArray("BEGIN:VCARD\nVERSION:3.0\nFN:A\nEND:VCARD\n\nBEGIN:VCARD\nFN:B\n") << "FN"
        << "error: book.vcf, line 6: the card begun here has no END:VCARD";
    QTest::newRow("a line that is no property")
        << QByteArray("BEGIN:VCARD\nVERSION:3.0\nFN:A\nOkafor\nEND:VCARD\n") << "FN"
        << "error: book.vcf, line 4: this line is not a vCard property (NAME:value)";
    QTest::newRow("a .vcf that is not one")
        << QByteArray("Name,Phone\nAda,1\n") << "FN" << "error: book.vcf, line 1: a vCard file starts with BEGIN:VCARD";
}

void TestMergeSource::vcard()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    QString got;
    try {
        const TMergeTable table = ReadMergeBytes(bytes, QStringLiteral("book.vcf"));
        // Fields asked for are separated by ";" unless a TYPE follows.
        QStringList fields;
        for (const QString& part : field.split(QLatin1Char(';'))) {
            if (part.startsWith(QLatin1String("TYPE="), Qt::CaseInsensitive) && !fields.isEmpty())
                fields.last() += QLatin1Char(';') + part;
            else
                fields << part;
        }
        QStringList records;
        for (int r = 0; r < table.RecordCount(); ++r) {
            QStringList values;
            for (const QString& f : fields) {
                QString name = f;
                // A design may write a type in any case: the reader's spelling is upper case.
                if (name.contains(QLatin1Char(';')))
                    name = name.toUpper();
                values << table.Value(r, name);
            }
            records << values.join(QLatin1Char('|'));
        }
        got = records.join(QLatin1Char('/'));
    } catch (const EMergeSourceError& e) {
        got = QStringLiteral("error: ") + e.message();
    }
    QCOMPARE(got, expected);
}

// Names are matched ignoring case; a value a record lacks is empty.
void TestMergeSource::vcardLookups()
{
    const TMergeTable table = ReadMergeFile(QStringLiteral(BRISVALE_TEST_DATA "/merge/vcard/three.vcf"));
    QCOMPARE(table.RecordCount(), 3);
    QCOMPARE(table.Value(0, QStringLiteral("fn")), QStringLiteral("Ada Okafor"));
    QCOMPARE(table.Value(0, QStringLiteral("n.prefix")), QStringLiteral("Dr."));
    QCOMPARE(table.Value(1, QStringLiteral("NOTE")), QStringLiteral("Line one\nLine two, with comma"));
    QCOMPARE(table.Value(1, QStringLiteral("TITLE")), QString());
    QCOMPARE(table.Record(2).Line, 19);
}

QTEST_GUILESS_MAIN(TestMergeSource)
#include "tst_mergesource.moc"
