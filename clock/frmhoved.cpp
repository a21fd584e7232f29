#include "frmhoved.h"

#include "backupwriter.h"
#include "boardview.h"
#include "captions.h"
#include "timecontrolstore.h"

#include "desktop/process.h"
#include "display/face.h"
#include "gamefiles/linefiles.h"
#include "limits.h"
#include "numbers.h"
#include "sidetext.h"
#include "toolkit/controls.h"
#include "toolkit/controltable.h"
#include "toolkit/liveaccessible.h"
#include "toolkit/picturebox.h"
#include "toolkit/playerkeys.h"
#include "toolkit/textbox.h"
#include "toolkit/timer.h"
#include "toolkit/windows.h"
#include "toolkit/zoom.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTime>

#include <algorithm>
#include <cmath>

namespace gameclock {

namespace {

const QString kByttSpiller = QStringLiteral("Bytt spiller");
// Names and limit of a new window and of an empty box, as the settings file has them.
const gamefiles::SettingsValues kDefaults;

using toolkit::ControlKind;
using toolkit::ControlState;
using toolkit::kNoTab;

// The main window as it was drawn. The name boxes and the limit box get their text from the
// settings' defaults.
constexpr toolkit::ControlRow kControls[] = {
    // Shapes first, so they lie behind everything else.
    {"Shape4", ControlKind::Shape, "", 600, 840, 8775, 3255},
    {"Shape1_0", ControlKind::PlayerFrame, "", 720, 960, 3495, 3015},
    {"Shape1_1", ControlKind::PlayerFrame, "", 5760, 960, 3495, 3015},
    {"Shape2", ControlKind::Shape, "", 1560, 4200, 1815, 375},
    {"Shape3", ControlKind::Shape, "", 6600, 4200, 1815, 375},
    {"starta", ControlKind::CommandButton, "Command2", 4440, 1680, 1095, 495, nullptr, 0},
    {"startb", ControlKind::CommandButton, "Command3", 4440, 2280, 1095, 495, nullptr, 1},
    {"stans", ControlKind::TextBox, "", 4560, 1320, 855, 285, nullptr, 2},
    {"Command1", ControlKind::CommandButton, "Begynn spillet!", 4440, 1800, 1095, 975, nullptr, 3,
     ControlState::Hidden},
    {"ura", ControlKind::PictureBox, "", 960, 1080, 3100, 2775, nullptr, 4},
    {"urb", ControlKind::PictureBox, "", 6000, 1080, 3100, 2775, nullptr, 5},
    {"pause", ControlKind::CommandButton, "Pause", 4440, 3000, 1095, 615, nullptr, 6, ControlState::Disabled},
    {"pausea", ControlKind::CommandButton, "Spiller A sitt trekk", 4440, 2880, 1095, 495, nullptr, 7,
     ControlState::Hidden},
    {"pauseb", ControlKind::CommandButton, "Spiller B sitt trekk", 4440, 3480, 1095, 495, nullptr, 8,
     ControlState::Hidden},
    {"spillera", ControlKind::TextBox, "", 1680, 480, 1455, 285, nullptr, 9},
    {"spillerb", ControlKind::TextBox, "", 6720, 480, 1455, 285, nullptr, 10},
    // A flag lies on its face.
    {"klaffa", ControlKind::FlagStrip, "", 240, 0, 2535, 255, "ura"},
    {"klaffb", ControlKind::FlagStrip, "", 240, 0, 2535, 255, "urb"},
    {"Label2", ControlKind::Label, "Tid per spiller:", 4560, 1080, 1095, 255},
    {"mina", ControlKind::AnnouncedLabel, "0", 1680, 4320, 255, 255},
    {"mina2", ControlKind::Label, "Min", 2040, 4320, 255, 255},
    {"seka", ControlKind::AnnouncedLabel, "0", 2520, 4320, 255, 255},
    {"seka2", ControlKind::Label, "Sek", 2880, 4320, 375, 255},
    {"minb", ControlKind::AnnouncedLabel, "0", 6720, 4320, 255, 255},
    {"minb2", ControlKind::Label, "Min", 7080, 4320, 255, 255},
    {"sekb", ControlKind::AnnouncedLabel, "0", 7560, 4320, 255, 255},
    {"sekb2", ControlKind::Label, "Sek", 7920, 4320, 375, 255},
    {"Label1", ControlKind::Label, "1", 4920, 4200, 255, 255, nullptr, kNoTab, ControlState::Hidden},
};
static_assert(toolkit::tableFault(kControls) == toolkit::TableFault::None);

// A count-down game's own controls, drawn over the classic ones they stand for, which it hides: the
// control's name where the limit box stands, the time left in the read-outs' frame, the moves below.
constexpr toolkit::ControlRow kCountdownControls[] = {
    {"kontroll", ControlKind::Label, "", 4290, 1290, 1395, 345, nullptr, kNoTab, ControlState::Hidden},
    {"igjena", ControlKind::AnnouncedLabel, "", 1665, 4215, 1605, 345, nullptr, kNoTab, ControlState::Hidden},
    {"igjenb", ControlKind::AnnouncedLabel, "", 6705, 4215, 1605, 345, nullptr, kNoTab, ControlState::Hidden},
    {"trekka", ControlKind::AnnouncedLabel, "", 1560, 4635, 1815, 285, nullptr, kNoTab, ControlState::Hidden},
    {"trekkb", ControlKind::AnnouncedLabel, "", 6600, 4635, 1815, 285, nullptr, kNoTab, ControlState::Hidden},
};
static_assert(toolkit::tableFault(kCountdownControls) == toolkit::TableFault::None);
const QString kTidPerSpiller = QStringLiteral("Tid per spiller:");
const QString kTidskontrollLabel = QStringLiteral("Tidskontroll:");

toolkit::AnnouncedLabel *readout(const toolkit::BuiltControls &built, const char *name, const QString &prefix)
{
    auto *label = built.get<toolkit::AnnouncedLabel>(name);
    label->setAnnouncePrefix(prefix);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

// Whatever is typed must fit the files it is saved in.
toolkit::TextBox *textBox(const toolkit::BuiltControls &built, const char *name, const QString &text,
                          const QString &role)
{
    auto *box = built.get<toolkit::TextBox>(name);
    box->setText(text);
    box->setAccessibleName(role);
    box->setMaxLength(gamefiles::kMaxValueLength);
    return box;
}

} // namespace

frmhoved::frmhoved(QWidget *parent) : QMainWindow(parent), m_game(new Game(this))
{
    setObjectName(QStringLiteral("frmhoved"));
    setWindowTitle(QStringLiteral("Partivakt v" PARTIVAKT_VERSION));
    toolkit::installAccessibility();

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFont(toolkit::layoutFont());
    buildControls(client);
    // The layout keeps its proportions at any size of the window, centred on a neutral ground.
    m_stage = new toolkit::ZoomStage(client, 10065, 5160, this);
    setCentralWidget(m_stage);
    connect(m_stage, &toolkit::ZoomStage::zoomChanged, this, &frmhoved::zoomChanged);
    countdownFonts(1.0);
    buildMenus();
    statusBar()->setObjectName(QStringLiteral("statusbar"));
    statusBar()->setSizeGripEnabled(false);
    m_lasting = new LastingStatus(statusBar());
    connect(m_lasting, &LastingStatus::changed, this, &frmhoved::lastingChanged);
    connect(m_lasting, &LastingStatus::changed, this, &frmhoved::followStatusBar);

    // Inert until a start button gives them their interval.
    tida = new toolkit::Timer(this, 0, true);
    tida->setObjectName(QStringLiteral("tida"));
    tidb = new toolkit::Timer(this, 0, true);
    tidb->setObjectName(QStringLiteral("tidb"));
    Timer1 = new toolkit::Timer(this, 1, true);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer2 = new toolkit::Timer(this, 100, true);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    connect(tida, &toolkit::Timer::timeout, this, &frmhoved::tida_Timer);
    connect(tidb, &toolkit::Timer::timeout, this, &frmhoved::tidb_Timer);
    connect(Timer1, &toolkit::Timer::timeout, this, &frmhoved::Timer1_Timer);
    connect(Timer2, &toolkit::Timer::timeout, this, &frmhoved::Timer2_Timer);

    m_backup = new BackupWriter(gamefiles::kBackupFile, BackupWriter::defaultMode(), this);
    connect(m_backup, &BackupWriter::written, this, &frmhoved::backupWritten);

    m_keys = new toolkit::PlayerKeys(this);
    connect(m_keys, &toolkit::PlayerKeys::pressed, this, &frmhoved::sideKey);
    connect(m_keys, &toolkit::PlayerKeys::timeRequested, this, &frmhoved::timeRequested);
    connect(m_keys, &toolkit::PlayerKeys::controlPressed, this, &frmhoved::silenceRequested);
    connect(tida, &toolkit::Timer::activeChanged, this, &frmhoved::followClocks);
    connect(tidb, &toolkit::Timer::activeChanged, this, &frmhoved::followClocks);

    // The window is one view of the game; the backup is another.
    connect(m_game, &Game::changed, this, &frmhoved::showGame);
    connect(m_game, &Game::backupDue, this, &frmhoved::writeBackup);
    connect(m_game, &Game::countingFailed, this, &frmhoved::report);
    bindToGame();
    resize(sizeHint());
}

frmhoved::~frmhoved() = default;

toolkit::ControlTable frmhoved::controlTable()
{
    return kControls;
}

void frmhoved::buildControls(QWidget *client)
{
    const toolkit::BuiltControls built = toolkit::buildControls(client, kControls);
    Shape4 = built.get<toolkit::Shape>("Shape4");
    Shape1_0 = built.get<toolkit::PlayerFrame>("Shape1_0");
    Shape1_1 = built.get<toolkit::PlayerFrame>("Shape1_1");
    Shape2 = built.get<toolkit::Shape>("Shape2");
    Shape3 = built.get<toolkit::Shape>("Shape3");
    starta = built.get<toolkit::CommandButton>("starta");
    startb = built.get<toolkit::CommandButton>("startb");
    Command1 = built.get<toolkit::CommandButton>("Command1");
    pause = built.get<toolkit::CommandButton>("pause");
    pausea = built.get<toolkit::CommandButton>("pausea");
    pauseb = built.get<toolkit::CommandButton>("pauseb");
    stans = textBox(built, "stans", kDefaults.stans, QStringLiteral("Tid per spiller i minutter"));
    spillera = textBox(built, "spillera", kDefaults.spillera, QStringLiteral("Navn på spiller A"));
    spillerb = textBox(built, "spillerb", kDefaults.spillerb, QStringLiteral("Navn på spiller B"));

    ura = built.get<toolkit::PictureBox>("ura");
    urb = built.get<toolkit::PictureBox>("urb");
    // The whole side in words, as it is when the screen reader asks: on focus, where am I, flat
    // review. Only a change of state is announced (followAccessible), never a second.
    for (const Player p : kPlayers)
        toolkit::setLiveAccessibleText(p == Player::A ? ura : urb, QAccessible::Graphic,
                                       [this, p](QAccessible::Text t) {
                                           if (t == QAccessible::Description)
                                               return p == Player::A ? QStringLiteral("Klokke for spiller A")
                                                                     : QStringLiteral("Klokke for spiller B");
                                           return sideText(side(p), phase());
                                       });
    ura->setFocusPolicy(Qt::TabFocus);
    urb->setFocusPolicy(Qt::TabFocus);
    klaffa = built.get<toolkit::FlagStrip>("klaffa");
    klaffb = built.get<toolkit::FlagStrip>("klaffb");
    // The title itself is the name: a fallen flag is announced as it reads.
    klaffa->setAccessibleDescription(QStringLiteral("Klaff for spiller A"));
    klaffb->setAccessibleDescription(QStringLiteral("Klaff for spiller B"));

    Label2 = built.get<QLabel>("Label2");
    Label2->setBuddy(stans);
    mina = readout(built, "mina", QStringLiteral("Spiller A, minutter: "));
    seka = readout(built, "seka", QStringLiteral("Spiller A, sekunder: "));
    minb = readout(built, "minb", QStringLiteral("Spiller B, minutter: "));
    sekb = readout(built, "sekb", QStringLiteral("Spiller B, sekunder: "));
    mina2 = built.get<QLabel>("mina2");
    seka2 = built.get<QLabel>("seka2");
    minb2 = built.get<QLabel>("minb2");
    sekb2 = built.get<QLabel>("sekb2");
    // The unit labels only repeat what the read-outs announce.
    for (QLabel *unit : {mina2, seka2, minb2, sekb2})
        unit->setAccessibleName(QStringLiteral(" "));
    Label1 = built.get<toolkit::FitLabel>("Label1");

    const toolkit::BuiltControls countdown = toolkit::buildControls(client, kCountdownControls);
    kontroll = countdown.get<toolkit::FitLabel>("kontroll");
    kontroll->setAlignment(Qt::AlignCenter);
    kontroll->setWordWrap(true);
    igjena = countdown.get<toolkit::AnnouncedLabel>("igjena");
    igjenb = countdown.get<toolkit::AnnouncedLabel>("igjenb");
    trekka = countdown.get<toolkit::AnnouncedLabel>("trekka");
    trekkb = countdown.get<toolkit::AnnouncedLabel>("trekkb");
    for (QLabel *label : {static_cast<QLabel *>(igjena), static_cast<QLabel *>(igjenb), static_cast<QLabel *>(trekka),
                          static_cast<QLabel *>(trekkb)})
        label->setAlignment(Qt::AlignCenter);
    // Ten times a second in the last ten seconds: an opaque read-out is drawn alone, not the frame
    // it lies in with it (it keeps clear of the frame's rounded corners).
    for (QLabel *label : {static_cast<QLabel *>(igjena), static_cast<QLabel *>(igjenb)})
        label->setAutoFillBackground(true);
    // Names come from files and from what was typed: never read as markup.
    for (QLabel *label : client->findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);

    connect(starta, &QPushButton::clicked, this, &frmhoved::starta_Click);
    connect(startb, &QPushButton::clicked, this, &frmhoved::startb_Click);
    connect(Command1, &QPushButton::pressed, this, &frmhoved::switchPressed);
    connect(Command1, &QPushButton::clicked, this, &frmhoved::Command1_Click);
    connect(pause, &QPushButton::clicked, this, &frmhoved::pause_Click);
    connect(pausea, &QPushButton::clicked, this, &frmhoved::pausea_Click);
    connect(pauseb, &QPushButton::clicked, this, &frmhoved::pauseb_Click);
    // A value is always typed anew.
    for (toolkit::TextBox *box : {spillera, spillerb, stans})
        connect(box, &toolkit::TextBox::gotFocus, box, [box] { box->setText(QString()); });
}

void frmhoved::bindToGame()
{
    connect(spillera, &QLineEdit::textChanged, m_game, [this](const QString &t) { m_game->setName(Player::A, t); });
    connect(spillerb, &QLineEdit::textChanged, m_game, [this](const QString &t) { m_game->setName(Player::B, t); });
    connect(stans, &QLineEdit::textChanged, m_game, &Game::setLimit);
    const auto readoutsWritten = [this] {
        m_game->setReadouts({mina->text(), seka->text(), minb->text(), sekb->text()});
    };
    for (toolkit::FitLabel *readout : {mina, seka, minb, sekb})
        connect(readout, &toolkit::FitLabel::textWritten, m_game, readoutsWritten);
    connect(Label1, &toolkit::FitLabel::textWritten, m_game,
            [this](const QString &t) { m_game->setTurn(numericValue(t) == 0 ? Player::B : Player::A); });
    connect(klaffa, &toolkit::FlagStrip::titleWritten, m_game,
            [this](const QString &t) { m_game->setFlagCaption(Player::A, t); });
    connect(klaffb, &toolkit::FlagStrip::titleWritten, m_game,
            [this](const QString &t) { m_game->setFlagCaption(Player::B, t); });
}

// ---- start-up ----------------------------------------------------------------------------------

void frmhoved::Timer1_Timer()
{
    // Hiding the focused button would hand the focus along the chain, into a name box that would
    // empty itself: keep it on the layout until the start button is back.
    const bool focusHere = isAncestorOf(QApplication::focusWidget()) || QApplication::focusWidget() == nullptr;
    if (focusHere)
        m_stage->client()->setFocus(Qt::OtherFocusReason);
    spillera->setEnabled(true);
    spillerb->setEnabled(true);
    stans->setEnabled(true);
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
    // Each start-up reads the file anew: a good read ends an earlier complaint about it.
    setLasting(Lasting::Settings,
               settings.error ? settings.error->message() + QStringLiteral(" Standardverdiene brukes.") : QString());

    // The next game is played under the control last chosen; a classic start reads no preferences.
    const ChosenControl chosen = chosenControl();
    m_game->newGame(chosen.control);
    if (!chosen.note.isEmpty())
        report(chosen.note);

    refreshFace(Player::A, true);
    refreshFace(Player::B, true);
    setLasting(Lasting::Sleep, {});

    if (focusHere)
        starta->setFocus(Qt::OtherFocusReason);
    Timer1->setEnabled(false);
    followPhase();
    followBoard();
}

// ---- the controls show the game ----------------------------------------------------------------

// Set only when it reads otherwise: the refresh finds nearly everything as it was.
static void showLabel(toolkit::FitLabel *label, const QString &text)
{
    if (label->text() != text)
        label->showText(text);
}

static void showBox(QLineEdit *box, const QString &text)
{
    if (box->text() != text)
        box->setText(text);
}

void frmhoved::showGame()
{
    showBox(spillera, m_game->typedName(Player::A));
    showBox(spillerb, m_game->typedName(Player::B));
    showBox(stans, m_game->limit());
    if (!m_game->countsDown()) {
        const gamefiles::Readouts r = m_game->readouts();
        showLabel(mina, r.mina);
        showLabel(seka, r.seka);
        showLabel(minb, r.minb);
        showLabel(sekb, r.sekb);
    }
    showLabel(Label1, m_game->turn() == Player::A ? QStringLiteral("1") : QStringLiteral("0"));
    for (const Player p : kPlayers) {
        toolkit::FlagStrip *klaff = p == Player::A ? klaffa : klaffb;
        const QString caption = m_game->flagCaption(p);
        if (!caption.isEmpty())
            klaff->showFall(caption);
        else if (klaff->hasFallen())
            klaff->clearFall();
        // The read-outs are announced with the player's name.
        const QString name = m_game->name(p);
        toolkit::AnnouncedLabel *minutes = p == Player::A ? mina : minb;
        if (minutes->announcePrefix() != name + QStringLiteral(", minutter: ")) {
            minutes->setAnnouncePrefix(name + QStringLiteral(", minutter: "));
            (p == Player::A ? seka : sekb)->setAnnouncePrefix(name + QStringLiteral(", sekunder: "));
            (p == Player::A ? igjena : igjenb)->setAnnouncePrefix(name + QStringLiteral(", tid igjen: "));
            (p == Player::A ? trekka : trekkb)->setAnnouncePrefix(name + QStringLiteral(", "));
        }
    }
    showClockKind();
    showTimes();
    // The side the game says runs is the one whose timer counts.
    tida->setEnabled(m_game->running(Player::A));
    tidb->setEnabled(m_game->running(Player::B));
    followBoard();
}

void frmhoved::showTimes()
{
    if (!m_game->countsDown())
        return;
    for (const Player p : kPlayers) {
        const SideView view = side(p);
        showLabel(p == Player::A ? igjena : igjenb, view.time);
        // Where the control has stages, the player's own stage shows beside the moves that lead to it.
        QString moves = QStringLiteral("Trekk %1").arg(view.moves.value_or(0));
        if (m_game->control().stages(p == Player::A).size() > 1)
            moves += QStringLiteral(", fase %1").arg(m_game->countdown()->stage(p) + 1);
        showLabel(p == Player::A ? trekka : trekkb, moves);
    }
}

void frmhoved::showClockKind()
{
    const bool down = m_game->countsDown();
    if (kontroll->isHidden() != down)
        return;
    for (QWidget *classic : std::initializer_list<QWidget *>{mina, seka, minb, sekb, mina2, seka2, minb2, sekb2, stans})
        classic->setHidden(down);
    for (QWidget *own : std::initializer_list<QWidget *>{kontroll, igjena, igjenb, trekka, trekkb})
        own->setHidden(!down);
    Label2->setText(down ? kTidskontrollLabel : kTidPerSpiller);
    Label2->setBuddy(down ? nullptr : stans);
    const QString name = down ? m_game->control().name : QString();
    kontroll->setText(name);
    kontroll->setAccessibleName(down ? kTidskontrollLabel + QLatin1Char(' ') + name : QString());
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

// The caption "<name> begynner", set only when it reads otherwise: the refresh finds it unchanged
// nearly every time, and a comparison in place builds no string for that.
static void showStartCaption(QAbstractButton *button, const QString &name)
{
    const QString caption = button->text();
    const QString ending = startCaption(QString());
    if (caption.size() == name.size() + ending.size() && caption.startsWith(name) && caption.endsWith(ending))
        return;
    button->setText(startCaption(name));
}

void frmhoved::Timer2_Timer()
{
    // Ten times a second, nearly always with nothing changed, and each time with cold caches: every
    // check here touches as little as it can.
    showStartCaption(starta, spillera->text());
    showStartCaption(startb, spillerb->text());
    // The time is read once for everything drawn now; a flag that ran out falls before it is shown.
    m_game->refresh();
    followAccessible();
    // The classic clock changes only in events, and each shows the change; a count-down clock's
    // time moves on between them.
    if (m_game->countsDown()) {
        showTimes();
        followBoard();
    } else if (numericValue(m_game->limit()) == 0) {
        return;
    }
    // Behind the board view the faces are not seen: they are drawn again when the layout comes back.
    if (m_boardShown)
        return;
    // Face B keeps the fill colour the start-up gave it.
    refreshFace(Player::B, false);
    refreshFace(Player::A, true);
}

void frmhoved::refreshFace(Player p, bool setFillColour)
{
    const bool a = p == Player::A;
    const auto hand = [this, a](double x, double y, std::optional<double> v, double l) {
        a ? drawhanda(x, y, v, l) : drawhandb(x, y, v, l);
    };
    toolkit::PictureBox &box = a ? *ura : *urb;
    const SideView view = side(p);
    if (setFillColour)
        box.setFillColor(display::kDiscColour);
    // Nine refreshes in ten find the hands where they were: a canvas that still holds the drawing
    // of the same values would come out the same again.
    const FaceDrawn wanted{view.handMinutes, view.handSeconds, box.fillColor(), box.foreColor(), box.drawCount()};
    FaceDrawn &last = m_faceDrawn[at(p)];
    if (wanted == last) {
        // The properties a drawing leaves behind.
        box.setFillStyle(toolkit::PictureBox::FillStyle::Transparent);
        box.setDrawWidth(1);
        return;
    }
    // A canvas that holds this face's last drawing, in the same colours, needs only the hands moved.
    // (A count of 0 is a face never drawn: every drawing counts.)
    std::optional<display::FaceHands> shown;
    if (last.drawCount != 0 && last.drawCount == wanted.drawCount && last.fill == wanted.fill &&
        last.fore == wanted.fore)
        shown = display::FaceHands{last.minutes, last.seconds};
    display::faceRefresh(box, wanted.minutes, wanted.seconds, hand, false, shown);
    last = wanted;
    last.drawCount = box.drawCount();
}

void frmhoved::followAccessible()
{
    // Without a screen reader there is no one to tell.
    if (!QAccessible::isActive())
        return;
    const Phase now = phase();
    for (const Player p : kPlayers) {
        const SideView view = side(p);
        const FaceState state{view.name, view.running, view.toMove, view.flagFallen, view.fellFirst, view.lowTime, now};
        FaceState &was = m_faceState[at(p)];
        if (state == was)
            continue;
        was = state;
        toolkit::announceChange(p == Player::A ? ura : urb);
    }
}

// ---- game start and switching ------------------------------------------------------------------

void frmhoved::startGame(Player first)
{
    stans->setEnabled(false);
    pause->setEnabled(true);
    spillera->setEnabled(false);
    spillerb->setEnabled(false);
    Command1->setText(kByttSpiller);
    tida->setInterval(1000);
    tidb->setInterval(1000);
    Command1->setEnabled(true);
    m_game->start(first);
    Command1->setHidden(false);
    starta->setHidden(true);
    startb->setHidden(true);
    // One key works the clock at the board: Space on the switch button hands over the move.
    Command1->setFocus(Qt::OtherFocusReason);
    followPhase();
    followBoard();
}

void frmhoved::starta_Click()
{
    startGame(Player::A);
}

void frmhoved::startb_Click()
{
    startGame(Player::B);
}

void frmhoved::switchPressed()
{
    m_pressedAt = toolkit::TimeSource::current().nowMs();
}

void frmhoved::Command1_Click()
{
    // The move ended when the button went down (Space or the mouse), not at its release.
    m_game->finishMove(std::exchange(m_pressedAt, std::nullopt));
}

void frmhoved::tida_Timer()
{
    m_game->countSecond(Player::A);
}

void frmhoved::tidb_Timer()
{
    m_game->countSecond(Player::B);
}

TimeControl frmhoved::timeControl() const
{
    return m_game->control();
}

std::optional<QString> frmhoved::applyTimeControl(const TimeControl &control)
{
    if (phase() != Phase::SetUp || Timer1->isEnabled())
        return QStringLiteral("Tidskontrollen kan bare velges før partiet begynner.");
    m_game->setControl(control);
    refreshFace(Player::A, true);
    refreshFace(Player::B, false);
    return std::nullopt;
}

gamefiles::GameValues frmhoved::gameValues() const
{
    m_game->readTime();
    return m_game->values();
}

void frmhoved::writeBackup()
{
    m_backup->write(m_game->values());
}

bool frmhoved::finishBackup(int timeoutMs)
{
    return m_backup->waitForIdle(timeoutMs);
}

void frmhoved::backupWritten(const std::optional<gamefiles::FileError> &error)
{
    // The clock goes on either way; the message stays while the writes fail and goes with the
    // first one that succeeds.
    setLasting(Lasting::Backup,
               error ? QStringLiteral("Sikkerhetskopien kan ikke lagres. ") + error->message() : QString());
}

// ---- pause, resume, new game, exit -------------------------------------------------------------

void frmhoved::pause_Click()
{
    Command1->setEnabled(false);
    pause->setHidden(true);
    m_game->pause();
    showPaused();
}

void frmhoved::showPaused()
{
    pausea->setText(resumeCaption(spillera->text()));
    pausea->setHidden(false);
    pauseb->setText(resumeCaption(spillerb->text()));
    pauseb->setHidden(false);
    // The focus was on a button now hidden: Space or Enter resumes whoever had the move.
    (m_game->turn() == Player::B ? pauseb : pausea)->setFocus(Qt::OtherFocusReason);
    followPhase();
    followBoard();
}

bool frmhoved::paused() const
{
    return phase() == Phase::Paused && !Timer1->isEnabled();
}

void frmhoved::followPhase()
{
    Juster->setEnabled(paused());
    // A control is chosen before the game, not in it.
    Tidskontroll->setEnabled(phase() == Phase::SetUp && !Timer1->isEnabled());
}

std::optional<QString> frmhoved::restoreGame(const gamefiles::GameValues &values)
{
    QString note;
    if (const std::optional<QString> why = m_game->restore(values, &note))
        return why;
    pause->setHidden(true);
    // A resume only shows the pause button; restored from set-up it would stay disabled for the
    // rest of the game.
    pause->setEnabled(true);
    // The boxes are locked before the start buttons go: a hidden button hands the focus on, and a
    // box that receives it empties itself.
    spillera->setEnabled(false);
    spillerb->setEnabled(false);
    stans->setEnabled(false);
    Command1->setHidden(false);
    Command1->setEnabled(false);
    showPaused();
    starta->setHidden(true);
    startb->setHidden(true);
    // A note about the last file's lines says nothing of this one.
    report(note);
    followPhase();
    followBoard();
    return std::nullopt;
}

std::optional<QString> frmhoved::correctTime(const gamefiles::Readouts &readouts)
{
    // The values were typed for the paused game; a running clock or a new game would take them
    // for a state they were never meant for.
    if (!paused())
        return QStringLiteral("Spillet står ikke lenger på pause. Tiden er ikke justert.");
    const QStringList notes = m_game->correctReadouts(readouts);
    refreshFace(Player::A, true);
    refreshFace(Player::B, false);
    report(notes.join(QLatin1Char(' ')));
    return std::nullopt;
}

std::optional<QString> frmhoved::correctCountdown(const CountdownCorrection &correction)
{
    if (!paused() || !m_game->countsDown())
        return QStringLiteral("Spillet står ikke lenger på pause. Tiden er ikke justert.");
    const QStringList notes = m_game->correctCountdown(correction.leftMs, correction.moves);
    refreshFace(Player::A, true);
    refreshFace(Player::B, false);
    report(notes.join(QLatin1Char(' ')));
    return std::nullopt;
}

void frmhoved::reloadSettings()
{
    Timer1->setEnabled(true);
    followPhase();
}

void frmhoved::resume(Player p)
{
    tida->setInterval(1000);
    tidb->setInterval(1000);
    m_game->resume(p);
    pause->setHidden(false);
    pausea->setHidden(true);
    pauseb->setHidden(true);
    Command1->setEnabled(true);
    Command1->setFocus(Qt::OtherFocusReason);
    setLasting(Lasting::Sleep, {});
    followPhase();
    followBoard();
}

bool frmhoved::pauseForSleep()
{
    if (phase() != Phase::Running)
        return false;
    pause_Click();
    // The last tick's write may still be under way, or may have failed: write the paused game
    // again and let the machine sleep only once it is on disk.
    writeBackup();
    finishBackup();
    setLasting(Lasting::Sleep, QStringLiteral("Spillet ble satt på pause kl. %1 fordi maskinen gikk i dvale.")
                                   .arg(QTime::currentTime().toString(QStringLiteral("HH:mm"))));
    return true;
}

void frmhoved::pausea_Click()
{
    resume(Player::A);
}

void frmhoved::pauseb_Click()
{
    resume(Player::B);
}

void frmhoved::Nytt_Click()
{
    Timer1->setEnabled(true);
    followPhase();
}

void frmhoved::leaveGame()
{
    // A running clock's state of this very moment goes to the disk (a count-down clock keeps its
    // milliseconds), and the program ends only once the last write is there.
    if (phase() == Phase::Running) {
        m_game->readTime();
        writeBackup();
    }
    finishBackup();
}

void frmhoved::Avslutt_Click()
{
    leaveGame();
    desktop::endProgram(0);
}

void frmhoved::closeEvent(QCloseEvent *event)
{
    event->accept();
    leaveGame();
    // The other windows have no life without the clock.
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible())
            w->close();
    QCoreApplication::quit();
}

// ---- at the board: the running side, a key for each player, the window's scale ----------------

void frmhoved::followClocks()
{
    Shape1_0->setRunning(tida->isActive());
    Shape1_1->setRunning(tidb->isActive());
    m_keys->setArmed(tida->isActive() || tidb->isActive());
    // A clock that starts counting takes the refresh along: every tenth refresh then falls due with
    // its second, and one wake-up serves both, read-out and face drawn together.
    if (tida->isActive() || tidb->isActive()) {
        Timer2->setEnabled(false);
        Timer2->setEnabled(true);
    }
}

void frmhoved::playerKey(Player p, std::optional<qint64> pressedAt)
{
    // A key ends only its own player's move; pressed out of turn it does nothing.
    if (m_game->running(p))
        m_game->finishMove(pressedAt);
}

void frmhoved::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Fullskjerm->setChecked(isFullScreen());
}

// ---- status ------------------------------------------------------------------------------------

void frmhoved::report(const QString &message)
{
    statusBar()->showMessage(message);
    // The message is painted, not a control: its text is the bar's name, for a screen reader's
    // "read the status bar" (not announced: a note must not cut into the game).
    statusBar()->setAccessibleName(message);
    followStatusBar();
}

QString frmhoved::reportedMessage() const
{
    return statusBar()->currentMessage();
}

void frmhoved::setLasting(Lasting state, const QString &message)
{
    m_lasting->set(state, message);
}

QString frmhoved::lastingMessage(Lasting state) const
{
    return m_lasting->message(state);
}

QString frmhoved::lastingText() const
{
    return m_lasting->text();
}

} // namespace gameclock
