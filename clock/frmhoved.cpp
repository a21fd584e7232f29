#include "frmhoved.h"

#include "backupwriter.h"
#include "boardview.h"
#include "countdownfile.h"
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

const QString kBegynner = QStringLiteral(" begynner");
const QString kSittTrekk = QStringLiteral(" sitt trekk");
const QString kKlaffenHarFalt = QStringLiteral("Klaffen har falt for ");
const QString kByttSpiller = QStringLiteral("Bytt spiller");
// The user's choice of sides in the board view, kept with the other preferences.
const QString kSidesSwappedKey = QStringLiteral("tavle/byttSide");
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

// The read-outs of a count-down game are read from across the board: larger than the classic ones.
constexpr double kCountdownReadoutScale = 1.7;

// The figures are what the other chair must read: above 100 % they grow a little faster than the
// rest, as far as their boxes allow.
double readoutGrowth(qreal zoom)
{
    return 1.0 + 0.1 * std::max<qreal>(0.0, zoom - 1.0);
}

QFont scaledFont(QFont font, double scale)
{
    if (font.pixelSize() > 0)
        font.setPixelSize(int(std::lround(font.pixelSize() * scale)));
    else
        font.setPointSizeF(font.pointSizeF() * scale);
    return font;
}

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

frmhoved::frmhoved(QWidget *parent) : QMainWindow(parent)
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
    m_lasting = new QLabel(statusBar());
    m_lasting->setObjectName(QStringLiteral("lasting"));
    m_lasting->setWordWrap(true);
    m_lasting->setHidden(true);
    // No stretch: the passing notes keep the left of the bar; the label wraps within its share.
    statusBar()->addPermanentWidget(m_lasting, 0);

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
    for (const bool playerA : {true, false})
        toolkit::setLiveAccessibleText(playerA ? ura : urb, QAccessible::Graphic, [this, playerA](QAccessible::Text t) {
            if (t == QAccessible::Description)
                return playerA ? QStringLiteral("Klokke for spiller A") : QStringLiteral("Klokke for spiller B");
            return sideText(side(playerA), phase());
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
    Label1 = built.get<QLabel>("Label1");

    const toolkit::BuiltControls countdown = toolkit::buildControls(client, kCountdownControls);
    kontroll = countdown.get<toolkit::FitLabel>("kontroll");
    kontroll->setAlignment(Qt::AlignCenter);
    kontroll->setWordWrap(true);
    igjena = countdown.get<toolkit::AnnouncedLabel>("igjena");
    igjenb = countdown.get<toolkit::AnnouncedLabel>("igjenb");
    igjena->setAnnouncePrefix(QStringLiteral("Spiller A, tid igjen: "));
    igjenb->setAnnouncePrefix(QStringLiteral("Spiller B, tid igjen: "));
    trekka = countdown.get<toolkit::AnnouncedLabel>("trekka");
    trekkb = countdown.get<toolkit::AnnouncedLabel>("trekkb");
    trekka->setAnnouncePrefix(QStringLiteral("Spiller A, "));
    trekkb->setAnnouncePrefix(QStringLiteral("Spiller B, "));
    for (QLabel *label : {static_cast<QLabel *>(igjena), static_cast<QLabel *>(igjenb),
                          static_cast<QLabel *>(trekka), static_cast<QLabel *>(trekkb)})
        label->setAlignment(Qt::AlignCenter);
    // Ten times a second in the last ten seconds: an opaque read-out is drawn alone, not the frame
    // it lies in with it (it keeps clear of the frame's rounded corners).
    for (QLabel *label : {static_cast<QLabel *>(igjena), static_cast<QLabel *>(igjenb)})
        label->setAutoFillBackground(true);

    connect(starta, &QPushButton::clicked, this, &frmhoved::starta_Click);
    connect(startb, &QPushButton::clicked, this, &frmhoved::startb_Click);
    connect(Command1, &QPushButton::clicked, this, &frmhoved::Command1_Click);
    connect(pause, &QPushButton::clicked, this, &frmhoved::pause_Click);
    connect(pausea, &QPushButton::clicked, this, &frmhoved::pausea_Click);
    connect(pauseb, &QPushButton::clicked, this, &frmhoved::pauseb_Click);
    // A value is always typed anew.
    for (toolkit::TextBox *box : {spillera, spillerb, stans}) {
        connect(box, &toolkit::TextBox::gotFocus, box, [box] { box->setText(QString()); });
        // A name on the board follows the box; the limit decides the last minute.
        connect(box, &QLineEdit::textChanged, this, &frmhoved::followBoard);
    }
    // The read-outs are announced with the player's name.
    for (const bool playerA : {true, false})
        connect(playerA ? spillera : spillerb, &QLineEdit::textChanged, this, [this, playerA] {
            const QString name = side(playerA).name;
            static_cast<toolkit::AnnouncedLabel *>(playerA ? mina : minb)
                ->setAnnouncePrefix(name + QStringLiteral(", minutter: "));
            static_cast<toolkit::AnnouncedLabel *>(playerA ? seka : sekb)
                ->setAnnouncePrefix(name + QStringLiteral(", sekunder: "));
            (playerA ? igjena : igjenb)->setAnnouncePrefix(name + QStringLiteral(", tid igjen: "));
            (playerA ? trekka : trekkb)->setAnnouncePrefix(name + QStringLiteral(", "));
        });
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
    Juster = add(Spill, "Juster", QStringLiteral("&Juster tid..."), QKeySequence(QStringLiteral("Ctrl+J")),
                 &frmhoved::Juster_Click);
    // Only a paused game has times to correct.
    Juster->setEnabled(false);
    Lagre = add(Spill, "Lagre", QStringLiteral("&Lagre"), QKeySequence(QStringLiteral("Ctrl+S")), &frmhoved::quicksave);
    LagreSom = add(Spill, "LagreSom", QStringLiteral("Lagre &som..."), QKeySequence(QStringLiteral("Ctrl+Shift+S")),
                   &frmhoved::saveas);
    separator(Spill, "strek2");
    Tidskontroll = add(Spill, "Tidskontroll", QStringLiteral("&Tidskontroll..."), QKeySequence(QStringLiteral("Ctrl+T")),
                       &frmhoved::Tidskontroll_Click);
    // A hall is joined or left in any phase: it never touches the game.
    Turnering = add(Spill, "Turnering", QStringLiteral("T&urnering..."), {}, &frmhoved::Turnering_Click);
    Alternativer = add(Spill, "Alternativer", QStringLiteral("&Alternativer..."), {}, &frmhoved::Alternativer_Click);
    separator(Spill, "strek3");
    Avslutt = add(Spill, "Avslutt", QStringLiteral("&Avslutt"), QKeySequence(QStringLiteral("Ctrl+Q")),
                  &frmhoved::Avslutt_Click);

    Vis = menuBar()->addMenu(QStringLiteral("&Vis"));
    Vis->setObjectName(QStringLiteral("Vis"));
    Fullskjerm = Vis->addAction(QStringLiteral("&Fullskjerm"));
    Fullskjerm->setObjectName(QStringLiteral("Fullskjerm"));
    Fullskjerm->setCheckable(true);
    Fullskjerm->setShortcut(QKeySequence(Qt::Key_F11));
    connect(Fullskjerm, &QAction::triggered, this, &frmhoved::Fullskjerm_Click);
    Tavlevisning = Vis->addAction(QStringLiteral("T&avlevisning"));
    Tavlevisning->setObjectName(QStringLiteral("Tavlevisning"));
    Tavlevisning->setCheckable(true);
    // Ctrl+T is the time control's; F10 sits beside the full screen's F11.
    Tavlevisning->setShortcut(QKeySequence(Qt::Key_F10));
    connect(Tavlevisning, &QAction::triggered, this, &frmhoved::Tavlevisning_Click);
    ByttSide = Vis->addAction(QStringLiteral("&Bytt side"));
    ByttSide->setObjectName(QStringLiteral("ByttSide"));
    ByttSide->setCheckable(true);
    ByttSide->setStatusTip(
        QStringLiteral("Tavlevisningen viser spiller B til venstre, og tastene til venstre på tastaturet hører til B"));
    connect(ByttSide, &QAction::triggered, this, &frmhoved::ByttSide_Click);
    // The choice is read from the user's preferences when it is first shown, not at start.
    connect(Vis, &QMenu::aboutToShow, this, [this] { ByttSide->setChecked(sidesSwapped()); });
    Storre = add(Vis, "Storre", QStringLiteral("Stø&rre"), {}, &frmhoved::Storre_Click);
    // Ctrl++ needs Shift on many keyboards; Ctrl+= is the same key without it.
    Storre->setShortcuts({QKeySequence(QStringLiteral("Ctrl++")), QKeySequence(QStringLiteral("Ctrl+="))});
    Mindre =
        add(Vis, "Mindre", QStringLiteral("&Mindre"), QKeySequence(QStringLiteral("Ctrl+-")), &frmhoved::Mindre_Click);
    VanligStorrelse = add(Vis, "VanligStorrelse", QStringLiteral("&Vanlig størrelse"),
                          QKeySequence(QStringLiteral("Ctrl+0")), &frmhoved::VanligStorrelse_Click);
    // Escape is the way out of full screen that everyone tries first.
    auto *leave = new QAction(this);
    leave->setObjectName(QStringLiteral("forlatFullskjerm"));
    leave->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(leave, &QAction::triggered, this, [this] {
        if (isFullScreen() || m_boardShown)
            Fullskjerm_Click(false);
    });
    addAction(leave);
    // Speech, for players who cannot see the faces; the wiring gives the entries their meaning.
    Vis->addSeparator()->setObjectName(QStringLiteral("strek5"));
    LesOpp = Vis->addAction(QStringLiteral("Les &opp tiden"));
    LesOpp->setObjectName(QStringLiteral("LesOpp"));
    LesOpp->setCheckable(true);
    TaleRaskere = Vis->addAction(QStringLiteral("&Tale raskere"));
    TaleRaskere->setObjectName(QStringLiteral("TaleRaskere"));
    TaleSaktere = Vis->addAction(QStringLiteral("Tale &saktere"));
    TaleSaktere->setObjectName(QStringLiteral("TaleSaktere"));
    Vis->addSeparator()->setObjectName(QStringLiteral("strek6"));
    Trekktider = add(Vis, "Trekktider", QStringLiteral("Tr&ekktider"), {}, &frmhoved::Trekktider_Click);

    hjelp1 = menuBar()->addMenu(QStringLiteral("&Hjelp"));
    hjelp1->setObjectName(QStringLiteral("hjelp1"));
    Regler = add(hjelp1, "Regler", QStringLiteral("&Sjakk regler"), {}, &frmhoved::Regler_Click);
    Nettleser = add(hjelp1, "Nettleser", QStringLiteral("&Nettleser"), {}, &frmhoved::Nettleser_Click);
    separator(hjelp1, "strek4");
    Om = add(hjelp1, "Om", QStringLiteral("&Om Partivakt"), {}, &frmhoved::Om_Click);
    // The board view hides the menu bar: the window itself carries the shortcuts then.
    for (QMenu *menu : {Spill, Vis, hjelp1})
        for (QAction *action : menu->actions())
            if (!action->isSeparator())
                addAction(action);
}

// ---- start-up ----------------------------------------------------------------------------------

void frmhoved::Timer1_Timer()
{
    // Hiding the focused button would hand the focus along the chain, into a name box that would
    // empty itself: keep it on the layout until the start button is back.
    const bool focusHere = isAncestorOf(QApplication::focusWidget()) || QApplication::focusWidget() == nullptr;
    if (focusHere)
        m_stage->client()->setFocus(Qt::OtherFocusReason);
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
    // Each start-up reads the file anew: a good read ends an earlier complaint about it.
    setLasting(Lasting::Settings,
               settings.error ? settings.error->message() + QStringLiteral(" Standardverdiene brukes.") : QString());

    // The next game is played under the control last chosen; a classic start reads no preferences.
    const ChosenControl chosen = chosenControl();
    useControl(chosen.control);
    if (!chosen.note.isEmpty())
        report(chosen.note);

    refreshFace(true, true);
    refreshFace(false, true);
    setLasting(Lasting::Sleep, {});

    if (focusHere)
        starta->setFocus(Qt::OtherFocusReason);
    Timer1->setEnabled(false);
    followPhase();
    followBoard();
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
    if (caption.size() == name.size() + kBegynner.size() && caption.startsWith(name) && caption.endsWith(kBegynner))
        return;
    button->setText(name + kBegynner);
}

void frmhoved::Timer2_Timer()
{
    // Ten times a second, nearly always with nothing changed, and each time with cold caches: every
    // check here touches as little as it can.
    showStartCaption(starta, spillera->text());
    showStartCaption(startb, spillerb->text());
    // The running count-down clock is drawn from the monotonic time here, ten times a second: no
    // timer of its own. A flag that ran out falls before the board shows the state.
    if (m_countdown)
        followCountdown();
    // The classic clock changes only in handlers, and each shows the change on the board; a
    // count-down clock's time moves on between them.
    if (m_countdown)
        followBoard();
    followAccessible();
    if (m_countdown) {
        if (!m_boardShown) {
            refreshFace(false, false);
            refreshFace(true, true);
        }
        return;
    }
    const QString limit = stans->text();
    if (!m_limitRead || m_limitRead->text != limit)
        m_limitRead = LimitRead{limit, numericValue(limit) == 0};
    // Behind the board view the faces are not seen: they are drawn again when the layout comes back.
    if (m_limitRead->zero || m_boardShown)
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
    toolkit::PictureBox &box = playerA ? *ura : *urb;
    const auto [minutes, seconds] = faceValues(playerA);
    if (setFillColour)
        box.setFillColor(display::kDiscColour);
    // Nine refreshes in ten find the read-outs as they were: a canvas that still holds the drawing
    // of the same values would come out the same again.
    const FaceDrawn wanted{minutes, seconds, box.fillColor(), box.foreColor(), box.drawCount()};
    FaceDrawn &last = m_faceDrawn[playerA ? 0 : 1];
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
        shown = display::FaceHands{strictNumber(last.minutes), strictNumber(last.seconds)};
    display::faceRefresh(box, strictNumber(wanted.minutes), strictNumber(wanted.seconds), hand, false, shown);
    last = wanted;
    last.drawCount = box.drawCount();
}

void frmhoved::followAccessible()
{
    // Without a screen reader there is no one to tell.
    if (!QAccessible::isActive())
        return;
    const Phase now = phase();
    for (const bool playerA : {true, false}) {
        const SideView view = side(playerA);
        const FaceState state{view.name, view.running, view.toMove, view.flagFallen, view.fellFirst, view.lowTime, now};
        FaceState &was = m_faceState[playerA ? 0 : 1];
        if (state == was)
            continue;
        was = state;
        toolkit::announceChange(playerA ? ura : urb);
    }
}

// ---- game start and switching ------------------------------------------------------------------

void frmhoved::startGame(bool playerA)
{
    // The limit is the classic clock's; a count-down control has its own times.
    if (!m_countdown && numericValue(stans->text()) > kLimitHighest)
        stans->setText(numberToText(kLimitHighest));
    const double lowest = playerA ? kLimitLowestA : kLimitLowestB;
    if (!m_countdown && numericValue(stans->text()) < lowest)
        stans->setText(numberToText(lowest));
    if (spillera->text().isEmpty())
        spillera->setText(kDefaults.spillera);
    if (spillerb->text().isEmpty())
        spillerb->setText(kDefaults.spillerb);
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
    if (!m_countdown)
        stans->setText(numberToText(numericValue(stans->text())));
    Command1->setHidden(false);
    starta->setHidden(true);
    startb->setHidden(true);
    // One key works the clock at the board: Space on the switch button hands over the move.
    Command1->setFocus(Qt::OtherFocusReason);
    if (m_countdown) {
        m_countdown->resume(playerA ? kA : kB, now());
        followCountdown();
        writeBackup();
    }
    followPhase();
    followBoard();
    Q_EMIT gameStarted(playerA);
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
    if (m_countdown) {
        // The move is charged at the moment of the switch, to the millisecond.
        m_countdown->finishMove(now());
    }
    if (numericValue(Label1->text()) == 0) {
        tidb->setEnabled(false);
        tida->setEnabled(true);
        Label1->setText(QStringLiteral("1"));
    } else {
        Label1->setText(QStringLiteral("0"));
        tida->setEnabled(false);
        tidb->setEnabled(true);
    }
    if (m_countdown) {
        // A crash after a switch loses no move.
        followCountdown();
        writeBackup();
    }
    followBoard();
}

// ---- counting ----------------------------------------------------------------------------------

void frmhoved::tick(QLabel *sek, QLabel *min, toolkit::FlagStrip *klaff, toolkit::TextBox *spiller)
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
    const bool stood = !klaff->hasFallen();
    if (numericValue(stans->text()) == strictNumber(min->text()))
        klaff->showFall(kKlaffenHarFalt + spiller->text());
    writeBackup();
    followBoard();
    Q_EMIT ticked(klaff == klaffa, stood && klaff->hasFallen());
}

