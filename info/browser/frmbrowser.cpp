#include "frmbrowser.h"

#include "browsericons.h"
#include "toolkit/twips.h"
#include "webbrowser.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolBar>

#include <array>

namespace info {

namespace {

const QString kLoading = QStringLiteral("Laster siden...");

// The window's client area, 11175 x 8055 twips when the window opens.
class ClientArea : public QWidget {
public:
    using QWidget::QWidget;
    QSize sizeHint() const override { return QSize(toolkit::twips(11175), toolkit::twips(8055)); }
};

} // namespace

AddressBox::AddressBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    // The list is kept by the window alone: typing never adds to it, completes from it or
    // selects in it.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    // Leaving the box, or Enter, would otherwise select an entry equal to the typed text and so
    // navigate a second time.
    disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
}

void AddressBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        Q_EMIT keyPressed(13);
    else if (!event->text().isEmpty())
        Q_EMIT keyPressed(event->text().at(0).unicode());
    // The key still reaches the box.
    QComboBox::keyPressEvent(event);
}

frmbrowser::frmbrowser(const QString &homeAddress, QWidget *parent) : QMainWindow(parent), m_homeAddress(homeAddress)
{
    setObjectName(QStringLiteral("frmbrowser"));
    setWindowTitle(QStringLiteral("Form1"));

    auto *client = new ClientArea(this);
    client->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(client);

    picAddress = new QWidget(client);
    picAddress->setObjectName(QStringLiteral("picAddress"));
    lblAddress = new QLabel(QStringLiteral("&Address:"), picAddress);
    lblAddress->setObjectName(QStringLiteral("lblAddress"));
    cboAddress = new AddressBox(picAddress);
    cboAddress->setObjectName(QStringLiteral("cboAddress"));
    lblAddress->setBuddy(cboAddress);
    brwWebBrowser = new WebBrowser(client);
    brwWebBrowser->setObjectName(QStringLiteral("brwWebBrowser"));
    timTimer = new toolkit::Timer(this, 5, false);
    timTimer->setObjectName(QStringLiteral("timTimer"));
    imlIcons = browserPictures();

    tbToolBar = new QToolBar(QStringLiteral("Nettleserknapper"), this);
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setMovable(false);
    tbToolBar->setIconSize(QSize(kBrowserPictureSize, kBrowserPictureSize));
    addToolBar(Qt::TopToolBarArea, tbToolBar);
    for (std::size_t i = 0; i < kBrowserCommands.size(); ++i) {
        const info::BrowserCommand &c = kBrowserCommands[i];
        auto *action =
            tbToolBar->addAction(browserCommandIcon(c, imlIcons.at(qsizetype(i))), QString::fromUtf8(c.text));
        const QString key = QString::fromLatin1(c.key);
        action->setObjectName(key);
        connect(action, &QAction::triggered, this, [this, key] { BrowserCommand(key); });
    }

    connect(brwWebBrowser, &WebBrowser::NavigateComplete, this, &frmbrowser::brwWebBrowser_NavigateComplete);
    connect(brwWebBrowser, &WebBrowser::DownloadComplete, this, &frmbrowser::brwWebBrowser_DownloadComplete);
    connect(cboAddress, &QComboBox::activated, this, &frmbrowser::cboAddress_Click);
    connect(cboAddress, &AddressBox::keyPressed, this, &frmbrowser::cboAddress_KeyPress);
    connect(timTimer, &toolkit::Timer::timeout, this, &frmbrowser::timTimer_Timer);

    placeControls();
    client->installEventFilter(this);
    resize(sizeHint());
}

frmbrowser::~frmbrowser() = default;

void frmbrowser::placeControls()
{
    const auto place = [](QWidget *w, const QRect &t) { toolkit::placeTwips(w, t.x(), t.y(), t.width(), t.height()); };
    place(picAddress, m_picAddress);
    place(lblAddress, m_lblAddress);
    place(cboAddress, m_cboAddress);
    place(brwWebBrowser, m_brwWebBrowser);
}

