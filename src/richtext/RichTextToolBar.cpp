#include "richtext/RichTextToolBar.h"

#include "objects/ColorCombo.h"
#include "platform/Numeric.h"
#include "richtext/RichTextControl.h"

#include <QAction>
#include <QComboBox>
#include <QFontComboBox>
#include <QIntValidator>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QTextBlock>

namespace bv {

namespace {

enum Icon { icNormal, icBold, icItalic, icUnder, icLeft, icRight, icJustify, icCenter, icCopy, icCut, icPaste };

// The toolbar's icons are drawn here rather than shipped as pictures.
QIcon drawIcon(int icon)
{
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(Qt::black, 1));
    auto letter = [&](const QString& text, bool bold, bool italic, bool underline) {
        QFont f(QStringLiteral("DejaVu Serif"));
        f.setPixelSize(15);
        f.setBold(bold);
        f.setItalic(italic);
        f.setUnderline(underline);
        p.setFont(f);
        p.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, text);
    };
    auto lines = [&](int align) {
        p.setRenderHint(QPainter::Antialiasing, false);
        const int widths[] = { 16, 10, 16, 12, 16 };
        for (int k = 0; k < 5; ++k) {
            int w = align == 3 ? 16 : widths[k];
            int x = align == 0 ? 2 : align == 1 ? 18 - w : align == 2 ? 10 - w / 2 : 2;
            p.drawLine(x, 3 + k * 3, x + w - 1, 3 + k * 3);
        }
    };
    switch (icon) {
    case icNormal: letter(QStringLiteral("N"), false, false, false); break;
    case icBold: letter(QStringLiteral("B"), true, false, false); break;
    case icItalic: letter(QStringLiteral("I"), false, true, false); break;
    case icUnder: letter(QStringLiteral("U"), false, false, true); break;
    case icLeft: lines(0); break;
    case icRight: lines(1); break;
    case icCenter: lines(2); break;
    case icJustify: lines(3); break;
    case icCopy:
        p.setBrush(Qt::white);
        p.drawRect(3, 2, 9, 11);
        p.drawRect(8, 7, 9, 11);
        break;
    case icCut:
        p.drawEllipse(3, 13, 5, 5);
        p.drawEllipse(12, 13, 5, 5);
        p.drawLine(7, 13, 14, 2);
        p.drawLine(13, 13, 6, 2);
        break;
    case icPaste:
        p.setBrush(QColor(0xC0, 0x90, 0x40));
        p.drawRect(3, 3, 12, 15);
        p.setBrush(Qt::white);
        p.drawRect(8, 7, 9, 11);
        p.setBrush(Qt::gray);
        p.drawRect(6, 1, 6, 3);
        break;
    default: break;
    }
    return QIcon(pm);
}

} // namespace

const QList<int>& RichTextFontSizes()
{
    static const QList<int> sizes = { 6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72 };
    return sizes;
}

const QStringList& TRichTextToolBar::Hints()
{
    // The list also names icons this toolbar does not show.
    static const QStringList hints = { "Normal", "Bold", "Italic", "Under", "Left", "Right", "Justified",
        "Center", "Copy", "Cut", "Paste", "Undo", "Print", "Find", "Bullets", "Indent", "Outdent" };
    return hints;
}

QAction* TRichTextToolBar::addIcon(const char* name, int hintIndex, bool checkable)
{
    QAction* a = addAction(drawIcon(hintIndex), Hints().at(hintIndex));
    a->setObjectName(QString::fromLatin1(name));
    a->setToolTip(Hints().at(hintIndex));
    a->setStatusTip(Hints().at(hintIndex));
    a->setCheckable(checkable);
    return a;
}