void frmhoved::tida_Timer()
{
    if (m_countdown)
        return countdownTick(true);
    tick(seka, mina, klaffa, spillera);
}

void frmhoved::tidb_Timer()
{
    if (m_countdown)
        return countdownTick(false);
    tick(sekb, minb, klaffb, spillerb);
}

// ---- the count-down clock ----------------------------------------------------------------------

qint64 frmhoved::now() const
{
    return toolkit::TimeSource::current().nowMs();
}

void frmhoved::showClockKind()
{
    const bool down = m_countdown.has_value();
    for (QWidget *classic : std::initializer_list<QWidget *>{mina, seka, minb, sekb, mina2, seka2, minb2, sekb2, stans})
        classic->setHidden(down);
    for (QWidget *own : std::initializer_list<QWidget *>{kontroll, igjena, igjenb, trekka, trekkb})
        own->setHidden(!down);
    Label2->setText(down ? kTidskontrollLabel : kTidPerSpiller);
    Label2->setBuddy(down ? nullptr : stans);
    if (!down)
        return;
    kontroll->setText(m_countdown->control().name);
    kontroll->setAccessibleName(kTidskontrollLabel + QLatin1Char(' ') + m_countdown->control().name);
    followCountdown();
}

void frmhoved::followCountdown()
{
    const qint64 t = now();
    const int fell = m_countdown->settle(t);
    for (const bool playerA : {true, false}) {
        const int p = playerA ? kA : kB;
        // Set only when they read otherwise: ten times a second the text is nearly always the same.
        const QString time = clockText(m_countdown->leftMs(p, t));
        QLabel *igjen = playerA ? igjena : igjenb;
        if (igjen->text() != time)
            igjen->setText(time);
        // Where the control has stages, the player's own stage shows beside the moves that lead to it.
        QString moves = QStringLiteral("Trekk %1").arg(m_countdown->moves(p));
        if (m_countdown->control().stages(playerA).size() > 1)
            moves += QStringLiteral(", fase %1").arg(m_countdown->stage(p) + 1);
        QLabel *trekk = playerA ? trekka : trekkb;
        if (trekk->text() != moves)
            trekk->setText(moves);
        toolkit::FlagStrip *klaff = playerA ? klaffa : klaffb;
        if (m_countdown->fallen(p)) {
            // With both flags down, the arbiter reads on the flags which one fell first.
            const QString caption = kKlaffenHarFalt + (playerA ? spillera : spillerb)->text() +
                                    (m_countdown->fellFirst(p) ? QStringLiteral(" (først)") : QString());
            if (klaff->title() != caption)
                klaff->showFall(caption);
        } else if (klaff->hasFallen()) {
            klaff->setTitle(QString());
        }
    }
    if (fell >= 0)
        Q_EMIT ticked(fell == kA, true);
}

