#pragma once
// A one-line edit for a decimal number with a number of digits, a number of
// decimals and a range. The value is held rounded to the decimals, shown
// through a display pattern such as "#0.0##" (at least one, at most three
// decimals), and committed when editing ends (Enter or leaving the edit). A
// value outside the range is refused with "Value must be between %g and %g"
// and the edit goes back to its last accepted value.
#include <QLineEdit>

namespace bv {

class NumericEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit NumericEdit(QWidget* parent = nullptr);

    double Value() const { return value; }
    // Rounds to Decimals and shows the value; no range check (the program
    // sets what it knows to be right).
    void SetValue(double v);
    // Empties the text; the value reads 0 until one is set or typed.
    void Clear();

    int Digits() const { return digits; }
    void SetDigits(int n);
    int Decimals() const { return decimals; }
    void SetDecimals(int n);
    // Display pattern: '0' after the point is a decimal always shown, '#' one
    // shown when not zero ("#0.0##"). The value's decimals limit both.
    QString DisplayFormat() const { return format; }
    void SetDisplayFormat(const QString& pattern);

    double MinValue() const { return minValue; }
    double MaxValue() const { return maxValue; }
    // No range check when both are 0.
    void SetRange(double min, double max);

    // Takes the typed text as the value (range check, message, rounding).
    // True when it was accepted or nothing was typed since the last commit.
    bool Commit();
    // What leaving the edit does: commit, then report Exited.
    void Exit();

    // The text the display pattern gives for a value.
    QString FormatValue(double v) const;

signals:
    // The value changed through typing or SetValue.
    void ValueChanged(double value);
    // The user left the edit (after its value was committed).
    void Exited();
    // A typed value was refused as out of range.
    void ValueRefused();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void updateValidator();
    double roundToDecimals(double v) const;

    double value = 0;
    int digits = 6;
    int decimals = 3;
    QString format = QStringLiteral("#0.0##");
    double minValue = 0;
    double maxValue = 0;
    bool committing = false;
};

} // namespace bv
