#include "widgets/AssistantOruForm.h"

#include "platform/Colors.h"
#include "platform/DialogHooks.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegion>
#include <QStackedWidget>
#include <QTextDocument>

namespace bv {

namespace {

// Help page of the frequently asked questions.
constexpr int FaqHelpContext = 911;

// Geometry of the fixed-size window (client pixels).
constexpr int Margin = 8;
constexpr int TitleHeight = 22;
constexpr int ButtonRowTop = TitleHeight + 6;
constexpr int ButtonHeight = 22;
constexpr int NotebookTop = ButtonRowTop + ButtonHeight + 6;
constexpr int NotebookWidth = TAssistantOruForm::ClientWidth - 2 * Margin;
constexpr int NotebookHeight = TAssistantOruForm::ClientHeight - NotebookTop - 14;
constexpr int TopicHeight = 42;
constexpr int TopicGap = 4;
constexpr int SeeAlsoHeight = 30;
constexpr int SeeAlsoTop = NotebookHeight - SeeAlsoHeight;
constexpr int CaptionHeight = 44;
constexpr int AnswerTop = CaptionHeight + 4;
constexpr int AnswerHeight = SeeAlsoTop - AnswerTop - 6;

// The rounded outline: the corner ellipse is a eighth of the width by an
// eighth of the height.
QPainterPath roundedOutline(const QRectF& r, int width, int height)
{
    QPainterPath path;
    path.addRoundedRect(r, (width / 8) / 2.0, (height / 8) / 2.0);
    return path;
}

} // namespace

// --- TTipButton ------------------------------------------------------------------------------

TTipButton::TTipButton(QWidget* parent) : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

QSize TTipButton::sizeHint() const
{
    return { NotebookWidth, TopicHeight };
}

void TTipButton::enterEvent(QEnterEvent* event)
{
    hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void TTipButton::leaveEvent(QEvent* event)
{
    hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void TTipButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -1.5, -1.5);
    const QPalette& pal = palette();
    QColor face = pal.color(QPalette::Button);
    if (hovered && isEnabled())
        face = face.lighter(108);
    if (isDown())
        face = face.darker(110);

    // Shadow one pixel down and right, then the glossy face with its border.
    p.setPen(Qt::NoPen);
    p.setBrush(pal.color(QPalette::Shadow).lighter(250));
    p.drawRoundedRect(r.translated(1, 1), 6, 6);
    QLinearGradient gloss(r.topLeft(), r.bottomLeft());
    gloss.setColorAt(0.0, face.lighter(125));
    gloss.setColorAt(0.5, face);
    gloss.setColorAt(1.0, face.darker(108));
    p.setBrush(gloss);
    p.setPen(QPen(pal.color(QPalette::Mid), 1));
    p.drawRoundedRect(r, 6, 6);
    if (hasFocus()) {
        p.setPen(QPen(pal.color(QPalette::Highlight), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(2, 2, -2, -2), 4, 4);
    }

    p.setPen(pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    p.drawText(rect().adjusted(6, 2, -6, -2), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, text());
}

// --- TAssistantOruForm -----------------------------------------------------------------------

TAssistantOruForm::TAssistantOruForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    // FormCreate
    setObjectName(QStringLiteral("AssistantOruForm"));
    setFixedSize(ClientWidth, ClientHeight);
    setMouseTracking(true);
    QFont small = font();
    small.setPointSizeF(8);
    setFont(small);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(clInfoBk));
    pal.setColor(QPalette::WindowText, pal.color(QPalette::ToolTipText));
    setPalette(pal);
    setAutoFillBackground(true);
    setMask(QRegion(roundedOutline(QRectF(0, 0, width(), height()), width(), height()).toFillPolygon().toPolygon()));

    TitlePanel = new QLabel(this);
    TitlePanel->setObjectName(QStringLiteral("TitlePanel"));
    TitlePanel->setGeometry(0, 0, ClientWidth, TitleHeight);
    TitlePanel->setAlignment(Qt::AlignCenter);
    TitlePanel->setAutoFillBackground(true);
    QPalette title = TitlePanel->palette();
    title.setColor(QPalette::Window, title.color(QPalette::Active, QPalette::Highlight));
    title.setColor(QPalette::WindowText, title.color(QPalette::Active, QPalette::HighlightedText));
    TitlePanel->setPalette(title);
    QFont bold = small;
    bold.setBold(true);
    TitlePanel->setFont(bold);
    TitlePanel->setCursor(Qt::SizeAllCursor);
    TitlePanel->installEventFilter(this);

    BackButton = new QPushButton(QStringLiteral("Back  "), this);
    BackButton->setObjectName(QStringLiteral("BackButton"));
    BackButton->setGeometry(Margin, ButtonRowTop, 64, ButtonHeight);
    connect(BackButton, &QPushButton::clicked, this, [this] { ShowPage(0); });

    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setGeometry(ClientWidth - Margin - 64, ButtonRowTop, 64, ButtonHeight);
    connect(CloseButton, &QPushButton::clicked, this, &QWidget::hide);

    Notebook1 = new QStackedWidget(this);
    Notebook1->setObjectName(QStringLiteral("Notebook1"));
    Notebook1->setGeometry(Margin, NotebookTop, NotebookWidth, NotebookHeight);

    // Page 0: the topic buttons.
    auto* main = new QWidget(Notebook1);
    main->setObjectName(QStringLiteral("Main"));
    for (int i = 0; i < TopicsPerPage; ++i) {
        auto* b = new TTipButton(main);
        b->setObjectName(QStringLiteral("GButton%1").arg(i + 1));
        b->setGeometry(0, i * (TopicHeight + TopicGap), NotebookWidth, TopicHeight);
        connect(b, &QAbstractButton::clicked, this, [this, b] { GButtonclick(b); });
        GButtons[i] = b;
    }
    const int pagerTop = TopicsPerPage * (TopicHeight + TopicGap);
    GBPrev = new QPushButton(QStringLiteral("Previous"), main);
    GBPrev->setObjectName(QStringLiteral("GBPrev"));
    GBPrev->setGeometry(0, pagerTop, 80, ButtonHeight);
    connect(GBPrev, &QPushButton::clicked, this, &TAssistantOruForm::GBPrevClick);
    GBNext = new QPushButton(QStringLiteral("More"), main);
    GBNext->setObjectName(QStringLiteral("GBNext"));
    GBNext->setGeometry(NotebookWidth - 80, pagerTop, 80, ButtonHeight);
    connect(GBNext, &QPushButton::clicked, this, &TAssistantOruForm::GBNextClick);
    makeSeeAlso(main, "SeeAlsoMain");
    Notebook1->addWidget(main);

    // Page 1: an answer that fits, in a word-wrapped label.
    auto* labelPage = new QWidget(Notebook1);
    labelPage->setObjectName(QStringLiteral("LabelPage"));
    LabelPageCaption = new QLabel(labelPage);
    LabelPageCaption->setObjectName(QStringLiteral("LabelPageCaption"));
    LabelPageCaption->setGeometry(0, 0, NotebookWidth, CaptionHeight);
    LabelPageCaption->setWordWrap(true);
    LabelPageCaption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    LabelPageCaption->setFont(bold);
    LabelPageLabel = new QLabel(labelPage);
    LabelPageLabel->setObjectName(QStringLiteral("LabelPageLabel"));
    LabelPageLabel->setGeometry(0, AnswerTop, NotebookWidth, AnswerHeight);
    LabelPageLabel->setWordWrap(true);
    LabelPageLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LabelPageLabel->setTextFormat(Qt::PlainText);
    makeSeeAlso(labelPage, "SeeAlsoLabel");
    Notebook1->addWidget(labelPage);

    // Page 2: a longer answer in a text box that scrolls.
    auto* memoPage = new QWidget(Notebook1);
    memoPage->setObjectName(QStringLiteral("MemoPage"));
    MemoPageCaption = new QLabel(memoPage);
    MemoPageCaption->setObjectName(QStringLiteral("MemoPageCaption"));
    MemoPageCaption->setGeometry(0, 0, NotebookWidth, CaptionHeight);
    MemoPageCaption->setWordWrap(true);
    MemoPageCaption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    MemoPageCaption->setFont(bold);
    MemoPageMemo = new QPlainTextEdit(memoPage);
    MemoPageMemo->setObjectName(QStringLiteral("MemoPageMemo"));
    MemoPageMemo->setGeometry(0, AnswerTop, NotebookWidth, AnswerHeight);
    MemoPageMemo->setReadOnly(true);
    MemoPageMemo->setFrameShape(QFrame::NoFrame);
    MemoPageMemo->document()->setDocumentMargin(0);
    MemoPageMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MemoPageMemo->viewport()->setAutoFillBackground(false);
    MemoPageMemo->setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; }"));
    makeSeeAlso(memoPage, "SeeAlsoMemo");
    Notebook1->addWidget(memoPage);