void frmhoved::countdownTick(bool playerA)
{
    // The tick counts nothing: the time is the monotonic clock's. It keeps the backup within a
    // second of the clock.
    followCountdown();
    writeBackup();
    Q_EMIT ticked(playerA, false);
}

std::pair<QString, QString> frmhoved::faceValues(bool playerA) const
{
    if (!m_countdown)
        return {(playerA ? mina : minb)->text(), (playerA ? seka : sekb)->text()};
    const Dial dial = mechanicalDial(m_countdown->leftMs(playerA ? kA : kB, now()));
    return {QString::number(dial.minutes, 'g', 17), QString::number(dial.seconds)};
}

TimeControl frmhoved::timeControl() const
{
    return m_countdown ? m_countdown->control() : classicControl();
}

std::optional<QString> frmhoved::applyTimeControl(const TimeControl &control)
{
    if (phase() != Phase::SetUp || Timer1->isEnabled())
        return QStringLiteral("Tidskontrollen kan bare velges før partiet begynner.");
    useControl(control);
    refreshFace(true, true);
    refreshFace(false, false);
    followBoard();
    return std::nullopt;
}

void frmhoved::useControl(const TimeControl &control)
{
    if (control.classic())
        m_countdown.reset();
    else
        m_countdown.emplace(control);
    showClockKind();
}

