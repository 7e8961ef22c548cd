#include "objects/GetSymbol.h"

#include "objects/DialogButtons.h"
#include "platform/Interaction.h"
#include "platform/SymbolFonts.h"
#include "widgets/WhatsThis.h"

#include <QComboBox>
#include <QFontInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace bv {

namespace {

constexpr int HelpContextSymbol = 40005;
constexpr int FirstCode = 32;
constexpr int CodeCount = 224;
constexpr int CellHeight = 30;

// Draws one cell: the character in the list font, centred, or nothing.
class SymbolCellDelegate : public QStyledItemDelegate {
public:
    explicit SymbolCellDelegate(TSymbolListBox* list) : QStyledItemDelegate(list), list(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        const QRect cell = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(cell, selected ? option.palette.highlight() : option.palette.base());
        painter->setPen(QColor(192, 192, 192));
        painter->drawRect(cell.adjusted(0, 0, -1, -1));
        const char32_t ch = list->ShownCharacter(index.row());
        if (ch != 0) {
            const TFont& lf = list->ListFont();
            painter->setFont(SymbolFonts::DisplayQFont(lf.ToQFont()));
            painter->setPen(selected ? option.palette.highlightedText().color() : ToQColor(lf.Color));
            painter->drawText(cell, Qt::AlignCenter, QString::fromUcs4(&ch, 1));
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        Q_UNUSED(option);
        Q_UNUSED(index);
        return list->gridSize();
    }

private:
    TSymbolListBox* list;
};

} // namespace

int SymbolColumnsFor(int points)
{
    struct Band {
        int from;
        int to;
        int columns;
    };
    static constexpr Band bands[] = { { 6, 10, 14 }, { 11, 20, 10 }, { 21, 30, 8 }, { 31, 40, 6 },
        { 41, 50, 4 }, { 51, 60, 3 }, { 61, 72, 2 } };
    for (const Band& b : bands)
        if (points >= b.from && points <= b.to)
            return b.columns;
    return 1;
}

QString SymbolFontButtonCaption(const TFont& listFont)
{
    QString caption = listFont.Name + QStringLiteral(", ") + QString::number(listFont.Size()) + QStringLiteral("pt ");
    if (listFont.Italic)
        caption += QStringLiteral("Italic ");
    else if (listFont.Bold)
        caption += QStringLiteral("Bold ");
    return caption;
}

// --- the grid -------------------------------------------------------------------

TSymbolListBox::TSymbolListBox(QWidget* parent) : QListWidget(parent)
{
    setObjectName(QStringLiteral("SymbolList"));
    setViewMode(QListView::ListMode);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setMovement(QListView::Static);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setSpacing(0);
    setItemDelegate(new SymbolCellDelegate(this));
    listFont.Name = QStringLiteral("Wingdings");
    listFont.Height = -27;
    listFont.Color = clBlack;
    for (int i = 0; i < CodeCount; ++i) {
        auto* item = new QListWidgetItem(this);
        item->setData(Qt::UserRole, FirstCode + i);
    }
    updateGrid();
}

void TSymbolListBox::SetColumns(int value)
{
    value = std::max(1, value);
    if (value == columns)
        return;
    columns = value;
    updateGrid();
}

void TSymbolListBox::SetListFont(const TFont& font)
{
    listFont = font;
    viewport()->update();
}

char32_t TSymbolListBox::ShownCharacter(int index) const
{
    if (index < 0 || index >= CodeCount)
        return 0;
    const int code = FirstCode + index;
    char32_t ch = SymbolFonts::IsMapped(listFont.Name) ? SymbolFonts::ToUnicode(listFont.Name, code)
                                                       : SymbolFonts::CharOfCode(code).unicode();
    // A code the font draws nothing for, or only a replacement box, stays empty.
    if (ch == 0x20 || !SymbolFonts::HasGlyph(listFont.Name, ch))
        return 0;
    return ch;
}

void TSymbolListBox::resizeEvent(QResizeEvent* event)
{
    QListWidget::resizeEvent(event);
    updateGrid();
}

void TSymbolListBox::updateGrid()
{
    const int width = std::max(columns, viewport()->width());
    const QSize grid(width / columns, CellHeight);
    if (grid != gridSize()) {
        setGridSize(grid);
        doItemsLayout();
    }
}

// --- the dialog -----------------------------------------------------------------

TGetSymbol::TGetSymbol(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("GetSymbol"));
    setWindowTitle(QStringLiteral("Symbol Selector"));

    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(6, 6, 6, 6);

    TopPanel = new QWidget(this);
    TopPanel->setObjectName(QStringLiteral("TopPanel"));
    auto* strip = new QHBoxLayout(TopPanel);
    strip->setContentsMargins(0, 0, 0, 0);
    FontLabel = new QLabel(QStringLiteral("&Font"), TopPanel);
    FontNameCombo = new QComboBox(TopPanel);
    FontNameCombo->setObjectName(QStringLiteral("FontNameCombo"));
    FontNameCombo->addItems(SymbolFonts::SelectableFamilies());
    FontNameCombo->setWhatsThis(QStringLiteral(
        "Pick a symbol font. The Windows symbol fonts are shown with the matching symbols of this computer."));
    FontLabel->setBuddy(FontNameCombo);
    Fontbutton = new QPushButton(TopPanel);
    Fontbutton->setObjectName(QStringLiteral("Fontbutton"));
    Fontbutton->setAutoDefault(false);
    Fontbutton->setWhatsThis(QStringLiteral("Shows the font of the symbol. Click to choose its size and style."));
    SelectedChar = new QLabel(TopPanel);
    SelectedChar->setObjectName(QStringLiteral("SelectedChar"));
    SelectedChar->hide();
    strip->addWidget(FontLabel);
    strip->addWidget(FontNameCombo, 1);
    strip->addWidget(Fontbutton, 1);
    strip->addWidget(SelectedChar);
    top->addWidget(TopPanel);

