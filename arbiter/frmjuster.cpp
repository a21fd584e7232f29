#include "frmjuster.h"

#include "toolkit/controltable.h"
#include "toolkit/windows.h"

#include <QAction>
#include <QPointer>

#include <algorithm>

namespace arbiter {

namespace {

constexpr int kClientWidth = 4215;
constexpr int kClientHeight = 2070;
constexpr qsizetype kMaxQuoted = 20;

using toolkit::ControlKind;

// The frames take the players' names when the window opens.
constexpr toolkit::ControlRow kControls[] = {
    {"rammea", ControlKind::Frame, "", 120, 120, 2655, 855},
    {"mina", ControlKind::LineEdit, "", 120, 360, 855, 285, "rammea", 0},
    {"mina2", ControlKind::Label, "Min", 1035, 360, 375, 285, "rammea"},
    {"seka", ControlKind::LineEdit, "", 1470, 360, 615, 285, "rammea", 1},
    {"seka2", ControlKind::Label, "Sek", 2145, 360, 375, 285, "rammea"},
    {"rammeb", ControlKind::Frame, "", 120, 1095, 2655, 855},
    {"minb", ControlKind::LineEdit, "", 120, 360, 855, 285, "rammeb", 2},
    {"minb2", ControlKind::Label, "Min", 1035, 360, 375, 285, "rammeb"},
    {"sekb", ControlKind::LineEdit, "", 1470, 360, 615, 285, "rammeb", 3},
    {"sekb2", ControlKind::Label, "Sek", 2145, 360, 375, 285, "rammeb"},
    {"OK", ControlKind::CommandButton, "OK", 2940, 240, 1155, 375, nullptr, 4},
    {"Avbryt", ControlKind::CommandButton, "Avbryt", 2940, 720, 1155, 375, nullptr, 5},
};
static_assert(toolkit::tableFault(kControls) == toolkit::TableFault::None);

// A game restored from a file may hold an empty name; the fields still need one to be told apart.
QString nameOf(const QString &name, const char *fallback)
{
    return name.trimmed().isEmpty() ? QString::fromUtf8(fallback) : name;
}

// Why a typed read-out cannot be taken, or nothing when it can: it must be a read-out as a game file
// holds it, and seconds lie within a minute. Blanks around the digits do not count.
std::optional<QString> whyNot(const QString &typed, bool seconds, const QString &field)
{
    const QString value = typed.trimmed();
    if (value.isEmpty())
        return QStringLiteral("%1 er ikke fylt ut.").arg(field);
    if (!gamefiles::isReadoutText(value)) {
        const bool digitsOnly = std::all_of(value.begin(), value.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (digitsOnly)
            return QStringLiteral("%1 kan ha høyst %2 sifre, som i et lagret parti.")
                .arg(field)
                .arg(gamefiles::kMaxReadoutDigits);
        const QString quoted = value.size() > kMaxQuoted ? value.left(kMaxQuoted) + QStringLiteral("…") : value;
        return QStringLiteral("%1 skal være et helt tall uten fortegn, men der står «%2».").arg(field, quoted);
    }
    if (seconds && value.toInt() > 59)
        return QStringLiteral("%1 skal være fra 0 til 59, men der står «%2».").arg(field, value);
    return std::nullopt;
}

QLineEdit *field(const toolkit::BuiltControls &built, const char *name, const QString &text, const QString &role)
{
    auto *box = built.get<QLineEdit>(name);
    box->setText(text);
    box->setAccessibleName(role);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setMaxLength(gamefiles::kMaxValueLength);
    return box;
}

} // namespace

frmjuster::frmjuster(const gamefiles::GameValues &game, const std::optional<CountdownGame> &countdown,
                     QWidget *parent)
    : QWidget(parent, Qt::Dialog), m_nameA(nameOf(game.spillera, "Spiller A")),
      m_nameB(nameOf(game.spillerb, "Spiller B")), m_countdown(countdown)
{
    setObjectName(QStringLiteral("frmjuster"));
    setWindowTitle(QStringLiteral("Juster tid"));
    toolkit::setUpWindow(this, 3000, 3000, kClientWidth, kClientHeight);
    // As a clock in its setting mode: until the arbiter is done, nobody resumes the game, starts a
    // new one or opens another under the values being typed.
    setWindowModality(Qt::ApplicationModal);

    const toolkit::BuiltControls built = toolkit::buildControls(this, kControls);
    rammea = built.get<QGroupBox>("rammea");
    rammeb = built.get<QGroupBox>("rammeb");
    rammea->setTitle(m_nameA);
    rammeb->setTitle(m_nameB);
    mina = field(built, "mina", game.mina, m_nameA + QStringLiteral(", minutter"));
    seka = field(built, "seka", game.seka, m_nameA + QStringLiteral(", sekunder"));
    minb = field(built, "minb", game.minb, m_nameB + QStringLiteral(", minutter"));
    sekb = field(built, "sekb", game.sekb, m_nameB + QStringLiteral(", sekunder"));
    mina2 = built.get<QLabel>("mina2");
    seka2 = built.get<QLabel>("seka2");
    minb2 = built.get<QLabel>("minb2");
    sekb2 = built.get<QLabel>("sekb2");
    OK = built.get<toolkit::CommandButton>("OK");
    Avbryt = built.get<toolkit::CommandButton>("Avbryt");
    melding = new toolkit::ReasonLabel(this, kClientWidth, kClientHeight);

    connect(OK, &QPushButton::clicked, this, &frmjuster::OK_Click);
    connect(Avbryt, &QPushButton::clicked, this, &frmjuster::Avbryt_Click);
    // Enter in a field is OK; on a button it presses that button.
    for (QLineEdit *box : {mina, seka, minb, sekb})
        connect(box, &QLineEdit::returnPressed, this, &frmjuster::OK_Click);
    auto *cancel = new QAction(this);
    cancel->setObjectName(QStringLiteral("avbrytTast"));
    cancel->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(cancel, &QAction::triggered, this, &frmjuster::Avbryt_Click);
    addAction(cancel);

    if (m_countdown) {
        // The same places hold the time left and the moves made.
        mina2->setText(QStringLiteral("Tid"));
        minb2->setText(QStringLiteral("Tid"));
        seka2->setText(QStringLiteral("Trekk"));
        sekb2->setText(QStringLiteral("Trekk"));
        for (int p : {0, 1}) {
            QLineEdit *time = p == 0 ? mina : minb;
            QLineEdit *moves = p == 0 ? seka : sekb;
            const QString &name = p == 0 ? m_nameA : m_nameB;
            m_exactMs[std::size_t(p)] = m_countdown->values.leftMs[std::size_t(p)];
            m_timeShown[std::size_t(p)] = gameclock::durationText(m_exactMs[std::size_t(p)]);
            m_movesShown[std::size_t(p)] = m_countdown->values.moves[std::size_t(p)];
            time->setText(m_timeShown[std::size_t(p)]);
            moves->setText(QString::number(m_movesShown[std::size_t(p)]));
            time->setAccessibleName(name + QStringLiteral(", tid igjen"));
            moves->setAccessibleName(name + QStringLiteral(", trekk"));
            connect(moves, &QLineEdit::textEdited, this, [this, p] { followStage(p); });
        }
    }

    // The arbiter types over the first value at once.
    mina->setFocus(Qt::OtherFocusReason);
    mina->selectAll();
}

frmjuster::~frmjuster() = default;

toolkit::ControlTable frmjuster::controlTable()
{
    return kControls;
}

std::optional<qint64> frmjuster::typedLeftMs(int player) const
{
    const std::size_t p = std::size_t(player);
    const QString typed = (player == 0 ? mina : minb)->text().trimmed();
    return typed == m_timeShown[p] ? std::optional(m_exactMs[p]) : gameclock::parseDuration(typed);
}

std::optional<int> frmjuster::typedMoves(int player) const
{
    const QString typed = (player == 0 ? seka : sekb)->text().trimmed();
    if (!gamefiles::isReadoutText(typed) || typed.size() > 5)
        return std::nullopt;
    return typed.toInt();
}

void frmjuster::followStage(int player)
{
    const std::size_t p = std::size_t(player);
    const std::optional<int> moves = typedMoves(player);
    if (!moves)
        return;
    const gameclock::Stages &stages = m_countdown->control.stages(player == 0);
    const qint64 change =
        gameclock::stageTimeAfter(stages, *moves) - gameclock::stageTimeAfter(stages, m_movesShown[p]);
    if (change == 0)
        return;
    const std::optional<qint64> left = typedLeftMs(player);
    if (!left)
        return;
    m_exactMs[p] = std::max<qint64>(0, *left + change);
    m_timeShown[p] = gameclock::durationText(m_exactMs[p]);
    m_movesShown[p] = *moves;
    (player == 0 ? mina : minb)->setText(m_timeShown[p]);
}

void frmjuster::countdownOK()
{
    CountdownValues values;
    for (int p : {0, 1}) {
        QLineEdit *time = p == 0 ? mina : minb;
        QLineEdit *moves = p == 0 ? seka : sekb;
        const QString &name = p == 0 ? m_nameA : m_nameB;
        const auto stop = [this](QLineEdit *box, const QString &why) {
            refuse(why + QStringLiteral(" Tiden er ikke justert."));
            box->setFocus(Qt::OtherFocusReason);
            box->selectAll();
        };
        const std::optional<qint64> left = typedLeftMs(p);
        if (!left)
            return stop(time, QStringLiteral("Tiden til %1 kan ikke leses: skriv t:mm:ss, m:ss eller hele minutter.")
                                  .arg(name));
        const std::optional<int> made = typedMoves(p);
        if (!made)
            return stop(moves, QStringLiteral("Trekkene til %1 skal være et helt tall fra 0 til 99999.").arg(name));
        values.leftMs[std::size_t(p)] = *left;
        values.moves[std::size_t(p)] = *made;
    }
    Q_EMIT countdownChosen(values);
}

void frmjuster::OK_Click()
{
    if (m_countdown)
        return countdownOK();
    const struct {
        QLineEdit *box;
        bool seconds;
        QString field;
    } fields[] = {
        {mina, false, QStringLiteral("Minuttene til ") + m_nameA},
        {seka, true, QStringLiteral("Sekundene til ") + m_nameA},
        {minb, false, QStringLiteral("Minuttene til ") + m_nameB},
        {sekb, true, QStringLiteral("Sekundene til ") + m_nameB},
    };
    QString value[4];
    for (int i = 0; i < 4; ++i) {
        if (const std::optional<QString> why = whyNot(fields[i].box->text(), fields[i].seconds, fields[i].field)) {
            refuse(*why + QStringLiteral(" Tiden er ikke justert."));
            fields[i].box->setFocus(Qt::OtherFocusReason);
            fields[i].box->selectAll();
            return;
        }
        // Plain digits, as the clock writes its read-outs: "05" typed is "5".
        value[i] = QString::number(fields[i].box->text().trimmed().toInt());
    }
    Q_EMIT correctionChosen({value[0], value[1], value[2], value[3]});
}

void frmjuster::Avbryt_Click()
{
    close();
}

void frmjuster::refuse(const QString &why)
{
    melding->showReason(why);
}

frmjuster *showCorrection(const gamefiles::GameValues &game, const std::optional<CountdownGame> &countdown,
                          bool *created)
{
    static QPointer<frmjuster> window;
    return toolkit::showOnce<frmjuster>(
        window, [&game, &countdown] { return new frmjuster(game, countdown); }, created);
}

} // namespace arbiter
