#include "app/HelpBrowser.h"

#include "document/AppServices.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QPointer>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

// Resources of a static library must be registered by name, outside any
// namespace.
static void initHelpResources()
{
    Q_INIT_RESOURCE(help);
}

namespace bv {

namespace {
QPointer<HelpBrowser> instance;

QString pagePath(const QString& name)
{
    return QStringLiteral(":/help/") + name + QStringLiteral(".html");
}
} // namespace

HelpBrowser& HelpBrowser::Instance()
{
    if (!instance) {
        initHelpResources();
        instance = new HelpBrowser(MainForm());
    }
    return *instance;
}

QUrl HelpBrowser::ContentsUrl()
{
    return QUrl(QStringLiteral("qrc") + pagePath(QStringLiteral("contents")));
}

QUrl HelpBrowser::TopicUrl(int context)
{
    initHelpResources();
    const QString path = pagePath(QString::number(context));
    if (context <= 0 || !QFile::exists(path))
        return ContentsUrl();
    return QUrl(QStringLiteral("qrc") + path);
}

QList<int> HelpBrowser::Topics()
{
    initHelpResources();
    QList<int> out;
    const QStringList files = QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")}, QDir::Files);
    for (const QString& f : files) {
        bool ok = false;
        int n = f.chopped(5).toInt(&ok);
        if (ok)
            out << n;
    }
    std::sort(out.begin(), out.end());
    return out;
}

HelpBrowser::HelpBrowser(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpBrowser"));
    setWindowTitle(QStringLiteral("Brisvale Help"));

    auto* contentsButton = new QToolButton(this);
    contentsButton->setObjectName(QStringLiteral("ContentsButton"));
    contentsButton->setText(QStringLiteral("&Contents"));
    backButton = new QToolButton(this);
    backButton->setObjectName(QStringLiteral("BackButton"));
    backButton->setText(QStringLiteral("&Back"));
    backButton->setEnabled(false);
    forwardButton = new QToolButton(this);
    forwardButton->setObjectName(QStringLiteral("ForwardButton"));
    forwardButton->setText(QStringLiteral("&Forward"));
    forwardButton->setEnabled(false);

    text = new QTextBrowser(this);
    text->setObjectName(QStringLiteral("HelpText"));
    text->setOpenLinks(false);
    // Links between the shipped pages open here; web addresses go to the
    // desktop's browser.
    connect(text, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        const QUrl url = text->source().resolved(link);
        if (url.scheme() == QLatin1String("qrc"))
            text->setSource(url);
        else
            QDesktopServices::openUrl(url);
    });

    auto* bar = new QHBoxLayout;
    bar->addWidget(contentsButton);
    bar->addWidget(backButton);
    bar->addWidget(forwardButton);
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(text);

    connect(contentsButton, &QToolButton::clicked, this, &HelpBrowser::ShowContents);
    connect(backButton, &QToolButton::clicked, text, &QTextBrowser::backward);
    connect(forwardButton, &QToolButton::clicked, text, &QTextBrowser::forward);
    connect(text, &QTextBrowser::backwardAvailable, backButton, &QToolButton::setEnabled);
    connect(text, &QTextBrowser::forwardAvailable, forwardButton, &QToolButton::setEnabled);
    connect(text, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = text->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Brisvale Help")
                                       : QStringLiteral("Brisvale Help - ") + title);
    });
    resize(560, 480);
}

void HelpBrowser::showPage(const QUrl& url)
{
    if (text->source() != url)
        text->setSource(url);
    if (!isVisible()) {
        CentreForm(*this);
        show();
    }
    raise();
    activateWindow();
}

void HelpBrowser::ShowTopic(int context)
{
    showPage(TopicUrl(context));
}

void HelpBrowser::ShowContents()
{
    showPage(ContentsUrl());
}

QUrl HelpBrowser::Source() const
{
    return text->source();
}

void ShowHelpTopic(int context)
{
    HelpBrowser::Instance().ShowTopic(context);
}

void ShowHelpContents()
{
    HelpBrowser::Instance().ShowContents();
}

} // namespace bv
