#include "frmopne.h"

#include "toolkit/controltable.h"
#include "toolkit/windows.h"
#include "windowparts_p.h"

#include <QDir>

#include <array>

namespace gamefiles {

namespace {

constexpr int kClientWidth = 5745;
constexpr int kClientHeight = 4515;
constexpr qsizetype kMaxShown = 20;

using toolkit::ControlKind;

constexpr toolkit::ControlRow kControls[] = {
    {"Dir1", ControlKind::DirList, "", 120, 840, 2655, 3465, nullptr, 0},
    {"Frame1", ControlKind::Frame, "Filbane:", 120, 0, 5535, 615},
    {"filbane", ControlKind::Label, "", 120, 240, 5295, 255, "Frame1"},
    {"Avbryt", ControlKind::CommandButton, "Avbryt", 3480, 4080, 1455, 375, nullptr, 1},
    {"opne", ControlKind::CommandButton, "Åpne", 3480, 3600, 1455, 375, nullptr, 2},
    {"File1", ControlKind::FileList, "", 2880, 840, 2775, 2625, nullptr, 3},
};
static_assert(toolkit::tableFault(kControls) == toolkit::TableFault::None);

// A value as the user can read it in a sentence: control characters of a damaged file made
// visible, and a long one cut short.
QString shownValue(const QString &value)
{
    QString shown = value.left(kMaxShown);
    for (QChar &c : shown)
        if (!c.isPrint())
            c = QChar(0xFFFD);
    return value.size() > kMaxShown ? shown + QStringLiteral("…") : shown;
}

} // namespace

QString openPath(const QString &directory, const QString &name)
{
    return directory + QDir::separator() + name;
}

std::optional<QString> checkGame(const GameRead &read, const QString &path)
{
    if (read.error)
        return read.error->message();
    const std::array<std::pair<const QString *, const char *>, 4> readouts{{
        {&read.values.mina, "minuttene til spiller A"},
        {&read.values.seka, "sekundene til spiller A"},
        {&read.values.minb, "minuttene til spiller B"},
        {&read.values.sekb, "sekundene til spiller B"},
    }};
    for (std::size_t i = 0; i < readouts.size(); ++i) {
        const QString &value = *readouts[i].first;
        if (isReadoutText(value))
            continue;
        const QString start =
            QStringLiteral("Filen «%1» er ikke et lagret parti: linje %2 skal holde %3, men ")
                .arg(QDir::toNativeSeparators(path), QString::number(i + 1), QString::fromUtf8(readouts[i].second));
        const QString found = value.isEmpty() ? QStringLiteral("linjen er tom.")
                                              : QStringLiteral("der står «%1».").arg(shownValue(value));
        return start + found + QStringLiteral(" Der skal det stå et helt tall uten fortegn, med høyst ni sifre.");
    }
    return std::nullopt;
}

QString frmopne::startDirectory()
{
    return detail::startDirectory();
}

frmopne::frmopne(QWidget *parent) : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("frmopne"));
    setWindowTitle(QStringLiteral("Åpne"));
    toolkit::setUpWindow(this, 2925, 3780, kClientWidth, kClientHeight);

    const toolkit::BuiltControls built = toolkit::buildControls(this, kControls);
    Dir1 = built.get<toolkit::DirList>("Dir1");
    Dir1->setAccessibleName(QStringLiteral("Mapper"));
    Frame1 = built.get<QGroupBox>("Frame1");
    filbane = built.get<QLabel>("filbane");
    Avbryt = built.get<toolkit::CommandButton>("Avbryt");
    opne = built.get<toolkit::CommandButton>("opne");
    File1 = built.get<toolkit::FileList>("File1");
    File1->setAccessibleName(QStringLiteral("Lagrede partier"));
    File1->setPattern(QStringLiteral("*") + kGameSuffix);
    melding = new toolkit::ReasonLabel(this, kClientWidth, kClientHeight);

    Dir1->setFocus(Qt::OtherFocusReason);

    connect(Dir1, &toolkit::DirList::changed, this, &frmopne::Dir1_Change);
    connect(opne, &QPushButton::clicked, this, &frmopne::opne_Click);
    connect(File1, &toolkit::FileList::doubleClicked, this, &frmopne::File1_DblClick);
    connect(Avbryt, &QPushButton::clicked, this, &frmopne::Avbryt_Click);

    Form_Load();
}

frmopne::~frmopne() = default;

toolkit::ControlTable frmopne::controlTable()
{
    return kControls;
}

void frmopne::Form_Load()
{
    // The path label and the file list follow through Dir1_Change.
    Dir1->setPath(startDirectory());
}

void frmopne::Dir1_Change()
{
    detail::showDirectory(filbane, Dir1->path());
    File1->setPath(Dir1->path());
}

void frmopne::opne_Click()
{
    const QString name = File1->fileName();
    if (name.isEmpty()) {
        melding->showReason(QStringLiteral("Velg først et parti i listen over filer."));
        return;
    }
    const QString path = openPath(QDir::toNativeSeparators(Dir1->path()), name);
    // The backup of the last tick may still be on its way to the disk: whoever writes it finishes
    // first, so the file read is the newest. The whole file is read and checked before anything in
    // the main window changes, its clocks included: a bad file leaves the game exactly as it was.
    Q_EMIT aboutToRead();
    const GameRead read = readGameFile(path);
    if (const std::optional<QString> reason = checkGame(read, path)) {
        if (read.error && read.error->kind == FileError::Kind::Missing)
            File1->refresh();
        melding->showReason(*reason + QStringLiteral(" Partiet er ikke åpnet."));
        return;
    }
    m_refused = false;
    Q_EMIT gameChosen(read.values);
    // Whoever takes the game may still find it unfit (lines after the seventh it cannot read).
    if (!m_refused)
        close();
}

void frmopne::refuse(const QString &why)
{
    m_refused = true;
    melding->showReason(why + QStringLiteral(" Partiet er ikke åpnet."));
}

void frmopne::File1_DblClick()
{
    opne_Click();
}

void frmopne::Avbryt_Click()
{
    close();
}

frmopne *showOpen(bool *created)
{
    static QPointer<frmopne> window;
    return toolkit::showOnce<frmopne>(
        window, [] { return new frmopne; }, created);
}

} // namespace gamefiles
