#pragma once

#include "info/homepage.h"
#include "toolkit/timer.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QList>
#include <QMainWindow>
#include <QRect>

class QAction;
class QToolBar;

namespace info {

class WebBrowser;

// The address box: an editable text with a drop-down list of visited addresses. It reports the
// Enter key before handling it, and a selection from its list only when the user makes one.
class AddressBox : public QComboBox {
    Q_OBJECT
public:
    explicit AddressBox(QWidget *parent = nullptr);

Q_SIGNALS:
    void keyPressed(int characterCode);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

// The small web browser window: an address bar with the visited addresses, the browser control
// below it, a toolbar with the six browser commands and the busy indicator in the title bar.
class frmbrowser : public QMainWindow {
    Q_OBJECT
public:
    // The maker's home page, where the window opens.
    explicit frmbrowser(const QString &homeAddress = kMakerHomePage, QWidget *parent = nullptr);
    ~frmbrowser() override;

    // ---- controls ----
    QWidget *picAddress;
    QLabel *lblAddress;
    AddressBox *cboAddress;
    WebBrowser *brwWebBrowser;
    toolkit::Timer *timTimer;
    QList<QImage> imlIcons;
    QToolBar *tbToolBar;

    // ---- state ----
    QString StartingAddress;
    QString homeAddress() const { return m_homeAddress; }

    // ---- handlers ----
    void Form_Load();
    void Form_Resize();
    void brwWebBrowser_NavigateComplete(const QString &url);
    void brwWebBrowser_DownloadComplete();
    void cboAddress_Click();
    void cboAddress_KeyPress(int keyAscii);
    void timTimer_Timer();
    void BrowserCommand(const QString &key);

    // The resize rule for a client area of the given size in twips. A size below the margins
    // leaves the sizes it would make negative as they were.
    void resizeClientTwips(float width, float height);

    // Where the controls stand, in twips of the client area.
    QRect cboAddressTwips() const { return m_cboAddress; }
    QRect brwWebBrowserTwips() const { return m_brwWebBrowser; }
    QRect lblAddressTwips() const { return m_lblAddress; }
    QWidget *clientArea() const { return centralWidget(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeControls();
    void selectListIndex(int index);

    QString m_homeAddress;
    bool bUpdatingList = false;
    QRect m_picAddress{0, 0, 11175, 675};
    QRect m_lblAddress{45, 60, 3075, 255};
    QRect m_cboAddress{45, 300, 3795, 315};
    QRect m_brwWebBrowser{120, 840, 11040, 6975};
};

} // namespace info