std::optional<QString> frmhoved::correctCountdown(const CountdownCorrection &correction)
{
    if (!paused() || !m_countdown)
        return QStringLiteral("Spillet står ikke lenger på pause. Tiden er ikke justert.");
    QStringList notes{
        QStringLiteral("Tiden ble justert kl. %1.").arg(QTime::currentTime().toString(QStringLiteral("HH:mm")))};
    for (const int p : {kA, kB}) {
        const bool fallenBefore = m_countdown->fallen(p);
        m_countdown->correct(p, correction.leftMs[std::size_t(p)], correction.moves[std::size_t(p)]);
        const QString name = (p == kA ? spillera : spillerb)->text();
        if (!fallenBefore && m_countdown->fallen(p))
            notes << kKlaffenHarFalt + name + QLatin1Char('.');
        else if (fallenBefore && correction.leftMs[std::size_t(p)] > 0)
            notes << QStringLiteral("Klaffen har fortsatt falt for %1: en justering hever den ikke.").arg(name);
    }
    followCountdown();
    refreshFace(true, true);
    refreshFace(false, false);
    followBoard();
    writeBackup();
    report(notes.join(QLatin1Char(' ')));
    return std::nullopt;
}

SideView frmhoved::side(bool playerA) const
{
    SideView view;
    const QString name = (playerA ? spillera : spillerb)->text();
    view.name = name.isEmpty() ? (playerA ? kDefaults.spillera : kDefaults.spillerb) : name;
    if (m_countdown) {
        const int p = playerA ? kA : kB;
        const qint64 left = m_countdown->leftMs(p, now());
        view.time = clockText(left);
        view.minutes = left / 60000;
        view.seconds = int(left / 1000 % 60);
        view.countsDown = true;
        view.running = (playerA ? tida : tidb)->isActive();
        view.toMove = phase() != Phase::SetUp && m_countdown->turn() == p;
        view.flagFallen = m_countdown->fallen(p);
        view.fellFirst = m_countdown->fellFirst(p);
        view.lowTime = !view.flagFallen && left < 60000;
        view.moves = m_countdown->moves(p);
        view.leftMs = left;
        const Dial dial = mechanicalDial(left);
        view.handMinutes = dial.minutes;
        view.handSeconds = dial.seconds;
        return view;
    }
    // A read-out that is not a number (only a damaged file brings one) shows as it stands.
    const QString minText = (playerA ? mina : minb)->text();
    const QString secText = (playerA ? seka : sekb)->text();
    const std::optional<double> minutes = strictNumber(minText);
    const std::optional<double> seconds = strictNumber(secText);
    if (minutes && seconds && *minutes >= 0 && *seconds >= 0 && *seconds < 60) {
        view.minutes = qint64(*minutes);
        view.seconds = int(*seconds);
        view.time = QStringLiteral("%1:%2").arg(view.minutes).arg(view.seconds, 2, 10, QLatin1Char('0'));
        view.handMinutes = double(view.minutes);
        view.handSeconds = view.seconds;
    } else {
        view.time = minText + QLatin1Char(':') + secText;
    }
    view.running = (playerA ? tida : tidb)->isActive();
    const bool turnA = numericValue(Label1->text()) != 0;
    view.toMove = phase() != Phase::SetUp && turnA == playerA;
    view.flagFallen = (playerA ? klaffa : klaffb)->hasFallen();
    const double limit = numericValue(stans->text());
    view.lowTime = !view.flagFallen && minutes && *minutes + 1 == limit;
    return view;
}

