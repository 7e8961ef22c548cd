// Describing the exception being handled, for the messages that report failures.
#include "platform/Errors.h"

#include <QTest>
#include <functional>
#include <new>

using namespace bv;

using Thrower = std::function<void()>;
Q_DECLARE_METATYPE(Thrower)

class TestErrors : public QObject {
    Q_OBJECT
private slots:
    void describesEachKindOfException_data();
    void describesEachKindOfException();
    void outsideACatchBlockThereIsNothingToDescribe();
};

void TestErrors::describesEachKindOfException_data()
{
    QTest::addColumn<Thrower>("thrower");
    QTest::addColumn<QString>("expected");
    // The program's own messages come through whole, letters beyond ASCII included.
    QTest::newRow("Exception") << Thrower([] { throw Exception(QStringLiteral("Plain failure")); })
                               << QStringLiteral("Plain failure");
    QTest::newRow("EReadError") << Thrower([] { throw EReadError(QStringLiteral("Invalid stream format")); })
                                << QStringLiteral("Invalid stream format");
    QTest::newRow("EWriteError") << Thrower([] { throw EWriteError(QStringLiteral("Unable to write to /tmp/Café.QRD")); })
                                 << QStringLiteral("Unable to write to /tmp/Café.QRD");
    QTest::newRow("EFOpenError") << Thrower([] { throw EFOpenError(QStringLiteral("Cannot open file \"ü.bmp\".")); })
                                 << QStringLiteral("Cannot open file \"ü.bmp\".");
    QTest::newRow("EConvertError") << Thrower([] { throw EConvertError(QStringLiteral("Invalid bitmap")); })
                                   << QStringLiteral("Invalid bitmap");
    // Other standard exceptions give their what() text.
    QTest::newRow("runtime_error") << Thrower([] { throw std::runtime_error("print system unavailable"); })
                                   << QStringLiteral("print system unavailable");
    QTest::newRow("bad_alloc") << Thrower([] { throw std::bad_alloc(); }) << QStringLiteral("std::bad_alloc");
    // Anything else has no text: the caller's message stands alone.
    QTest::newRow("int") << Thrower([] { throw 42; }) << QString();
}

void TestErrors::describesEachKindOfException()
{
    QFETCH(Thrower, thrower);
    QFETCH(QString, expected);
    QString described = QStringLiteral("(not caught)");
    try {
        thrower();
    } catch (...) {
        described = DescribeCurrentException();
    }
    QCOMPARE(described, expected);
}

void TestErrors::outsideACatchBlockThereIsNothingToDescribe()
{
    QVERIFY(DescribeCurrentException().isEmpty());
}

QTEST_APPLESS_MAIN(TestErrors)
#include "tst_errors.moc"
