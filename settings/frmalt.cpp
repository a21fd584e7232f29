#include "frmalt.h"

#include "clock/limits.h"
#include "clock/numbers.h"
#include "gamefiles/linefiles.h"
#include "platform/timer.h"
#include "platform/twips.h"
#include "platform/windows.h"

namespace settings {

using platform::makeButton;
using platform::makeFrame;
using platform::placeTwips;

namespace {

constexpr int kClientWidth = 3375;
constexpr int kClientHeight = 2385;

// Whatever is typed must fit the settings file.
platform::TextBox *makeTextBox(QWidget *parent, const char *name, const QString &text, const QString &role)
{
    return platform::makeTextBox(parent, name, text, role, gamefiles::kMaxValueLength);
}

} // namespace

frmalt::frmalt(QWidget *parent) : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("frmalt"));
    setWindowTitle(QStringLiteral("Alternativer"));
    platform::setUpWindow(this, 2715, 3990, kClientWidth, kClientHeight);

    Frame1 = makeFrame(this, "Frame1", QStringLiteral("Navn på spiller A:"));
    placeTwips(Frame1, 120, 240, 1695, 615);
    spillera = makeTextBox(Frame1, "spillera", QStringLiteral("Text1"), QStringLiteral("Navn på spiller A"));
    placeTwips(spillera, 120, 240, 1455, 285);
    Frame2 = makeFrame(this, "Frame2", QStringLiteral("Navn på spiler B:"));
    placeTwips(Frame2, 120, 960, 1695, 615);
    spillerb = makeTextBox(Frame2, "spillerb", QStringLiteral("Text2"), QStringLiteral("Navn på spiller B"));
    placeTwips(spillerb, 120, 240, 1455, 285);
    Frame3 = makeFrame(this, "Frame3", QStringLiteral("Standar tid:"));
    placeTwips(Frame3, 120, 1680, 1695, 615);
    stans =
        makeTextBox(Frame3, "stans", QStringLiteral("Text3"), QStringLiteral("Standard tid per spiller i minutter"));
    placeTwips(stans, 120, 240, 1455, 285);

    standar = makeButton(this, "standar", QStringLiteral("Standar Inst."));
    placeTwips(standar, 2040, 360, 1215, 495);
    ok = makeButton(this, "ok", QStringLiteral("OK"));
    placeTwips(ok, 2040, 1080, 1215, 495);
    Avbryt = makeButton(this, "Avbryt", QStringLiteral("Avbryt"));
    placeTwips(Avbryt, 2040, 1800, 1215, 495);

    melding = new platform::ReasonLabel(this, kClientWidth, kClientHeight);

    platform::setTabChain({ok, spillera, spillerb, stans, Avbryt, standar});
    ok->setFocus(Qt::OtherFocusReason);

    connect(standar, &QPushButton::clicked, this, &frmalt::standar_Click);
    connect(ok, &QPushButton::clicked, this, &frmalt::ok_Click);
    connect(Avbryt, &QPushButton::clicked, this, &frmalt::Avbryt_Click);
    // A value is always typed anew.
    for (platform::TextBox *box : {spillera, spillerb, stans})
        connect(box, &platform::TextBox::gotFocus, box, [box] { box->setText(QString()); });

    Form_Load();
}

frmalt::~frmalt() = default;

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
    return platform::showOnce<frmalt>(
        window, [] { return new frmalt; }, created);
}

} // namespace settings
