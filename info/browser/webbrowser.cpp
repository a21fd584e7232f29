#include "webbrowser.h"

#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace info {

namespace {
// How long a request may wait for the engine's first answer and still count as loading. A first
// load starts the engine's processes and takes longest; past this the indicator stops rather
// than spin for a request the engine dropped.
constexpr int kRequestAnswerMs = 5000;
} // namespace

WebBrowser::WebBrowser(QWidget *parent) : QWidget(parent), m_view(new QWebEngineView(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    // The page's own isLoading() drops to false between the commit of a navigation and the end of
    // its load, so the control follows the load's start and end itself.
    QWebEnginePage *page = m_view->page();
    connect(page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        m_loading = info.status() == QWebEngineLoadingInfo::LoadStartedStatus;
        if (m_loading)
            m_requested = false;
    });
    connect(page, &QWebEnginePage::urlChanged, this, [this](const QUrl &url) {
        // Committed without a load of its own: a jump within the page.
        if (!m_loading)
            m_requested = false;
        Q_EMIT NavigateComplete(url.toString());
    });
    connect(page, &QWebEnginePage::loadFinished, this, &WebBrowser::DownloadComplete);
    connect(page, &QWebEnginePage::renderProcessTerminated, this, [this] { m_loading = m_requested = false; });
    // A link that asks for a new window opens here: the window has no second browser.
    connect(page, &QWebEnginePage::newWindowRequested, this,
            [page](QWebEngineNewWindowRequest &request) { request.openIn(page); });
}

void WebBrowser::requestStarted()
{
    m_requested = true;
    m_requestAnswerBy.setRemainingTime(kRequestAnswerMs);
}

bool WebBrowser::Navigate(const QString &address)
{
    const QUrl url = QUrl::fromUserInput(address);
    if (!url.isValid())
        return false;
    requestStarted();
    m_view->load(url);
    return true;
}

bool WebBrowser::GoBack()
{
    if (!m_view->history()->canGoBack())
        return false;
    requestStarted();
    m_view->back();
    return true;
}

bool WebBrowser::GoForward()
{
    if (!m_view->history()->canGoForward())
        return false;
    requestStarted();
    m_view->forward();
    return true;
}

bool WebBrowser::GoHome()
{
    return Navigate(m_homePage);
}

bool WebBrowser::GoSearch()
{
    return Navigate(m_searchPage);
}

bool WebBrowser::Refresh()
{
    if (m_view->url().isEmpty())
        return false;
    requestStarted();
    m_view->reload();
    return true;
}

bool WebBrowser::Stop()
{
    m_requested = false;
    m_view->stop();
    return true;
}

bool WebBrowser::Busy() const
{
    return m_loading || (m_requested && !m_requestAnswerBy.hasExpired());
}

QString WebBrowser::LocationName() const
{
    return m_view->page()->title();
}

QString WebBrowser::LocationURL() const
{
    return m_view->page()->url().toString();
}

} // namespace info
