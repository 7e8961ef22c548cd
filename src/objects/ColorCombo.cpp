#include "objects/ColorCombo.h"

#include "platform/Interaction.h"

#include <QPainter>
#include <QPixmap>

namespace bv {

namespace {

struct NamedColour {
    const char* caption;
    TColor colour;
};

const NamedColour standardColours[] = { { "Black", clBlack }, { "Maroon", clMaroon }, { "Green", clGreen },
    { "Olive", clOlive }, { "Navy", clNavy }, { "Purple", clPurple }, { "Teal", clTeal }, { "Gray", clGray },
    { "Silver", clSilver }, { "Red", clRed }, { "Lime", clLime }, { "Yellow", clYellow }, { "Blue", clBlue },
    { "Fuchsia", clFuchsia }, { "Aqua", clAqua }, { "White", clWhite } };
constexpr int standardCount = int(sizeof(standardColours) / sizeof(standardColours[0]));

QIcon swatch(TColor colour)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(Qt::black);
    p.setBrush(ToQColor(colour));
    p.drawRect(0, 0, 15, 11);
    return QIcon(pixmap);
}

// Item data: the colour, or this marker for "Other...".
constexpr qint64 otherMarker = -1;

} // namespace

TColorCombo::TColorCombo(QWidget* parent) : QComboBox(parent)
{
    setEditable(false);
    setMaxVisibleItems(18);
    for (const NamedColour& c : standardColours)
        addItem(swatch(c.colour), QString::fromLatin1(c.caption), QVariant::fromValue<qint64>(c.colour));
    addItem(QStringLiteral("Other..."), QVariant::fromValue<qint64>(otherMarker));
    connect(this, &QComboBox::activated, this, &TColorCombo::entryActivated);
    SetColor(clBlack);
}

int TColorCombo::otherIndex() const
{
    return standardCount;
}

void TColorCombo::SetColor(TColor value)
{
    current = value;
    // Drop an earlier extra entry, then find or add this colour.
    while (count() > standardCount + 1)
        removeItem(count() - 1);
    for (int i = 0; i < standardCount; ++i)
        if (standardColours[i].colour == value) {
            setCurrentIndex(i);
            return;
        }
    const QString name = ColorDisplayName(value);
    addItem(swatch(value), name, QVariant::fromValue<qint64>(value));
    setCurrentIndex(count() - 1);
}

void TColorCombo::entryActivated(int index)
{
    if (index == otherIndex()) {
        const auto chosen = Interaction::Current().ChooseColour(ToQColor(current), QStringLiteral("Color"));
        if (!chosen) {
            SetColor(current); // back to the entry that was selected
            return;
        }
        SetColor(FromQColor(*chosen));
        emit ColorChosen(current);
        return;
    }
    const auto value = static_cast<TColor>(itemData(index).toLongLong());
    SetColor(value);
    emit ColorChosen(current);
}

} // namespace bv
