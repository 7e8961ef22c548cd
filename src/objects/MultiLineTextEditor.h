#pragma once
// The editor of multi-line text: a memo filling the dialog above the buttons,
// limited to 254 characters in all.
#include <QDialog>
#include <QPlainTextEdit>

class QPushButton;
class QToolButton;

namespace bv {

// A plain-text memo that refuses text beyond MaxLength characters (a line
// break counts as one), whatever way the text comes in: typing, pasting,
// dropping. Text put in by the program is taken whole.
class TLimitedMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TLimitedMemo(QWidget* parent = nullptr);

    int MaxLength() const { return maxLength; }
    void SetMaxLength(int value) { maxLength = value; }
    // Sets the text without the limit.
    void SetText(const QString& text);

private:
    void trimInsertion(int position, int charsRemoved, int charsAdded);
    int maxLength = 254;
    bool settingText = false;
};

class TMultiLineTextEditor : public QDialog {
    Q_OBJECT
public:
    explicit TMultiLineTextEditor(QWidget* parent = nullptr);

    void reject() override;

    TLimitedMemo* Memo = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* Cancelbutton = nullptr;
    QPushButton* Helpbutton = nullptr;
    QToolButton* MouseHelpButton = nullptr;
};

} // namespace bv