bool frmbrowser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize) {
        // The address bar is aligned to the top edge, so its width follows the window.
        m_picAddress.setWidth(centralWidget()->width() * toolkit::kTwipsPerPixel);
        Form_Resize();
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmbrowser::Form_Load()
{
    cboAddress->setEditText(m_homeAddress);
    timTimer->setEnabled(true);
    brwWebBrowser->Navigate(cboAddress->currentText());

    // From here on a step that fails is passed over and the next one runs: none of them looks at
    // how the one before went.
    show();
    Form_Resize();
    m_cboAddress.moveTo(50, m_lblAddress.top() + m_lblAddress.height() + 15);
    placeControls();
    if (!StartingAddress.isEmpty()) {
        cboAddress->setEditText(StartingAddress);
        if (cboAddress->findText(StartingAddress, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
            cboAddress->addItem(StartingAddress);
        timTimer->setEnabled(true);
        brwWebBrowser->Navigate(StartingAddress);
    }
}

void frmbrowser::Form_Resize()
{
    resizeClientTwips(float(centralWidget()->width() * toolkit::kTwipsPerPixel),
                      float(centralWidget()->height() * toolkit::kTwipsPerPixel));
}

void frmbrowser::resizeClientTwips(float width, float height)
{
    const float controlWidth = width - 100.0f;
    const float browserHeight = height - float(m_picAddress.top() + m_picAddress.height()) - 100.0f;
    // A window smaller than the margins keeps the sizes it had rather than get negative ones.
    if (controlWidth >= 0.0f) {
        m_cboAddress.setWidth(qRound(controlWidth));
        m_brwWebBrowser.setWidth(qRound(controlWidth));
    }
    if (browserHeight >= 0.0f)
        m_brwWebBrowser.setHeight(qRound(browserHeight));
    placeControls();
}

void frmbrowser::brwWebBrowser_NavigateComplete(const QString &)
{
    setWindowTitle(brwWebBrowser->LocationName());
    int found = -1;
    for (int i = 0; i < cboAddress->count(); ++i) {
        if (cboAddress->itemText(i) == brwWebBrowser->LocationURL()) {
            found = i;
            break;
        }
    }
    bUpdatingList = true;
    if (found >= 0)
        cboAddress->removeItem(found);
    cboAddress->insertItem(0, brwWebBrowser->LocationURL());
    selectListIndex(0);
    bUpdatingList = false;
}

void frmbrowser::selectListIndex(int index)
{
    // Selecting an entry sets the text and counts as a selection, as a choice from the list does.
    cboAddress->setCurrentIndex(index);
    cboAddress->setEditText(cboAddress->itemText(index));
    cboAddress_Click();
}

void frmbrowser::brwWebBrowser_DownloadComplete()
{
    setWindowTitle(brwWebBrowser->LocationName());
}

void frmbrowser::cboAddress_Click()
{
    if (bUpdatingList)
        return;
    timTimer->setEnabled(true);
    brwWebBrowser->Navigate(cboAddress->currentText());
}

void frmbrowser::cboAddress_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        cboAddress_Click();
}

void frmbrowser::timTimer_Timer()
{
    if (!brwWebBrowser->Busy()) {
        timTimer->setEnabled(false);
        setWindowTitle(brwWebBrowser->LocationName());
    } else {
        setWindowTitle(kLoading);
    }
}

void frmbrowser::BrowserCommand(const QString &key)
{
    // A command that cannot run (nothing to go back to) is passed over like any other failure.
    timTimer->setEnabled(true);
    if (key == QLatin1String("Back")) {
        brwWebBrowser->GoBack();
    } else if (key == QLatin1String("Forward")) {
        brwWebBrowser->GoForward();
    } else if (key == QLatin1String("Refresh")) {
        brwWebBrowser->Refresh();
    } else if (key == QLatin1String("Home")) {
        brwWebBrowser->GoHome();
    } else if (key == QLatin1String("Search")) {
        brwWebBrowser->GoSearch();
    } else if (key == QLatin1String("Stop")) {
        timTimer->setEnabled(false);
        brwWebBrowser->Stop();
        setWindowTitle(brwWebBrowser->LocationName());
    }
}

} // namespace info
