#include "frmlagresom.h"

#include "gamefiles/linefiles.h"
#include "toolkit/controltable.h"
#include "toolkit/windows.h"
#include "windowparts_p.h"

#include <QDir>

namespace gamefiles {

namespace {

constexpr int kClientWidth = 4980;
constexpr int kClientHeight = 4860;

using toolkit::ControlKind;

constexpr toolkit::ControlRow kControls[] = {
    // First, so that the name box covers its right part.
    {"label1", ControlKind::Label, "Filnavn", 120, 3960, 1095, 375},
    {"Dir1", ControlKind::DirList, "", 120, 960, 4695, 2565, nullptr, 0},
    {"filnavn", ControlKind::LineEdit, "Spill", 720, 3960, 2175, 375, nullptr, 1},
    {"Lagre", ControlKind::CommandButton, "Lagre", 3360, 3720, 1455, 375, nullptr, 2},
    {"Avbryt", ControlKind::CommandButton, "Avbryt", 3360, 4200, 1455, 375, nullptr, 3},
    {"Frame1", ControlKind::Frame, "Filbane:", 120, 120, 4695, 615},
    {"filbane", ControlKind::Label, "", 120, 240, 4455, 255, "Frame1"},
};
static_assert(toolkit::tableFault(kControls) == toolkit::TableFault::None);

} // namespace

QString saveAsPath(const QString &directory, const QString &name)
{
    return directory + QDir::separator() + name + kGameSuffix;
}

QString frmlagresom::startDirectory()
{
    return detail::startDirectory();
}

frmlagresom::frmlagresom(std::function<GameValues()> currentGame, QWidget *parent)
    : QWidget(parent, Qt::Dialog), m_currentGame(std::move(currentGame))
{
    setObjectName(QStringLiteral("frmlagresom"));
    setWindowTitle(QStringLiteral("Lagre som"));
    toolkit::setUpWindow(this, 2925, 3990, kClientWidth, kClientHeight);

    const toolkit::BuiltControls built = toolkit::buildControls(this, kControls);
    label1 = built.get<QLabel>("label1");
    Dir1 = built.get<toolkit::DirList>("Dir1");
    Dir1->setAccessibleName(QStringLiteral("Mapper"));
    filnavn = built.get<QLineEdit>("filnavn");
    label1->setBuddy(filnavn);
    Lagre = built.get<toolkit::CommandButton>("Lagre");
    Avbryt = built.get<toolkit::CommandButton>("Avbryt");
    Frame1 = built.get<QGroupBox>("Frame1");
    filbane = built.get<QLabel>("filbane");
    melding = new toolkit::ReasonLabel(this, kClientWidth, kClientHeight);

    Dir1->setFocus(Qt::OtherFocusReason);

    connect(Dir1, &toolkit::DirList::changed, this, &frmlagresom::Dir1_Change);
    connect(Lagre, &QPushButton::clicked, this, &frmlagresom::Lagre_Click);
    connect(Avbryt, &QPushButton::clicked, this, &frmlagresom::Avbryt_Click);

    Form_Load();
}

frmlagresom::~frmlagresom() = default;

toolkit::ControlTable frmlagresom::controlTable()
{
    return kControls;
}

void frmlagresom::Form_Load()
{
    Dir1->setPath(startDirectory());
    detail::showDirectory(filbane, Dir1->path());
}

void frmlagresom::Dir1_Change()
{
    detail::showDirectory(filbane, Dir1->path());
}

void frmlagresom::Lagre_Click()
{
    const QString path = saveAsPath(QDir::toNativeSeparators(Dir1->path()), filnavn->text());
    // One moment of the clocks: the values as they stand when "Lagre" is pressed.
    if (const std::optional<FileError> error = writeGameFile(path, m_currentGame())) {
        melding->showReason(error->message() + QStringLiteral(" Partiet er ikke lagret."));
        return;
    }
    if (const std::optional<FileError> error = writePathFile(path)) {
        // The game is safe; only the quick save will not find it. The window stays so that this is read.
        melding->showReason(savedMessage(path) + QLatin1Char(' ') + error->message() +
                            QStringLiteral(" «Lagre» (Ctrl+S) vet derfor ikke hvor dette partiet ligger."));
        return;
    }
    Q_EMIT saved(path);
    close();
}

void frmlagresom::Avbryt_Click()
{
    close();
}

frmlagresom *showSaveAs(const std::function<GameValues()> &currentGame, bool *created)
{
    static QPointer<frmlagresom> window;
    return toolkit::showOnce<frmlagresom>(
        window, [&currentGame] { return new frmlagresom(currentGame); }, created);
}

} // namespace gamefiles