    connect(Notebook1, &QStackedWidget::currentChanged, this, [this](int page) {
        // Notebook1PageChanged
        BackButton->setVisible(page != 0);
    });
    ShowPage(0);
    BackButton->setVisible(false);
    InitPageOfTopics();
}

TAssistantOruForm::~TAssistantOruForm()
{
    // FormDestroy: the shape goes with the window.
    clearMask();
}

QPushButton* TAssistantOruForm::makeSeeAlso(QWidget* page, const char* name)
{
    auto* b = new QPushButton(QStringLiteral("See also: Frequently Asked Questions"), page);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(0, SeeAlsoTop, NotebookWidth, SeeAlsoHeight);
    b->setFlat(true);
    b->setCursor(Qt::PointingHandCursor);
    // Looks like the link it is.
    QFont link = b->font();
    link.setUnderline(true);
    b->setFont(link);
    QPalette pal = b->palette();
    pal.setColor(QPalette::ButtonText, pal.color(QPalette::Link));
    b->setPalette(pal);
    connect(b, &QPushButton::clicked, this, [] { RequestHelpTopic(FaqHelpContext); });
    return b;
}

void TAssistantOruForm::SetCaption(const QString& text)
{
    setWindowTitle(text);
    TitlePanel->setText(text);
}

void TAssistantOruForm::SetTopics(const QStringList& newQuestions, const QStringList& newAnswers)
{
    questions.clear();
    answers.clear();
    for (int i = 0; i < newQuestions.size(); ++i) {
        questions.append(newQuestions[i]);
        answers.append(i < newAnswers.size() ? newAnswers[i] : QString());
    }
}

