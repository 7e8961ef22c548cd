#include "widgets/AssistantOru.h"

#include "widgets/AssistantOruForm.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace bv {

TAssistantOru::TAssistantOru(QObject* owner) : QObject(owner), caption(QStringLiteral("Quick Tips"))
{
    setObjectName(QStringLiteral("AssistantOru1"));
}

TAssistantOru::~TAssistantOru()
{
    delete window;
}

TAssistantOruForm* TAssistantOru::Window() const
{
    return window;
}

void TAssistantOru::SetTopics(const QStringList& newQuestions, const QStringList& newAnswers)
{
    questions = newQuestions;
    answers = newAnswers;
    while (answers.size() < questions.size())
        answers.append(QString());
    answers = answers.mid(0, questions.size());
}

QPoint TAssistantOru::Placement(const QRect& mainFrame, int clientTop, const QSize& window, const QRect& screen)
{
    int left = mainFrame.left() + mainFrame.width() - window.width() / 2;
    if (left + window.width() > screen.left() + screen.width())
        left = screen.left() + screen.width() - window.width();
    int top = clientTop;
    if (top + window.height() > screen.top() + screen.height())
        top = screen.top() + screen.height() - window.height();
    return { left, top };
}

void TAssistantOru::Show(QWidget* mainWindow)
{
    if (!window) {
        window = new TAssistantOruForm(mainWindow);
        window->SetCaption(caption);
    }
    window->SetTopics(questions, answers);
    window->ResetPaging();
    window->ShowPage(0);

    if (mainWindow) {
        QScreen* screen = mainWindow->screen() ? mainWindow->screen() : QGuiApplication::primaryScreen();
        const QRect screenRect = screen ? screen->geometry() : QRect(0, 0, 1 << 16, 1 << 16);
        const int clientTop = mainWindow->mapToGlobal(QPoint(0, 0)).y();
        window->move(Placement(mainWindow->frameGeometry(), clientTop, window->size(), screenRect));
    }
    window->show();
    window->raise();
}

} // namespace bv