Phase frmhoved::phase() const
{
    if (!starta->isHidden())
        return Phase::SetUp;
    return tida->isActive() || tidb->isActive() ? Phase::Running : Phase::Paused;
}

gamefiles::GameValues frmhoved::gameValues() const
{
    if (m_countdown) {
        // The seven lines a classic reader opens, the count-down game's whole state after them.
        const CountdownState state = m_countdown->state(now());
        const ClassicView seven = classicView(state);
        return {seven.mina,       seven.seka,       seven.minb,
                seven.sekb,       spillera->text(), spillerb->text(),
                seven.stans,      countdownLines(m_countdown->control(), state)};
    }
    return {mina->text(), seka->text(), minb->text(), sekb->text(), spillera->text(), spillerb->text(), stans->text(), {}};
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
    // The clock goes on either way; the message stays while the writes fail and goes with the
    // first one that succeeds.
    setLasting(Lasting::Backup,
               error ? QStringLiteral("Sikkerhetskopien kan ikke lagres. ") + error->message() : QString());
}

// ---- pause, resume, new game, exit -------------------------------------------------------------

void frmhoved::pause_Click()
{
    Command1->setEnabled(false);
    tida->setEnabled(false);
    tidb->setEnabled(false);
    pause->setHidden(true);
    if (m_countdown) {
        // The milliseconds run so far stay with the move, and in the backup.
        m_countdown->stop(now());
        followCountdown();
        writeBackup();
    }
    showPaused();
}

