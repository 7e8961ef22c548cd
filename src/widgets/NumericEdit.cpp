#include "widgets/NumericEdit.h"

#include "platform/Interaction.h"

#include <QFocusEvent>
#include <QRegularExpressionValidator>
#include <algorithm>
#include <cmath>

namespace bv {

NumericEdit::NumericEdit(QWidget* parent)
    : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    updateValidator();
    connect(this, &QLineEdit::returnPressed, this, [this] { Commit(); });
    SetValue(0);
}

double NumericEdit::roundToDecimals(double v) const
{
    // Decimal rounding of the value as written with that many decimals.
    return QString::number(v, 'f', decimals).toDouble();
}

QString NumericEdit::FormatValue(double v) const
{
    const int point = format.indexOf(QLatin1Char('.'));
    int minDecimals = 0;
    int maxDecimals = 0;
    if (point >= 0) {
        const QString frac = format.mid(point + 1);
        maxDecimals = static_cast<int>(frac.size());
        minDecimals = static_cast<int>(std::count(frac.begin(), frac.end(), QLatin1Char('0')));
    }
    maxDecimals = std::min(maxDecimals, decimals);
    minDecimals = std::min(minDecimals, maxDecimals);
    if (QString::number(v, 'f', maxDecimals).toDouble() == 0)
        v = 0; // no "-0.0"
    QString text = QString::number(v, 'f', maxDecimals);
    if (maxDecimals > minDecimals) {
        int keep = static_cast<int>(text.size()) - (maxDecimals - minDecimals);
        while (text.size() > keep && text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
}

void NumericEdit::SetValue(double v)
{
    const double rounded = roundToDecimals(v);
    const bool changed = rounded != value;
    value = rounded;
    setText(FormatValue(value));
    setModified(false);
    if (changed)
        emit ValueChanged(value);
}

void NumericEdit::Clear()
{
    clear();
    setModified(false);
    if (value != 0) {
        value = 0;
        emit ValueChanged(value);
    }
}

void NumericEdit::SetDigits(int n)
{
    digits = std::max(1, n);
    updateValidator();
}

void NumericEdit::SetDecimals(int n)
{
    decimals = std::clamp(n, 0, 15);
    updateValidator();
    if (!text().isEmpty())
        SetValue(value);
}

void NumericEdit::SetDisplayFormat(const QString& pattern)
{
    format = pattern;
    if (!text().isEmpty())
        setText(FormatValue(value));
}

void NumericEdit::SetRange(double min, double max)
{
    minValue = min;
    maxValue = max;
    updateValidator();
}

void NumericEdit::updateValidator()
{
    // Whole-number digits are what the digits leave beside the decimals.
    const int whole = std::max(1, digits - decimals);
    QString pattern = QStringLiteral("^");
    if (minValue < 0)
        pattern += QStringLiteral("-?");
    pattern += QStringLiteral("\\d{0,%1}").arg(whole);
    if (decimals > 0)
        pattern += QStringLiteral("([.,]\\d{0,%1})?").arg(decimals);
    pattern += QStringLiteral("$");
    auto* old = validator();
    setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), this));
    delete old;
}

bool NumericEdit::Commit()
{
    if (committing)
        return true;
    if (!isModified())
        return true;
    QString t = text().trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = true;
    double typed = 0;
    if (!t.isEmpty() && t != QLatin1String("-") && t != QLatin1String("."))
        typed = t.toDouble(&ok);
    if (!ok)
        typed = 0;
    typed = roundToDecimals(typed);
    if ((minValue != 0 || maxValue != 0) && (typed < minValue || typed > maxValue)) {
        // The message box takes the focus; leaving the edit must not ask
        // a second time while it is open.
        committing = true;
        Interaction::Current().ShowInfo(QString::asprintf("Value must be between %g and %g", minValue, maxValue),
                                        QStringLiteral("Information"));
        committing = false;
        SetValue(value);
        selectAll();
        emit ValueRefused();
        return false;
    }
    SetValue(typed);
    return true;
}

void NumericEdit::Exit()
{
    Commit();
    emit Exited();
}

void NumericEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A popup (such as the context menu) does not end the editing.
    if (event->reason() != Qt::PopupFocusReason && !committing)
        Exit();
}

} // namespace bv