    SymbolList = new TSymbolListBox(this);
    SymbolList->setWhatsThis(QStringLiteral("Click the symbol you want, then click Ok."));
    top->addWidget(SymbolList, 1);

    auto* row = new QHBoxLayout;
    top->addLayout(row);
    const DialogButtons b = AddDialogButtons(*this, *row, HelpContextSymbol, QStringLiteral("OKButton"),
        QStringLiteral("Cancelbutton"), QStringLiteral("Helpbutton"));
    OKButton = b.ok;
    Cancelbutton = b.cancel;
    Helpbutton = b.help;
    MouseHelpButton = b.mouseHelp;
    connect(OKButton, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(SymbolList, &QListWidget::itemDoubleClicked, this, [this] { done(mrOk); });
    connect(Fontbutton, &QPushButton::clicked, this, [this] { ChooseFont(); });
    connect(FontNameCombo, &QComboBox::activated, this,
        [this](int index) { ChooseFamily(FontNameCombo->itemText(index)); });

    SetSelectedFont(SymbolList->ListFont());
    syncFamilyCombo();
    UpdateFontButton();
    InstallWhatsThisMenus(this);

    // A fixed dialog, centred on the screen rather than over the main window.
    setFixedSize(474, 327);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TGetSymbol::reject()
{
    done(mrCancel);
}

void TGetSymbol::SetSelectedFont(const TFont& font)
{
    selectedFont = font;
    SelectedChar->setFont(font.ToQFont());
}

void TGetSymbol::SetListFontNameAndStyle(const TFont& font)
{
    TFont lf = SymbolList->ListFont();
    lf.Name = font.Name;
    lf.Bold = font.Bold;
    lf.Italic = font.Italic;
    lf.Underline = font.Underline;
    lf.StrikeOut = font.StrikeOut;
    SymbolList->SetListFont(lf);
    syncFamilyCombo();
}

int TGetSymbol::SelectedIndex() const
{
    return SymbolList->currentRow();
}

void TGetSymbol::SetSelectedIndex(int index)
{
    if (index < 0 || index >= SymbolList->count()) {
        SymbolList->setCurrentRow(-1);
        SymbolList->clearSelection();
        return;
    }
    SymbolList->setCurrentRow(index);
    SymbolList->scrollToItem(SymbolList->item(index));
}

void TGetSymbol::Activate()
{
    SymbolList->SetColumns(SymbolColumnsFor(SymbolList->ListFont().Size()));
    // The grid may have new columns: bring the chosen cell into view again.
    if (QListWidgetItem* current = SymbolList->currentItem())
        SymbolList->scrollToItem(current, QAbstractItemView::PositionAtCenter);
    UpdateFontButton();
}

void TGetSymbol::UpdateFontButton()
{
    Fontbutton->setText(SymbolFontButtonCaption(SymbolList->ListFont()));
}

void TGetSymbol::ChooseFont()
{
    QFont initial = selectedFont.ToQFont();
    if (selectedFont.Size() > 0)
        initial.setPointSize(selectedFont.Size());
    const auto chosen = Interaction::Current().ChooseFont(initial, QStringLiteral("Font"));
    if (chosen) {
        TFont f = TFont::FromQFont(*chosen, selectedFont);
        // A Windows symbol font is not installed here: the font dialog shows
        // the family standing in for it. Choosing only a size or a style
        // keeps the symbol's own font name.
        if (chosen->family() != initial.family() && chosen->family() == QFontInfo(initial).family())
            f.Name = selectedFont.Name;
        SetSelectedFont(f);
        TFont lf = SymbolList->ListFont();
        lf.Name = f.Name;
        lf.Color = f.Color;
        lf.Bold = f.Bold;
        lf.Italic = f.Italic;
        lf.Underline = f.Underline;
        lf.StrikeOut = f.StrikeOut;
        SymbolList->SetListFont(lf);
        syncFamilyCombo();
    }
    UpdateFontButton();
}

void TGetSymbol::ChooseFamily(const QString& family)
{
    TFont f = selectedFont;
    f.Name = family;
    SetSelectedFont(f);
    TFont lf = SymbolList->ListFont();
    lf.Name = family;
    SymbolList->SetListFont(lf);
    UpdateFontButton();
}

void TGetSymbol::syncFamilyCombo()
{
    const QString name = SymbolList->ListFont().Name;
    int at = -1;
    for (int i = 0; i < FontNameCombo->count(); ++i)
        if (FontNameCombo->itemText(i).compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            at = i;
    if (at < 0) {
        // A font of the design that the list does not know still shows its name.
        FontNameCombo->addItem(name);
        at = FontNameCombo->count() - 1;
    }
    FontNameCombo->setCurrentIndex(at);
}

void TGetSymbol::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Activate();
}

} // namespace bv