void frmhoved::showPaused()
{
    pausea->setText(spillera->text() + kSittTrekk);
    pausea->setHidden(false);
    pauseb->setText(spillerb->text() + kSittTrekk);
    pauseb->setHidden(false);
    // The focus was on a button now hidden: Space or Enter resumes whoever had the move.
    (numericValue(Label1->text()) == 0 ? pauseb : pausea)->setFocus(Qt::OtherFocusReason);
    followPhase();
    followBoard();
}

bool frmhoved::paused() const
{
    return !pausea->isHidden() && !tida->isEnabled() && !tidb->isEnabled() && !Timer1->isEnabled();
}

void frmhoved::followPhase()
{
    Juster->setEnabled(paused());
    // A control is chosen before the game, not in it.
    Tidskontroll->setEnabled(phase() == Phase::SetUp && !Timer1->isEnabled());
}

void frmhoved::setReadouts(const gamefiles::Readouts &readouts)
{
    mina->setText(readouts.mina);
    seka->setText(readouts.seka);
    minb->setText(readouts.minb);
    sekb->setText(readouts.sekb);
}

std::optional<QString> frmhoved::restoreGame(const gamefiles::GameValues &values)
{
    // The whole file is judged before anything changes: a game is never half restored.
    const CountdownRead further = readCountdownLines(values.further);
    std::optional<Countdown> game;
    if (further.kind == CountdownRead::Kind::Damaged)
        return further.reason;
    if (further.kind == CountdownRead::Kind::Countdown) {
        game = Countdown::restore(further.control, further.state);
        if (!game)
            return QStringLiteral("Tilstanden i nedtellingen kan ikke gjenopprettes.");
        // The resume buttons and the switch follow whose move it was.
        Label1->setText(further.state.turn == kA ? QStringLiteral("1") : QStringLiteral("0"));
    }
    m_countdown = std::move(game);

    tida->setEnabled(false);
    tidb->setEnabled(false);
    pause->setHidden(true);
    // A resume only shows the pause button; restored from set-up it would stay disabled for the
    // rest of the game.
    pause->setEnabled(true);
    setReadouts({values.mina, values.seka, values.minb, values.sekb});
    spillera->setText(values.spillera);
    spillerb->setText(values.spillerb);
    stans->setText(values.stans);
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
    showClockKind();
    if (further.kind == CountdownRead::Kind::Unknown)
        report(QStringLiteral("Linjene etter den sjuende er ukjente for Partivakt og ble ikke lest: partiet er åpnet "
                              "som et klassisk parti."));
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
    setReadouts(readouts);
    QStringList notes{
        QStringLiteral("Tiden ble justert kl. %1.").arg(QTime::currentTime().toString(QStringLiteral("HH:mm")))};
    const double limit = numericValue(stans->text());
    for (const bool playerA : {true, false}) {
        toolkit::FlagStrip *klaff = playerA ? klaffa : klaffb;
        const QString name = (playerA ? spillera : spillerb)->text();
        // The counting that brought a player to these minutes passed the limit's minute on its way
        // and dropped the flag there: a correction past the limit drops it too. A limit the minutes
        // can never equal (a fraction, below zero) never drops it, as in the counting.
        const double minutes = strictNumber((playerA ? mina : minb)->text()).value_or(-1);
        const bool reached = limit >= 0 && limit == std::floor(limit) && minutes >= limit;
        // A fallen flag is a fact the arbiter rules on; a correction does not undo it, and says so.
        if (reached && !klaff->hasFallen())
            notes << kKlaffenHarFalt + name + QLatin1Char('.');
        else if (!reached && klaff->hasFallen())
            notes << QStringLiteral("Klaffen har fortsatt falt for %1: en justering hever den ikke.").arg(name);
        if (reached)
            klaff->showFall(kKlaffenHarFalt + name);
    }
    refreshFace(true, true);
    refreshFace(false, false);
    writeBackup();
    followBoard();
    report(notes.join(QLatin1Char(' ')));
    return std::nullopt;
}

