#pragma once

#include <QDeadlineTimer>
#include <QString>
#include <QWidget>

class QWebEngineView;

namespace info {

// The browser control of the browser window, on Qt WebEngine. It offers the operations the window
// relies on and nothing more. Operations return false when they could not start (no page to go
// back to, an address that is no address); the window simply goes on with its next step then.
class WebBrowser : public QWidget {
    Q_OBJECT
public:
    // The control's own home and search pages, used by GoHome and GoSearch. They are settings of
    // the control, not the window's home address.
    static constexpr auto kDefaultHomePage = "https://www.sjakk.no/";
    static constexpr auto kDefaultSearchPage = "https://duckduckgo.com/?kl=no-no";

    explicit WebBrowser(QWidget *parent = nullptr);

    // The address is taken as a user would type it: "example.com" becomes http://example.com/.
    bool Navigate(const QString &address);
    bool GoBack();
    bool GoForward();
    bool GoHome();
    bool GoSearch();
    bool Refresh();
    bool Stop();

    // True from a navigation request until its page has loaded, failed or been stopped.
    bool Busy() const;
    QString LocationName() const;
    QString LocationURL() const;

    QString homePage() const { return m_homePage; }
    void setHomePage(const QString &address) { m_homePage = address; }
    QString searchPage() const { return m_searchPage; }
    void setSearchPage(const QString &address) { m_searchPage = address; }

    QWebEngineView *view() const { return m_view; }

Q_SIGNALS:
    // A navigation has been committed: the control now shows (or is loading) the page at url.
    void NavigateComplete(const QString &url);
    // A page load has ended, loaded, failed or stopped.
    void DownloadComplete();

private:
    void requestStarted();

    QWebEngineView *m_view;
    QString m_homePage = QString::fromLatin1(kDefaultHomePage);
    QString m_searchPage = QString::fromLatin1(kDefaultSearchPage);
    // The engine reports the start of a load a little after it was asked for it, and not at all
    // for a jump within the same page; until it answers, a request counts as loading for a while.
    // A load's end never clears a request made after it started.
    bool m_requested = false;
    bool m_loading = false;
    QDeadlineTimer m_requestAnswerBy;
};

} // namespace info
