#pragma once
// The help window: HTML pages shipped with the program, one per help context
// number used by the dialogs, plus a contents page that links them all.
#include <QUrl>
#include <QWidget>

class QTextBrowser;
class QToolButton;

namespace bv {

class HelpBrowser : public QWidget {
    Q_OBJECT
public:
    // The one help window, created on first use (owned by the main window
    // when there is one).
    static HelpBrowser& Instance();

    // Page address of a help context; the contents page when the number has
    // no page of its own.
    static QUrl TopicUrl(int context);
    static QUrl ContentsUrl();
    // Context numbers that have a page, ascending.
    static QList<int> Topics();

    // Shows the window (raised) on a context's page or on the contents.
    void ShowTopic(int context);
    void ShowContents();

    // The page shown.
    QUrl Source() const;

private:
    explicit HelpBrowser(QWidget* parent);
    void showPage(const QUrl& url);

    QTextBrowser* text = nullptr;
    QToolButton* backButton = nullptr;
    QToolButton* forwardButton = nullptr;
};

// Opens the help window on the page of a help context; a number without a
// page of its own shows the contents page.
void ShowHelpTopic(int context);
// Opens the help window on the contents page.
void ShowHelpContents();

} // namespace bv