void frmhoved::reloadSettings()
{
    Timer1->setEnabled(true);
    followPhase();
}

void frmhoved::resume(bool playerA)
{
    if (m_countdown)
        m_countdown->resume(playerA ? kA : kB, now());
    (playerA ? tida : tidb)->setEnabled(true);
    Label1->setText(QLatin1String(playerA ? "1" : "0"));
    tida->setInterval(1000);
    tidb->setInterval(1000);
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
    if (!tida->isEnabled() && !tidb->isEnabled())
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
    resume(true);
}

void frmhoved::pauseb_Click()
{
    resume(false);
}

void frmhoved::Nytt_Click()
{
    Timer1->setEnabled(true);
    followPhase();
}

void frmhoved::Avslutt_Click()
{
    // A count-down clock keeps its milliseconds: the state of this very moment goes to the disk.
    if (m_countdown && (tida->isActive() || tidb->isActive()))
        writeBackup();
    // At once, but not before the last counted second is on disk (a few milliseconds at most).
    finishBackup();
    desktop::endProgram(0);
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

void frmhoved::playerKey(bool playerA)
{
    // A key ends only its own player's move; pressed out of turn it does nothing.
    if ((playerA ? tida : tidb)->isActive())
        Command1_Click();
}

qreal frmhoved::zoom() const
{
    return m_stage->zoom();
}

qreal frmhoved::largestZoom() const
{
    const QScreen *screen = this->screen();
    if (!screen)
        return 1.0;
    // Everything around the layout keeps its size: menu, status bar, the window's frame.
    const QSize around = frameGeometry().size() - m_stage->size();
    const QSize room = screen->availableGeometry().size() - around;
    const QSize base = m_stage->baseSize();
    return std::max<qreal>(1.0, std::min(qreal(room.width()) / base.width(), qreal(room.height()) / base.height()));
}

void frmhoved::setZoom(qreal zoom)
{
    if (m_boardShown)
        return;
    zoom = std::clamp<qreal>(zoom, 1.0, largestZoom());
    if (isFullScreen() || isMaximized())
        showNormal();
    resize(size() - m_stage->size() + m_stage->sizeFor(zoom));
}

void frmhoved::Storre_Click()
{
    // Steps of a quarter; the last step is whatever still fits the screen.
    // A window of whole pixels comes within a hair of a step: such a zoom counts as on the step.
    const qreal step = std::floor(zoom() * 4 + 0.05) / 4 + 0.25;
    setZoom(std::min(step, largestZoom()));
}

void frmhoved::Mindre_Click()
{
    setZoom(std::ceil(zoom() * 4 - 0.05) / 4 - 0.25);
}

void frmhoved::VanligStorrelse_Click()
{
    setZoom(1.0);
}

void frmhoved::Fullskjerm_Click(bool on)
{
    if (on) {
        showBoard(true);
        showFullScreen();
    } else {
        if (isFullScreen())
            showNormal();
        showBoard(false);
    }
    Fullskjerm->setChecked(on);
}

void frmhoved::Tavlevisning_Click(bool on)
{
    if (!on && isFullScreen())
        showNormal();
    showBoard(on);
}

void frmhoved::showBoard(bool on)
{
    Tavlevisning->setChecked(on);
    // The layout's own scale means nothing to the board.
    for (QAction *zoom : {Storre, Mindre, VanligStorrelse})
        zoom->setEnabled(!on);
    if (on == m_boardShown)
        return;
    m_boardShown = on;
    // The view taken out stays the window's child, hidden, with its state: the layout's controls
    // remain the game's state, and the board comes back as it was left.
    QWidget *shown = takeCentralWidget();
    shown->setParent(this);
    shown->hide();
    if (on) {
        if (!m_board) {
            m_board = new BoardView(this);
            m_board->hide();
            connect(m_board, &BoardView::tapped, this, &frmhoved::playerKey);
            // The board's buttons are shown in their phase only; a click that comes as the phase
            // changes must not run a handler made for another one.
            connect(m_board, &BoardView::startClicked, this, [this](bool playerA) {
                if (phase() == Phase::SetUp)
                    playerA ? starta_Click() : startb_Click();
            });
            connect(m_board, &BoardView::switchClicked, this, [this] {
                if (phase() == Phase::Running)
                    Command1_Click();
            });
            connect(m_board, &BoardView::pauseClicked, this, [this] {
                if (phase() == Phase::Running)
                    pause_Click();
            });
            connect(m_board, &BoardView::resumeClicked, this, [this](bool playerA) {
                if (phase() == Phase::Paused)
                    playerA ? pausea_Click() : pauseb_Click();
            });
            connect(m_board, &BoardView::leaveClicked, this, [this] { Fullskjerm_Click(false); });
            m_board->setMenuActions({Tavlevisning, Fullskjerm, ByttSide});
        }
        m_board->setSwapped(sidesSwapped());
        setCentralWidget(m_board);
        m_board->show();
        menuBar()->hide();
        followBoard();
        m_board->takeFocus();
    } else {
        setCentralWidget(m_stage);
        m_stage->show();
        menuBar()->show();
        focusClassic();
        Timer2_Timer();
    }
}

void frmhoved::focusClassic()
{
    // A button, never a box: a box that receives the focus empties itself.
    switch (phase()) {
    case Phase::SetUp:
        starta->setFocus(Qt::OtherFocusReason);
        break;
    case Phase::Running:
        Command1->setFocus(Qt::OtherFocusReason);
        break;
    case Phase::Paused:
        (numericValue(Label1->text()) == 0 ? pauseb : pausea)->setFocus(Qt::OtherFocusReason);
        break;
    }
}

void frmhoved::followBoard()
{
    if (!m_boardShown)
        return;
    m_board->setState(side(true), side(false), phase());
    // The handlers give the focus to the layout's buttons, hidden behind the board.
    QWidget *focus = focusWidget();
    if (!focus || !m_board->isAncestorOf(focus))
        m_board->takeFocus();
}

bool frmhoved::sidesSwapped()
{
    if (!m_sidesSwapped)
        m_sidesSwapped = QSettings().value(kSidesSwappedKey, false).toBool();
    return *m_sidesSwapped;
}

void frmhoved::ByttSide_Click(bool)
{
    // The entry's mark may not have been read yet: the choice turns from what is kept.
    const bool swapped = !sidesSwapped();
    m_sidesSwapped = swapped;
    ByttSide->setChecked(swapped);
    if (m_board)
        m_board->setSwapped(swapped);
    QSettings settings;
    settings.setValue(kSidesSwappedKey, swapped);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        report(QStringLiteral("Valget av side kan ikke lagres i %1. Det gjelder til programmet avsluttes.")
                   .arg(settings.fileName()));
}

void frmhoved::sideKey(bool left)
{
    // The key on the left belongs to the player shown on the left.
    playerKey(left != (m_boardShown && m_sidesSwapped.value_or(false)));
}

void frmhoved::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Fullskjerm->setChecked(isFullScreen());
}

