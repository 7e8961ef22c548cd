#pragma once
// "Configuration Information": shows the configuration report, built once
// when the dialog is made, and lets the user copy it to the clipboard or
// save it as a text file.
#include "sysinfo/ConfigurationReport.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace bv {

class TConfigurationInfo : public QDialog {
    Q_OBJECT
public:
    explicit TConfigurationInfo(const TReportSources& sources, QWidget* parent = nullptr);

    const QStringList& ReportLines() const { return lines; }
    // The report as one text, one line each, every line ended.
    QString ReportText() const;

    void Button1Click(); // Copy to Clipboard
    void Button2Click(); // OK
    void Button3Click(); // Save As...

    QLabel* Label1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void FormActivate();

    QStringList lines;
    QString saveFolder;
};

// Builds the report of this machine and shows it modally over parent.
void ShowConfigurationInfo(QWidget* parent);

} // namespace bv
