#include "sysinfo/ConfigInfo.h"

#include "document/AppServices.h"
#include "platform/Interaction.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QVBoxLayout>
#include <memory>

namespace bv {

namespace {
const QString Caption = QStringLiteral("Configuration Information");
}

TConfigurationInfo::TConfigurationInfo(const TReportSources& sources, QWidget* parent)
    : QDialog(parent), saveFolder(sources.ProgramFolder)
{
    // FormCreate: the report is gathered once, before the dialog shows.
    setObjectName(QStringLiteral("ConfigurationInfo"));
    setWindowTitle(Caption);
    setModal(true);
    lines = BuildConfigurationReport(sources);

    Label1 = new QLabel(QStringLiteral("This is how Brisvale sees your computer, its printers and your Brisvale "
                                       "settings. If you ask technical support for help, copy this information to "
                                       "the clipboard and paste it into your message, or save it as a text file "
                                       "and send that."),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Memo1->setTabStopDistance(Memo1->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 16);
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));
    Memo1->setMinimumSize(640, 420);

    Button1 = new QPushButton(QStringLiteral("Copy to Clipboard"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    connect(Button1, &QPushButton::clicked, this, &TConfigurationInfo::Button1Click);
    Button2 = new QPushButton(QStringLiteral("OK"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setDefault(true);
    connect(Button2, &QPushButton::clicked, this, &TConfigurationInfo::Button2Click);
    Button3 = new QPushButton(QStringLiteral("Save As..."), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    connect(Button3, &QPushButton::clicked, this, &TConfigurationInfo::Button3Click);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button3);
    buttons->addStretch(1);
    buttons->addWidget(Button2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Memo1, 1);
    layout->addLayout(buttons);
}

QString TConfigurationInfo::ReportText() const
{
    QString text;
    for (const QString& line : lines)
        text += line + QLatin1Char('\n');
    return text;
}

void TConfigurationInfo::Button1Click()
{
    QGuiApplication::clipboard()->setText(ReportText());
    Interaction::Current().ShowInfo(QStringLiteral("Information copied to the clipboard"), Caption);
}

void TConfigurationInfo::Button2Click()
{
    done(mrOk);
}

void TConfigurationInfo::Button3Click()
{
    FileChoice choice;
    choice.title = QStringLiteral("Save As");
    choice.filter = QStringLiteral("Text files (*.TXT *.txt)");
    choice.folder = saveFolder;
    choice.defaultSuffix = QStringLiteral("txt");
    const QString path = Interaction::Current().ChooseSaveFile(choice);
    if (path.isEmpty())
        return;
    // Written whole or not at all, and a refused write is said, not hidden
    // behind the "saved" message.
    QSaveFile file(path);
    const QByteArray bytes = ReportText().toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        Interaction::Current().ShowError(QStringLiteral("Unable to write to ") + path, Caption);
        return;
    }
    Interaction::Current().ShowInfo(QStringLiteral("Information was saved as: ") + path, Caption);
}

void TConfigurationInfo::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TConfigurationInfo::FormActivate()
{
    // The report shows from its first line.
    QTextCursor start = Memo1->textCursor();
    start.movePosition(QTextCursor::Start);
    Memo1->setTextCursor(start);
    Memo1->ensureCursorVisible();
    Memo1->horizontalScrollBar()->setValue(0);
}

void TConfigurationInfo::reject()
{
    done(mrCancel);
}

void ShowConfigurationInfo(QWidget* parent)
{
    TReportSources sources = MachineSources();
    sources.Status = [](const QString&) { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    // Asking the print server can take a moment.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::unique_ptr<TConfigurationInfo> dialog;
    try {
        dialog = std::make_unique<TConfigurationInfo>(sources, parent);
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();
    dialog->adjustSize(); // placement needs the final size
    CentreForm(*dialog);
    Interaction::Current().RunModal(*dialog);
}

} // namespace bv