void frmhoved::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    fitLasting();
}

void frmhoved::fitLasting()
{
    const int share = std::max(200, width() * 3 / 5);
    int natural = 0;
    for (const QString &line : m_lasting->text().split(QLatin1Char('\n')))
        natural = std::max(natural, m_lasting->fontMetrics().horizontalAdvance(line));
    const int wide = std::min(natural + 2 * m_lasting->margin() + 4, share);
    m_lasting->setFixedWidth(wide);
    m_lasting->setMinimumHeight(std::max(0, m_lasting->heightForWidth(wide)));
}

void frmhoved::countdownFonts(qreal zoom)
{
    QFont font = scaledFont(m_stage->client()->font(), kCountdownReadoutScale * readoutGrowth(zoom));
    font.setBold(true);
    igjena->setFont(font);
    igjenb->setFont(font);
}

void frmhoved::zoomChanged(qreal zoom)
{
    for (QLabel *readout : {mina, seka, minb, sekb})
        readout->setFont(zoom <= 1.0 ? QFont() : scaledFont(m_stage->client()->font(), readoutGrowth(zoom)));
    countdownFonts(zoom);
    // The canvases were laid anew at the new scale.
    refreshFace(true, true);
    refreshFace(false, false);
}

// ---- other windows -----------------------------------------------------------------------------

void frmhoved::timeLimitCheck()
{
    if (!stans->isEnabled())
        return;
    if (numericValue(stans->text()) == 0)
        stans->setText(kDefaults.stans);
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

void frmhoved::Juster_Click()
{
    timeLimitCheck();
    Q_EMIT correctionRequested();
}

void frmhoved::Tidskontroll_Click()
{
    timeLimitCheck();
    Q_EMIT timeControlRequested();
}

void frmhoved::Turnering_Click()
{
    timeLimitCheck();
    Q_EMIT hallRequested();
}

void frmhoved::Trekktider_Click()
{
    Q_EMIT moveTimesRequested();
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
    // The message is painted, not a control: its text is the bar's name, for a screen reader's
    // "read the status bar" (not announced: a note must not cut into the game).
    statusBar()->setAccessibleName(message);
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
    fitLasting();
    m_lasting->setHidden(text.isEmpty());
    // A screen reader hears the new state as it comes, also while the focus is elsewhere: a new
    // accessible name is sent out as a name change.
    m_lasting->setAccessibleName(text);
    Q_EMIT lastingChanged(text);
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
