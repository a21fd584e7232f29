#include "frmhoved.h"

#include "backupwriter.h"

#include "display/face.h"
#include "gamefiles/linefiles.h"
#include "numbers.h"
#include "platform/controls.h"
#include "platform/picturebox.h"
#include "platform/process.h"
#include "platform/textbox.h"
#include "platform/timer.h"
#include "platform/twips.h"
#include "platform/windows.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

namespace gameclock {

using platform::makeButton;
using platform::makeLabel;
using platform::placeTwips;

namespace {

const QString kBegynner = QStringLiteral(" begynner");
const QString kSittTrekk = QStringLiteral(" sitt trekk");
const QString kKlaffenHarFalt = QStringLiteral("Klaffen har falt for ");
const QString kByttSpiller = QStringLiteral("Bytt spiller");
const QString kSpillerA = QStringLiteral("Spiller A");
const QString kSpillerB = QStringLiteral("Spiller B");

platform::AnnouncedLabel *makeReadout(QWidget *parent, const char *name, const QString &prefix)
{
    auto *label = new platform::AnnouncedLabel(QStringLiteral("0"), parent);
    label->setObjectName(QLatin1String(name));
    label->setAnnouncePrefix(prefix);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

// Whatever is typed must fit the files it is saved in.
platform::TextBox *makeTextBox(QWidget *parent, const char *name, const QString &text, const QString &role)
{
    return platform::makeTextBox(parent, name, text, role, gamefiles::kMaxValueLength);
}

platform::PictureBox *makeFace(QWidget *parent, const char *name, const QString &role)
{
    auto *face = new platform::PictureBox(parent);
    face->setObjectName(QLatin1String(name));
    face->setAccessibleName(role);
    return face;
}

// A flag lies on its face and shows its fall in its title.
QGroupBox *makeFlag(QWidget *face, const char *name, const QString &role)
{
    QGroupBox *flag = platform::makeFrame(face, name, QString());
    // The title itself is the name: a fallen flag is announced as it reads.
    flag->setAccessibleDescription(role);
    return flag;
}

platform::Shape *makeShape(QWidget *parent, const char *name)
{
    auto *shape = new platform::Shape(parent);
    shape->setObjectName(QLatin1String(name));
    return shape;
}

} // namespace

frmhoved::frmhoved(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmhoved"));
    setWindowTitle(QStringLiteral("Partivakt v2.0"));
    platform::installAccessibility();

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFont(platform::layoutFont());
    client->setFixedSize(platform::twips(10065), platform::twips(5160));
    setCentralWidget(client);
    buildControls(client);
    buildMenus();
    statusBar()->setObjectName(QStringLiteral("statusbar"));
    statusBar()->setSizeGripEnabled(false);
    m_lasting = new QLabel(statusBar());
    m_lasting->setObjectName(QStringLiteral("lasting"));
    m_lasting->setWordWrap(true);
    m_lasting->setHidden(true);
    statusBar()->addPermanentWidget(m_lasting, 1);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    // Inert until a start button gives them their interval.
    tida = new platform::Timer(this, 0, true);
    tida->setObjectName(QStringLiteral("tida"));
    tidb = new platform::Timer(this, 0, true);
    tidb->setObjectName(QStringLiteral("tidb"));
    Timer1 = new platform::Timer(this, 1, true);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer2 = new platform::Timer(this, 100, true);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    connect(tida, &platform::Timer::timeout, this, &frmhoved::tida_Timer);
    connect(tidb, &platform::Timer::timeout, this, &frmhoved::tidb_Timer);
    connect(Timer1, &platform::Timer::timeout, this, &frmhoved::Timer1_Timer);
    connect(Timer2, &platform::Timer::timeout, this, &frmhoved::Timer2_Timer);

    m_backup = new BackupWriter(gamefiles::kBackupFile, BackupWriter::defaultMode(), this);
    connect(m_backup, &BackupWriter::written, this, &frmhoved::backupWritten);
}

frmhoved::~frmhoved() = default;

void frmhoved::buildControls(QWidget *client)
{
    // Shapes first, so they lie behind everything else.
    Shape4 = makeShape(client, "Shape4");
    placeTwips(Shape4, 600, 840, 8775, 3255);
    Shape1_0 = makeShape(client, "Shape1_0");
    placeTwips(Shape1_0, 720, 960, 3495, 3015);
    Shape1_1 = makeShape(client, "Shape1_1");
    placeTwips(Shape1_1, 5760, 960, 3495, 3015);
    Shape2 = makeShape(client, "Shape2");
    placeTwips(Shape2, 1560, 4200, 1815, 375);
    Shape3 = makeShape(client, "Shape3");
    placeTwips(Shape3, 6600, 4200, 1815, 375);

    starta = makeButton(client, "starta", QStringLiteral("Command2"));
    placeTwips(starta, 4440, 1680, 1095, 495);
    startb = makeButton(client, "startb", QStringLiteral("Command3"));
    placeTwips(startb, 4440, 2280, 1095, 495);
    stans = makeTextBox(client, "stans", QStringLiteral("60"), QStringLiteral("Tid per spiller i minutter"));
    placeTwips(stans, 4560, 1320, 855, 285);
    Command1 = makeButton(client, "Command1", QStringLiteral("Begynn spillet!"));
    placeTwips(Command1, 4440, 1800, 1095, 975);
    Command1->setHidden(true);

    ura = makeFace(client, "ura", QStringLiteral("Klokke for spiller A"));
    placeTwips(ura, 960, 1080, 3100, 2775);
    urb = makeFace(client, "urb", QStringLiteral("Klokke for spiller B"));
    placeTwips(urb, 6000, 1080, 3100, 2775);

    pause = makeButton(client, "pause", QStringLiteral("Pause"));
    placeTwips(pause, 4440, 3000, 1095, 615);
    pause->setEnabled(false);
    pausea = makeButton(client, "pausea", QStringLiteral("Spiller A sitt trekk"));
    placeTwips(pausea, 4440, 2880, 1095, 495);
    pausea->setHidden(true);
    pauseb = makeButton(client, "pauseb", QStringLiteral("Spiller B sitt trekk"));
    placeTwips(pauseb, 4440, 3480, 1095, 495);
    pauseb->setHidden(true);

    spillera = makeTextBox(client, "spillera", kSpillerA, QStringLiteral("Navn på spiller A"));
    placeTwips(spillera, 1680, 480, 1455, 285);
    spillerb = makeTextBox(client, "spillerb", kSpillerB, QStringLiteral("Navn på spiller B"));
    placeTwips(spillerb, 6720, 480, 1455, 285);

    klaffa = makeFlag(ura, "klaffa", QStringLiteral("Klaff for spiller A"));
    placeTwips(klaffa, 240, 0, 2535, 255);
    klaffb = makeFlag(urb, "klaffb", QStringLiteral("Klaff for spiller B"));
    placeTwips(klaffb, 240, 0, 2535, 255);

    Label2 = makeLabel(client, "Label2", QStringLiteral("Tid per spiller:"));
    placeTwips(Label2, 4560, 1080, 1095, 255);
    Label2->setBuddy(stans);

    mina = makeReadout(client, "mina", QStringLiteral("Spiller A, minutter: "));
    placeTwips(mina, 1680, 4320, 255, 255);
    mina2 = makeLabel(client, "mina2", QStringLiteral("Min"));
    placeTwips(mina2, 2040, 4320, 255, 255);
    seka = makeReadout(client, "seka", QStringLiteral("Spiller A, sekunder: "));
    placeTwips(seka, 2520, 4320, 255, 255);
    seka2 = makeLabel(client, "seka2", QStringLiteral("Sek"));
    placeTwips(seka2, 2880, 4320, 375, 255);
    minb = makeReadout(client, "minb", QStringLiteral("Spiller B, minutter: "));
    placeTwips(minb, 6720, 4320, 255, 255);
    minb2 = makeLabel(client, "minb2", QStringLiteral("Min"));
    placeTwips(minb2, 7080, 4320, 255, 255);
    sekb = makeReadout(client, "sekb", QStringLiteral("Spiller B, sekunder: "));
    placeTwips(sekb, 7560, 4320, 255, 255);
    sekb2 = makeLabel(client, "sekb2", QStringLiteral("Sek"));
    placeTwips(sekb2, 7920, 4320, 375, 255);
    // The unit labels only repeat what the read-outs announce.
    for (QLabel *unit : {mina2, seka2, minb2, sekb2})
        unit->setAccessibleName(QStringLiteral(" "));

    Label1 = makeLabel(client, "Label1", QStringLiteral("1"));
    placeTwips(Label1, 4920, 4200, 255, 255);
    Label1->setHidden(true);

    ura->setFocusPolicy(Qt::TabFocus);
    urb->setFocusPolicy(Qt::TabFocus);

    platform::setTabChain({starta, startb, stans, Command1, ura, urb, pause, pausea, pauseb, spillera, spillerb});

    connect(starta, &QPushButton::clicked, this, &frmhoved::starta_Click);
    connect(startb, &QPushButton::clicked, this, &frmhoved::startb_Click);
    connect(Command1, &QPushButton::clicked, this, &frmhoved::Command1_Click);
    connect(pause, &QPushButton::clicked, this, &frmhoved::pause_Click);
    connect(pausea, &QPushButton::clicked, this, &frmhoved::pausea_Click);
    connect(pauseb, &QPushButton::clicked, this, &frmhoved::pauseb_Click);
    // A value is always typed anew.
    for (platform::TextBox *box : {spillera, spillerb, stans})
        connect(box, &platform::TextBox::gotFocus, box, [box] { box->setText(QString()); });
}

void frmhoved::buildMenus()
{
    auto add = [this](QMenu *menu, const char *name, const QString &caption, const QKeySequence &shortcut,
                      void (frmhoved::*handler)()) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        if (!shortcut.isEmpty())
            action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto separator = [](QMenu *menu, const char *name) { menu->addSeparator()->setObjectName(QLatin1String(name)); };

    Spill = menuBar()->addMenu(QStringLiteral("&Spill"));
    Spill->setObjectName(QStringLiteral("Spill"));
    Nytt = add(Spill, "Nytt", QStringLiteral("&Nytt spill"), QKeySequence(QStringLiteral("Ctrl+N")),
               &frmhoved::Nytt_Click);
    separator(Spill, "strek1");
    Apne = add(Spill, "Apne", QStringLiteral("&Åpne..."), QKeySequence(QStringLiteral("Ctrl+O")), &frmhoved::opengame);
    Lagre = add(Spill, "Lagre", QStringLiteral("&Lagre"), QKeySequence(QStringLiteral("Ctrl+S")), &frmhoved::quicksave);
    LagreSom = add(Spill, "LagreSom", QStringLiteral("Lagre &som..."), QKeySequence(QStringLiteral("Ctrl+Shift+S")),
                   &frmhoved::saveas);
    separator(Spill, "strek2");
    Alternativer = add(Spill, "Alternativer", QStringLiteral("&Alternativer..."), {}, &frmhoved::Alternativer_Click);
    separator(Spill, "strek3");
    Avslutt = add(Spill, "Avslutt", QStringLiteral("&Avslutt"), QKeySequence(QStringLiteral("Ctrl+Q")),
                  &frmhoved::Avslutt_Click);

    hjelp1 = menuBar()->addMenu(QStringLiteral("&Hjelp"));
    hjelp1->setObjectName(QStringLiteral("hjelp1"));
    Regler = add(hjelp1, "Regler", QStringLiteral("&Sjakk regler"), {}, &frmhoved::Regler_Click);
    Nettleser = add(hjelp1, "Nettleser", QStringLiteral("&Nettleser"), {}, &frmhoved::Nettleser_Click);
    separator(hjelp1, "strek4");
    Om = add(hjelp1, "Om", QStringLiteral("&Om Partivakt"), {}, &frmhoved::Om_Click);
}

// ---- start-up ----------------------------------------------------------------------------------

void frmhoved::Timer1_Timer()
{
    for (QLabel *readout : {mina, minb, seka, sekb})
        readout->setText(QStringLiteral("0"));
    klaffa->setTitle(QString());
    klaffb->setTitle(QString());
    tida->setEnabled(false);
    tidb->setEnabled(false);
    spillera->setEnabled(true);
    spillerb->setEnabled(true);
    stans->setEnabled(true);
    Label1->setText(QStringLiteral("1"));
    pause->setHidden(false);
    pause->setEnabled(false);
    pausea->setHidden(true);
    pauseb->setHidden(true);
    Command1->setEnabled(true);
    Command1->setText(kByttSpiller);
    starta->setHidden(false);
    startb->setHidden(false);
    Command1->setHidden(true);

    // The program must come up without the file: what it lacks comes from the defaults.
    const gamefiles::SettingsRead settings = gamefiles::readSettings();
    spillera->setText(settings.values.spillera);
    spillerb->setText(settings.values.spillerb);
    stans->setText(settings.values.stans);
    if (settings.error)
        report(settings.error->message() + QStringLiteral(" Standardverdiene brukes."));

    refreshFace(true, true);
    refreshFace(false, true);

    Timer1->setEnabled(false);
}

// ---- faces -------------------------------------------------------------------------------------

void frmhoved::drawhanda(double x, double y, std::optional<double> value, double length)
{
    display::drawHand(*ura, x, y, value, length);
}

void frmhoved::drawhandb(double x, double y, std::optional<double> value, double length)
{
    display::drawHand(*urb, x, y, value, length);
}

void frmhoved::Timer2_Timer()
{
    starta->setText(spillera->text() + kBegynner);
    startb->setText(spillerb->text() + kBegynner);
    if (numericValue(stans->text()) == 0)
        return;
    // Face B keeps the fill colour the start-up gave it.
    refreshFace(false, false);
    refreshFace(true, true);
}

void frmhoved::refreshFace(bool playerA, bool setFillColour)
{
    const auto hand = [this, playerA](double x, double y, std::optional<double> v, double l) {
        playerA ? drawhanda(x, y, v, l) : drawhandb(x, y, v, l);
    };
    platform::PictureBox &box = playerA ? *ura : *urb;
    QLabel *minutes = playerA ? mina : minb;
    QLabel *seconds = playerA ? seka : sekb;
    if (setFillColour)
        box.setFillColor(display::kDiscColour);
    // Nine refreshes in ten find the read-outs as they were: a canvas that still holds the drawing
    // of the same values would come out the same again.
    const FaceDrawn wanted{strictNumber(minutes->text()), strictNumber(seconds->text()), box.fillColor(),
                           box.foreColor(), box.drawCount()};
    FaceDrawn &last = m_faceDrawn[playerA ? 0 : 1];
    if (wanted == last) {
        // The properties a drawing leaves behind.
        box.setFillStyle(platform::PictureBox::FillStyle::Transparent);
        box.setDrawWidth(1);
        return;
    }
    display::faceRefresh(box, wanted.minutes, wanted.seconds, hand, false);
    last = wanted;
    last.drawCount = box.drawCount();
}

// ---- game start and switching ------------------------------------------------------------------

void frmhoved::startGame(bool playerA)
{
    if (numericValue(stans->text()) > 60)
        stans->setText(QStringLiteral("60"));
    // B starting gets the longer minimum.
    const double lowest = playerA ? 1 : 10;
    if (numericValue(stans->text()) < lowest)
        stans->setText(numberToText(lowest));
    if (spillera->text().isEmpty())
        spillera->setText(kSpillerA);
    if (spillerb->text().isEmpty())
        spillerb->setText(kSpillerB);
    stans->setEnabled(false);
    pause->setEnabled(true);
    spillera->setEnabled(false);
    spillerb->setEnabled(false);
    Command1->setText(kByttSpiller);
    tida->setInterval(1000);
    tidb->setInterval(1000);
    Command1->setEnabled(true);
    if (playerA) {
        Label1->setText(QStringLiteral("1"));
        tidb->setEnabled(false);
        tida->setEnabled(true);
    } else {
        Label1->setText(QStringLiteral("0"));
        tida->setEnabled(false);
        tidb->setEnabled(true);
    }
    stans->setText(numberToText(numericValue(stans->text())));
    Command1->setHidden(false);
    starta->setHidden(true);
    startb->setHidden(true);
    // One key works the clock at the board: Space on the switch button hands over the move.
    Command1->setFocus(Qt::OtherFocusReason);
}

void frmhoved::starta_Click()
{
    startGame(true);
}

void frmhoved::startb_Click()
{
    startGame(false);
}

void frmhoved::Command1_Click()
{
    if (numericValue(Label1->text()) == 0) {
        tidb->setEnabled(false);
        tida->setEnabled(true);
        Label1->setText(QStringLiteral("1"));
    } else {
        Label1->setText(QStringLiteral("0"));
        tida->setEnabled(false);
        tidb->setEnabled(true);
    }
}

// ---- counting ----------------------------------------------------------------------------------

void frmhoved::tick(QLabel *sek, QLabel *min, QGroupBox *klaff, platform::TextBox *spiller)
{
    const std::optional<double> seconds = strictNumber(sek->text());
    const std::optional<double> minutes = strictNumber(min->text());
    if (!seconds || !minutes) {
        // Only a damaged file could bring this; counting on from a guess would corrupt the game.
        report(QStringLiteral("Klokken kan ikke telle videre: avlesningen «%1:%2» er ikke et tall.")
                   .arg(min->text(), sek->text()));
        return;
    }
    sek->setText(numberToText(*seconds + 1));
    if (strictNumber(sek->text()) == 60.0) {
        min->setText(numberToText(*minutes + 1));
        sek->setText(QStringLiteral("0"));
    }
    if (numericValue(stans->text()) == strictNumber(min->text()))
        klaff->setTitle(kKlaffenHarFalt + spiller->text());
    writeBackup();
}

void frmhoved::tida_Timer()
{
    tick(seka, mina, klaffa, spillera);
}

void frmhoved::tidb_Timer()
{
    tick(sekb, minb, klaffb, spillerb);
}

gamefiles::GameValues frmhoved::gameValues() const
{
    return {mina->text(), seka->text(), minb->text(), sekb->text(), spillera->text(), spillerb->text(), stans->text()};
}

void frmhoved::writeBackup()
{
    m_backup->write(gameValues());
}

bool frmhoved::finishBackup(int timeoutMs)
{
    return m_backup->waitForIdle(timeoutMs);
}

void frmhoved::backupWritten(const std::optional<gamefiles::FileError> &error)
{
    if (error) {
        // Once per outage: the clock goes on, the message stays until a write succeeds again.
        if (m_backupFailure.isEmpty()) {
            m_backupFailure = QStringLiteral("Sikkerhetskopien kan ikke lagres. ") + error->message();
            report(m_backupFailure);
        }
        return;
    }
    if (!m_backupFailure.isEmpty()) {
        if (reportedMessage() == m_backupFailure)
            statusBar()->clearMessage();
        m_backupFailure.clear();
    }
}

// ---- pause, resume, new game, exit -------------------------------------------------------------

void frmhoved::pause_Click()
{
    Command1->setEnabled(false);
    tida->setEnabled(false);
    tidb->setEnabled(false);
    pause->setHidden(true);
    pausea->setText(spillera->text() + kSittTrekk);
    pausea->setHidden(false);
    pauseb->setText(spillerb->text() + kSittTrekk);
    pauseb->setHidden(false);
    // The focus was on the pause button, now hidden: offer the first resume button instead.
    pausea->setFocus(Qt::OtherFocusReason);
}

void frmhoved::resume(bool playerA)
{
    (playerA ? tida : tidb)->setEnabled(true);
    Label1->setText(QLatin1String(playerA ? "1" : "0"));
    tida->setInterval(1000);
    tidb->setInterval(1000);
    pause->setHidden(false);
    pausea->setHidden(true);
    pauseb->setHidden(true);
    Command1->setEnabled(true);
    Command1->setFocus(Qt::OtherFocusReason);
}

void frmhoved::pausea_Click()
{
    resume(true);
}

void frmhoved::pauseb_Click()
{
    resume(false);
}

void frmhoved::Nytt_Click()
{
    Timer1->setEnabled(true);
}

void frmhoved::Avslutt_Click()
{
    // At once, but not before the last counted second is on disk (a few milliseconds at most).
    finishBackup();
    platform::endProgram(0);
}

void frmhoved::closeEvent(QCloseEvent *event)
{
    event->accept();
    // The other windows have no life without the clock.
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible())
            w->close();
    QCoreApplication::quit();
}

// ---- other windows -----------------------------------------------------------------------------

void frmhoved::timeLimitCheck()
{
    if (!stans->isEnabled())
        return;
    if (numericValue(stans->text()) == 0)
        stans->setText(QStringLiteral("60"));
    starta->setFocus(Qt::OtherFocusReason);
}

void frmhoved::Alternativer_Click()
{
    timeLimitCheck();
    Q_EMIT optionsRequested();
}

void frmhoved::Om_Click()
{
    timeLimitCheck();
    Q_EMIT aboutRequested();
}

void frmhoved::Regler_Click()
{
    Q_EMIT rulesRequested();
}

void frmhoved::Nettleser_Click()
{
    Q_EMIT browserRequested();
}

void frmhoved::opengame()
{
    timeLimitCheck();
    Q_EMIT openRequested();
}

void frmhoved::saveas()
{
    timeLimitCheck();
    Q_EMIT saveAsRequested();
}

void frmhoved::quicksave()
{
    const gamefiles::PathRead target = gamefiles::readPathFile();
    if (target.error || target.path.isEmpty()) {
        // Nothing saved through the window yet: ask where instead of failing.
        saveas();
        return;
    }
    if (const auto error = gamefiles::writeGameFile(target.path, gameValues()))
        report(error->message());
    else
        report(gamefiles::savedMessage(target.path));
}

// ---- status ------------------------------------------------------------------------------------

void frmhoved::report(const QString &message)
{
    statusBar()->showMessage(message);
}

QString frmhoved::reportedMessage() const
{
    return statusBar()->currentMessage();
}

void frmhoved::setLasting(Lasting state, const QString &message)
{
    if (lastingMessage(state) == message)
        return;
    if (message.isEmpty())
        m_lastingStates.erase(state);
    else
        m_lastingStates[state] = message;
    const QString text = lastingText();
    m_lasting->setText(text);
    // A screen reader hears the new state as it comes.
    m_lasting->setAccessibleName(text);
    m_lasting->setHidden(text.isEmpty());
}

QString frmhoved::lastingMessage(Lasting state) const
{
    const auto it = m_lastingStates.find(state);
    return it == m_lastingStates.end() ? QString() : it->second;
}

QString frmhoved::lastingText() const
{
    QStringList parts;
    for (const auto &[state, message] : m_lastingStates)
        parts.append(message);
    return parts.join(QLatin1Char('\n'));
}

} // namespace gameclock
