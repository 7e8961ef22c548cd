#pragma once
// The quick-tips window: a small borderless, rounded window with a title bar
// that drags it, a page of topic buttons (five at a time, with "Previous" and
// "More"), and two answer pages: a label for answers that fit, a scrolling
// text box for longer ones.
#include <QAbstractButton>
#include <QStringList>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace bv {

// A captioned button whose caption wraps over several lines, drawn with a
// soft gloss; it carries the index of the topic it stands for.
class TTipButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit TTipButton(QWidget* parent = nullptr);
    int Tag() const { return tag; }
    void SetTag(int value) { tag = value; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int tag = -1;
    bool hovered = false;
};

class TAssistantOruForm : public QWidget {
    Q_OBJECT
public:
    explicit TAssistantOruForm(QWidget* parent = nullptr);
    ~TAssistantOruForm() override;

    static constexpr int ClientWidth = 228;
    static constexpr int ClientHeight = 372;
    static constexpr int TopicsPerPage = 5;

    // The topics shown; SetTopics empties both lists and copies them in.
    void SetTopics(const QStringList& questions, const QStringList& answers);
    const QStringList& Questions() const { return questions; }
    const QStringList& Answers() const { return answers; }
    void SetCaption(const QString& text);

    // Paging: the number of topics and pages, the current page (from 1),
    // the first topic on it (from 1) and how many topics it shows.
    int TopicCount() const { return topicCount; }
    int PageCount() const { return pageCount; }
    int CurrentPage() const { return currentPage; }
    int FirstTopic() const { return firstTopic; }
    int TopicsShown() const { return topicsShown; }
    // Back to page 1 of the topics and the topic list.
    void ResetPaging();

    // Recomputes the page of topic buttons for CurrentPage().
    void InitPageOfTopics();
    void GBNextClick();
    void GBPrevClick();
    // Shows the answer of the topic a button stands for.
    void GButtonclick(TTipButton* button);
    // Page 0 is the topic list, 1 the short-answer label, 2 the text box.
    void ShowPage(int page);
    int PageShown() const;

    QLabel* TitlePanel = nullptr;
    QPushButton* BackButton = nullptr;
    QPushButton* CloseButton = nullptr;
    QStackedWidget* Notebook1 = nullptr;
    TTipButton* GButtons[TopicsPerPage] = {};
    QPushButton* GBPrev = nullptr;
    QPushButton* GBNext = nullptr;
    QLabel* LabelPageCaption = nullptr;
    QLabel* LabelPageLabel = nullptr;
    QLabel* MemoPageCaption = nullptr;
    QPlainTextEdit* MemoPageMemo = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPushButton* makeSeeAlso(QWidget* page, const char* name);

    QStringList questions;
    QStringList answers;
    int topicCount = 0;
    int pageCount = 0;
    int currentPage = 1;
    int firstTopic = 1;
    int topicsShown = 0;
    QPoint dragOffset;
    bool dragging = false;
};

} // namespace bv