TRichTextToolBar::TRichTextToolBar(QWidget* parent) : QToolBar(parent)
{
    setObjectName(QStringLiteral("RichToolBar1"));
    setIconSize(QSize(16, 16));
    setMovable(false);
    setFloatable(false);

    FontNameList = new QFontComboBox(this);
    FontNameList->setObjectName(QStringLiteral("FontNameList"));
    FontNameList->setToolTip(QStringLiteral("Font"));
    FontNameList->setMaximumWidth(105);
    addWidget(FontNameList);
    FontSizeList = new QComboBox(this);
    FontSizeList->setObjectName(QStringLiteral("FontSizeList"));
    FontSizeList->setToolTip(QStringLiteral("Size"));
    FontSizeList->setEditable(true);
    FontSizeList->setValidator(new QIntValidator(6, 1638, FontSizeList));
    for (int s : RichTextFontSizes())
        FontSizeList->addItem(QString::number(s));
    FontSizeList->setMinimumContentsLength(2);
    FontSizeList->setMaximumWidth(46);
    addWidget(FontSizeList);
    FontColorList = new TColorCombo(this);
    FontColorList->setObjectName(QStringLiteral("FontColorList"));
    FontColorList->setToolTip(QStringLiteral("Color"));
    FontColorList->setMaximumWidth(64);
    addWidget(FontColorList);
    addSeparator();
    NormalButton = addIcon("NormalButton", icNormal, false);
    BoldButton = addIcon("BoldButton", icBold, true);
    ItalicButton = addIcon("ItalicButton", icItalic, true);
    UnderlineButton = addIcon("UnderlineButton", icUnder, true);
    addSeparator();
    LeftButton = addIcon("LeftButton", icLeft, true);
    RightButton = addIcon("RightButton", icRight, true);
    JustifyButton = addIcon("JustifyButton", icJustify, true);
    CenterButton = addIcon("CenterButton", icCenter, true);
    addSeparator();
    CopyButton = addIcon("CopyButton", icCopy, false);
    CutButton = addIcon("CutButton", icCut, false);
    PasteButton = addIcon("PasteButton", icPaste, false);

    auto merge = [this](const std::function<void(QTextCharFormat&)>& change) {
        if (!target || updating)
            return;
        QTextCharFormat f;
        change(f);
        target->MergeCharFormat(f);
        target->SetEditFocus();
    };
    connect(FontNameList, &QFontComboBox::currentFontChanged, this, [merge](const QFont& font) {
        merge([&](QTextCharFormat& f) { f.setFontFamilies(QStringList { font.family() }); });
    });
    connect(FontSizeList, &QComboBox::textActivated, this, [merge](const QString& text) {
        bool ok = false;
        const int size = text.toInt(&ok);
        if (ok && size >= 6)
            merge([&](QTextCharFormat& f) { f.setFontPointSize(size); });
    });
    connect(FontColorList, &TColorCombo::ColorChosen, this,
        [merge](TColor c) { merge([&](QTextCharFormat& f) { f.setForeground(ToQColor(c)); }); });
    connect(NormalButton, &QAction::triggered, this, [merge] {
        merge([](QTextCharFormat& f) {
            f.setFontWeight(QFont::Normal);
            f.setFontItalic(false);
            f.setFontUnderline(false);
            f.setFontStrikeOut(false);
        });
    });
    connect(BoldButton, &QAction::triggered, this,
        [merge](bool on) { merge([on](QTextCharFormat& f) { f.setFontWeight(on ? QFont::Bold : QFont::Normal); }); });
    connect(ItalicButton, &QAction::triggered, this,
        [merge](bool on) { merge([on](QTextCharFormat& f) { f.setFontItalic(on); }); });
    connect(UnderlineButton, &QAction::triggered, this,
        [merge](bool on) { merge([on](QTextCharFormat& f) { f.setFontUnderline(on); }); });
    auto align = [this](Qt::Alignment a) {
        if (!target || updating)
            return;
        target->SetAlignment(a);
        target->SetEditFocus();
    };
    connect(LeftButton, &QAction::triggered, this, [align] { align(Qt::AlignLeft); });
    connect(RightButton, &QAction::triggered, this, [align] { align(Qt::AlignRight); });
    connect(JustifyButton, &QAction::triggered, this, [align] { align(Qt::AlignJustify); });
    connect(CenterButton, &QAction::triggered, this, [align] { align(Qt::AlignHCenter); });
    connect(CopyButton, &QAction::triggered, this, [this] {
        if (target)
            target->Copy();
    });
    connect(CutButton, &QAction::triggered, this, [this] {
        if (target)
            target->Cut();
    });
    connect(PasteButton, &QAction::triggered, this, [this] {
        if (target)
            target->Paste();
    });
}

void TRichTextToolBar::UpdateObject(TRichTextControl* control)
{
    if (target)
        disconnect(target, nullptr, this, nullptr);
    target = control;
    if (target)
        connect(target, &TRichTextControl::CurrentFormatChanged, this, &TRichTextToolBar::showCurrentFormat);
    showCurrentFormat();
}

void TRichTextToolBar::showCurrentFormat()
{
    if (!target)
        return;
    updating = true;
    const QTextCharFormat f = target->CurrentCharFormat();
    const QFont font = f.font();
    FontNameList->setCurrentFont(QFont(font.family()));
    const double points = f.fontPointSize() > 0 ? f.fontPointSize() : target->Document().defaultFont().pointSizeF();
    FontSizeList->setCurrentText(QString::number(Round(points)));
    FontColorList->SetColor(FromQColor(f.foreground().style() != Qt::NoBrush ? f.foreground().color() : QColor(Qt::black)));
    BoldButton->setChecked(font.bold());
    ItalicButton->setChecked(font.italic());
    UnderlineButton->setChecked(font.underline());
    const Qt::Alignment a = target->TextCursor().blockFormat().alignment() & Qt::AlignHorizontal_Mask;
    JustifyButton->setChecked(a & Qt::AlignJustify);
    CenterButton->setChecked(a & Qt::AlignHCenter);
    RightButton->setChecked((a & Qt::AlignRight) != 0);
    LeftButton->setChecked(!(a & (Qt::AlignJustify | Qt::AlignHCenter | Qt::AlignRight)));
    updating = false;
}

} // namespace bv
