#pragma once
// The quick-tips assistant: a fixed list of questions about using the program
// and their answers, shown in a small borderless window beside the main
// window. The component holds the topics; the window is made at the first
// show and kept until the component goes.
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QStringList>

class QWidget;

namespace bv {

class TAssistantOruForm;

class TAssistantOru : public QObject {
    Q_OBJECT
public:
    explicit TAssistantOru(QObject* owner = nullptr);
    ~TAssistantOru() override;

    QString Caption() const { return caption; }
    void SetCaption(const QString& text) { caption = text; }
    // Kept with the component; nothing here reads it.
    int Toggle() const { return toggle; }
    void SetToggle(int value) { toggle = value; }

    // The topics: one answer per question, in the same order. A missing
    // answer reads as empty.
    const QStringList& Questions() const { return questions; }
    const QStringList& Answers() const { return answers; }
    void SetTopics(const QStringList& questions, const QStringList& answers);

    // Fills the window with the topics, goes back to the first page of the
    // list and shows it beside mainWindow without making it modal. Creates
    // the window the first time.
    void Show(QWidget* mainWindow);

    // The window, or nullptr before the first show.
    TAssistantOruForm* Window() const;

    // Where the window goes: its centre on the main window's right edge,
    // its top at the top of the main window's client area, pulled back onto
    // the screen when it would pass the right or the bottom edge.
    // mainFrame is the main window with its frame, clientTop the screen
    // position of its client area's top, screen the screen it is on.
    static QPoint Placement(const QRect& mainFrame, int clientTop, const QSize& window, const QRect& screen);

private:
    QString caption;
    int toggle = 0;
    QStringList questions;
    QStringList answers;
    // Made over the first main window it is shown beside, so it stays in
    // front of it; deleted with the component or with that window.
    QPointer<TAssistantOruForm> window;
};

} // namespace bv