void TAssistantOruForm::ResetPaging()
{
    topicCount = questions.size();
    pageCount = topicCount / TopicsPerPage + (topicCount % TopicsPerPage != 0 ? 1 : 0);
    currentPage = 1;
    InitPageOfTopics();
}

void TAssistantOruForm::InitPageOfTopics()
{
    firstTopic = TopicsPerPage * currentPage - (TopicsPerPage - 1);
    topicsShown = TopicsPerPage * currentPage < topicCount ? TopicsPerPage
                                                           : topicCount - TopicsPerPage * currentPage + TopicsPerPage;
    for (int i = 0; i < TopicsPerPage; ++i) {
        TTipButton* b = GButtons[i];
        const int index = firstTopic - 1 + i;
        const bool used = i < topicsShown;
        b->SetTag(index);
        b->setText(used && index >= 0 && index < questions.size() ? questions[index] : QString());
        b->setVisible(used);
        b->setEnabled(used);
    }
    GBPrev->setVisible(firstTopic > 1);
    GBNext->setVisible(currentPage < pageCount);
}

void TAssistantOruForm::GBNextClick()
{
    ++currentPage;
    InitPageOfTopics();
}

void TAssistantOruForm::GBPrevClick()
{
    --currentPage;
    InitPageOfTopics();
}

void TAssistantOruForm::GButtonclick(TTipButton* button)
{
    const int tag = button->Tag();
    if (tag < 0 || tag >= answers.size())
        return;
    const QString& answer = answers[tag];
    // An answer taller than the label goes into the scrolling text box.
    const QFontMetrics fm(LabelPageLabel->font());
    const QRect needed = fm.boundingRect(QRect(0, 0, LabelPageLabel->width(), 1 << 20),
                                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, answer);
    if (needed.height() > LabelPageLabel->height()) {
        MemoPageMemo->setPlainText(answer);
        MemoPageCaption->setText(button->text());
        ShowPage(2);
    } else {
        LabelPageLabel->setText(answer);
        LabelPageCaption->setText(button->text());
        ShowPage(1);
    }
}

void TAssistantOruForm::ShowPage(int page)
{
    Notebook1->setCurrentIndex(page);
    BackButton->setVisible(page != 0);
}

int TAssistantOruForm::PageShown() const
{
    return Notebook1->currentIndex();
}

void TAssistantOruForm::paintEvent(QPaintEvent*)
{
    // FormPaint: the rounded outline inside the window's shape.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette().color(QPalette::Shadow), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(roundedOutline(QRectF(1, 1, width() - 2, height() - 2), width(), height()));
}

void TAssistantOruForm::mouseMoveEvent(QMouseEvent* event)
{
    // A cursor left over from elsewhere goes back to the arrow.
    if (testAttribute(Qt::WA_SetCursor) && cursor().shape() != Qt::ArrowCursor)
        unsetCursor();
    QWidget::mouseMoveEvent(event);
}

bool TAssistantOruForm::eventFilter(QObject* watched, QEvent* event)
{
    // The title bar moves the window, as a caption would.
    if (watched == TitlePanel) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() == Qt::LeftButton) {
                dragging = true;
                dragOffset = e->globalPosition().toPoint() - frameGeometry().topLeft();
                return true;
            }
            break;
        }
        case QEvent::MouseMove:
            if (dragging) {
                move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - dragOffset);
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            dragging = false;
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace bv
