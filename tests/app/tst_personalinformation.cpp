// The personal information command: the dialog opens with what QRD.INI
// holds (also when the file was changed since start-up), "Ok" writes all ten
// keys and hands them to the card panel, "Cancel" writes and hands nothing.
#include "MainScreenKit.h"
#include "app/PersonalInformation.h"
#include "document/Settings.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace bv;
using namespace bv::test;

class TestPersonalInformation : public QObject {
    Q_OBJECT
private slots:
    void editsAreTheRecordInOrder();
    void command_data();
    void command();
};

// Each edit carries its own field: a mix-up of two edits would put a phone
// number where the name belongs on every card made from a template.
void TestPersonalInformation::editsAreTheRecordInOrder()
{
    TPersonalInformation d;
    TPersonalInfo info;
    for (int i = 0; i < TPersonalInfo::Count; ++i)
        info.Field(i) = QStringLiteral("value %1").arg(i);
    d.SetInfo(info);
    for (int i = 0; i < TPersonalInfo::Count; ++i) {
        const QString name = QStringLiteral("pPersonal") + TPersonalInfo::Keys()[std::size_t(i)];
        auto* edit = d.findChild<QLineEdit*>(name);
        QVERIFY2(edit, qPrintable(name));
        QCOMPARE(edit->text(), info.Field(i));
        edit->setText(QStringLiteral("typed %1").arg(i));
    }
    const TPersonalInfo back = d.Info();
    for (int i = 0; i < TPersonalInfo::Count; ++i)
        QCOMPARE(back.Field(i), QStringLiteral("typed %1").arg(i));
}

void TestPersonalInformation::command_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("written");
    QTest::newRow("ok") << "OkButton" << true;
    QTest::newRow("cancel") << "CancelButton" << false;
    QTest::newRow("escape") << "" << false;
}

void TestPersonalInformation::command()
{
    QFETCH(QString, button);
    QFETCH(bool, written);
    ProgramHome home;
    ScriptedInteraction ui;
    auto w = startMainScreen();
    // Changed behind the program's back after start-up: the dialog shows it.
    TPersonalInfo stored;
    stored.Name = QStringLiteral("Ann Example");
    {
        ProfileFile ini(TSettings().FileName());
        ini.WriteString(QStringLiteral("Personal"), QStringLiteral("Name"), stored.Name);
    }

    QString shownName;
    ui.answerDialog([&](QDialog& dialog) {
        auto& d = static_cast<TPersonalInformation&>(dialog);
        d.show();
        shownName = d.pPersonalName->text();
        for (QLineEdit* edit : {d.pPersonalName, d.pPersonalEmail}) {
            edit->selectAll();
            QTest::keyClicks(edit, QStringLiteral("new ") + edit->objectName());
        }
        if (button.isEmpty())
            QTest::keyClick(&d, Qt::Key_Escape);
        else
            QTest::mouseClick(d.findChild<QPushButton*>(button), Qt::LeftButton);
        return d.result();
    });
    w->PersonalInformation1Click();
    QVERIFY(ui.allUsed());
    QCOMPARE(shownName, stored.Name);

    TPersonalInfo expected = stored;
    if (written) {
        expected.Name = QStringLiteral("new pPersonalName");
        expected.Email = QStringLiteral("new pPersonalEmail");
    }
    QCOMPARE(TSettings().LoadPersonalInfo(), expected);
    // "Ok" writes every key, empty ones too; "Cancel" writes none.
    const ProfileFile ini(TSettings().FileName());
    for (const QString& key : TPersonalInfo::Keys())
        QCOMPARE(ini.ValueExists(QStringLiteral("Personal"), key), written || key == QStringLiteral("Name"));
    // The panel's copy, empty since start-up, is refreshed only by "Ok".
    QCOMPARE(cardPanel(*w)->PersonalInfo(), written ? expected : TPersonalInfo());
}

QTEST_MAIN(TestPersonalInformation)
#include "tst_personalinformation.moc"
