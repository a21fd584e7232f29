#include "frmalt.h"

#include "clock/limits.h"
#include "clock/numbers.h"
#include "gamefiles/linefiles.h"
#include "toolkit/controltable.h"
#include "toolkit/timer.h"
#include "toolkit/windows.h"

namespace settings {

namespace {

constexpr int kClientWidth = 3375;
constexpr int kClientHeight = 2385;

using toolkit::ControlKind;

constexpr toolkit::ControlRow kControls[] = {
    {"Frame1", ControlKind::Frame, "Navn på spiller A:", 120, 240, 1695, 615},
    {"spillera", ControlKind::TextBox, "Text1", 120, 240, 1455, 285, "Frame1", 1},
    {"Frame2", ControlKind::Frame, "Navn på spiler B:", 120, 960, 1695, 615},
    {"spillerb", ControlKind::TextBox, "Text2", 120, 240, 1455, 285, "Frame2", 2},
    {"Frame3", ControlKind::Frame, "Standar tid:", 120, 1680, 1695, 615},
    {"stans", ControlKind::TextBox, "Text3", 120, 240, 1455, 285, "Frame3", 3},
    {"standar", ControlKind::CommandButton, "Standar Inst.", 2040, 360, 1215, 495, nullptr, 5},
    {"ok", ControlKind::CommandButton, "OK", 2040, 1080, 1215, 495, nullptr, 0},
    {"Avbryt", ControlKind::CommandButton, "Avbryt", 2040, 1800, 1215, 495, nullptr, 4},
};
static_assert(toolkit::tableFault(kControls) == toolkit::TableFault::None);

// Whatever is typed must fit the settings file.
toolkit::TextBox *textBox(const toolkit::BuiltControls &built, const char *name, const QString &role)
{
    auto *box = built.get<toolkit::TextBox>(name);
    box->setAccessibleName(role);
    box->setMaxLength(gamefiles::kMaxValueLength);
    return box;
}

} // namespace

frmalt::frmalt(QWidget *parent) : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("frmalt"));
    setWindowTitle(QStringLiteral("Alternativer"));
    toolkit::setUpWindow(this, 2715, 3990, kClientWidth, kClientHeight);

    const toolkit::BuiltControls built = toolkit::buildControls(this, kControls);
    Frame1 = built.get<QGroupBox>("Frame1");
    Frame2 = built.get<QGroupBox>("Frame2");
    Frame3 = built.get<QGroupBox>("Frame3");
    spillera = textBox(built, "spillera", QStringLiteral("Navn på spiller A"));
    spillerb = textBox(built, "spillerb", QStringLiteral("Navn på spiller B"));
    stans = textBox(built, "stans", QStringLiteral("Standard tid per spiller i minutter"));
    standar = built.get<toolkit::CommandButton>("standar");
    ok = built.get<toolkit::CommandButton>("ok");
    Avbryt = built.get<toolkit::CommandButton>("Avbryt");
    melding = new toolkit::ReasonLabel(this, kClientWidth, kClientHeight);

    ok->setFocus(Qt::OtherFocusReason);

    connect(standar, &QPushButton::clicked, this, &frmalt::standar_Click);
    connect(ok, &QPushButton::clicked, this, &frmalt::ok_Click);
    connect(Avbryt, &QPushButton::clicked, this, &frmalt::Avbryt_Click);
    // A value is always typed anew.
    for (toolkit::TextBox *box : {spillera, spillerb, stans})
        connect(box, &toolkit::TextBox::gotFocus, box, [box] { box->setText(QString()); });

    Form_Load();
}

frmalt::~frmalt() = default;

toolkit::ControlTable frmalt::controlTable()
{
    return kControls;
}

void frmalt::Form_Load()
{
    const gamefiles::SettingsRead read = gamefiles::readSettings();
    spillera->setText(read.values.spillera);
    spillerb->setText(read.values.spillerb);
    stans->setText(read.values.stans);
    // No file yet is the usual state before the first OK, which creates it.
    if (read.error && read.error->kind != gamefiles::FileError::Kind::Missing)
        melding->showReason(read.error->message() + QStringLiteral(" Standardverdiene brukes for det som mangler."));
}

void frmalt::standar_Click()
{
    const gamefiles::SettingsValues defaults;
    spillera->setText(defaults.spillera);
    spillerb->setText(defaults.spillerb);
    stans->setText(defaults.stans);
}

void frmalt::ok_Click()
{
    const gamefiles::SettingsValues defaults;
    gamefiles::SettingsValues values{spillera->text(), spillerb->text(), stans->text()};
    // Within what a game can start with: A beginning allows the lowest limit.
    if (gameclock::numericValue(values.stans) > gameclock::kLimitHighest)
        values.stans = gameclock::numberToText(gameclock::kLimitHighest);
    if (gameclock::numericValue(values.stans) < gameclock::kLimitLowestA)
        values.stans = gameclock::numberToText(gameclock::kLimitLowestA);
    // Only an empty name: blanks are a name the user chose.
    if (values.spillera.isEmpty())
        values.spillera = defaults.spillera;
    if (values.spillerb.isEmpty())
        values.spillerb = defaults.spillerb;

    if (const std::optional<gamefiles::FileError> error = gamefiles::writeSettings(values)) {
        // The old file stays whole; the user may fix the cause and press OK again.
        melding->showReason(error->message() + QStringLiteral(" Innstillingene er ikke lagret."));
        return;
    }
    spillera->setText(values.spillera);
    spillerb->setText(values.spillerb);
    stans->setText(values.stans);
    // The main window takes the values up through its own start-up, never from these boxes.
    Q_EMIT saved();
    close();
}

void frmalt::Avbryt_Click()
{
    close();
}

frmalt *showOptions(bool *created)
{
    static QPointer<frmalt> window;
    return toolkit::showOnce<frmalt>(
        window, [] { return new frmalt; }, created);
}

} // namespace settings
