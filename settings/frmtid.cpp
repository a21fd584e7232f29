#include "frmtid.h"

#include "clock/timecontrolstore.h"
#include "toolkit/twips.h"

#include <QAction>
#include <QPointer>
#include <QRegularExpression>

namespace settings {

namespace {

constexpr int kClientWidth = 7680;
constexpr int kClientHeight = 4500;
constexpr int kRowTop = 960;
constexpr int kRowStep = 390;

using toolkit::ControlKind;
using toolkit::ControlState;

// The frames, fixed labels and buttons; the list, the fields and the choices are placed with them below.
constexpr toolkit::ControlRow kControls[] = {
    {"rammeliste", ControlKind::Frame, "Tidskontroller:", 120, 120, 3000, 3840},
    {"rammeegen", ControlKind::Frame, "Egen tidskontroll:", 3240, 120, 4320, 3240},
    {"navn2", ControlKind::Label, "Navn:", 120, 300, 720, 285, "rammeegen"},
    {"tidtekst", ControlKind::Label, "Tid", 720, 660, 960, 255, "rammeegen"},
    {"trekktekst", ControlKind::Label, "Trekk", 1740, 660, 600, 255, "rammeegen"},
    {"tilleggtekst", ControlKind::Label, "Tillegg", 2400, 660, 1200, 255, "rammeegen"},
    {"sektekst", ControlKind::Label, "Sek", 3660, 660, 540, 255, "rammeegen"},
    {"fase1", ControlKind::Label, "1.", 120, kRowTop, 480, 285, "rammeegen"},
    {"fase2", ControlKind::Label, "2.", 120, kRowTop + kRowStep, 480, 285, "rammeegen"},
    {"fase3", ControlKind::Label, "3.", 120, kRowTop + 2 * kRowStep, 480, 285, "rammeegen"},
    {"tidb2", ControlKind::Label, "B:", 120, 2580, 480, 285, "rammeegen"},
    // On Linux a combo box tells a screen reader only its value; its name comes from the label that
    // has it as buddy. The column heading "Tillegg" cannot be three labels, so these are unseen.
    {"tillegg1", ControlKind::Label, "Tillegg i fase 1", 2400, kRowTop, 1200, 285, "rammeegen", toolkit::kNoTab,
     ControlState::Hidden},
    {"tillegg2", ControlKind::Label, "Tillegg i fase 2", 2400, kRowTop + kRowStep, 1200, 285, "rammeegen",
     toolkit::kNoTab, ControlState::Hidden},
    {"tillegg3", ControlKind::Label, "Tillegg i fase 3", 2400, kRowTop + 2 * kRowStep, 1200, 285, "rammeegen",
     toolkit::kNoTab, ControlState::Hidden},
    {"hjelp", ControlKind::Label, "Tid: t:mm:ss, m:ss eller minutter. Uten trekk: resten av partiet.", 120, 2910, 4080,
     285, "rammeegen"},
    {"Lagre", ControlKind::CommandButton, "Lagre egen", 3240, 3480, 1380, 375, nullptr, 14},
    {"Fjern", ControlKind::CommandButton, "Fjern egen", 4740, 3480, 1380, 375, nullptr, 15, ControlState::Disabled},
    {"OK", ControlKind::CommandButton, "OK", 6240, 3480, 1320, 375, nullptr, 16},
    {"Avbryt", ControlKind::CommandButton, "Avbryt", 6240, 3960, 1320, 375, nullptr, 17},
};
static_assert(toolkit::tableFault(kControls) == toolkit::TableFault::None);

const char *const kBonusNames[] = {"Ingen", "Fischer", "Bronstein", "Forsinkelse"};
const char *const kBonusLabels[] = {"tillegg1", "tillegg2", "tillegg3"};

template <typename W> W *place(W *widget, QWidget *parent, const QString &name, int l, int t, int w, int h)
{
    widget->setParent(parent);
    widget->setObjectName(name);
    toolkit::placeTwips(widget, l, t, w, h);
    return widget;
}

QLineEdit *field(QWidget *parent, const QString &name, const QString &role, int l, int t, int w)
{
    auto *box = place(new QLineEdit, parent, name, l, t, w, 285);
    box->setAccessibleName(role);
    box->setMaxLength(16);
    return box;
}

QString secondsText(qint64 ms)
{
    return QString::number(ms / 1000);
}

} // namespace

frmtid::frmtid(const gameclock::TimeControl &current, QWidget *parent) : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("frmtid"));
    setWindowTitle(QStringLiteral("Tidskontroll"));
    toolkit::setUpWindow(this, 2400, 2400, kClientWidth, kClientHeight);

    const toolkit::BuiltControls built = toolkit::buildControls(this, kControls);
    rammeliste = built.get<QGroupBox>("rammeliste");
    rammeegen = built.get<QGroupBox>("rammeegen");
    Lagre = built.get<toolkit::CommandButton>("Lagre");
    Fjern = built.get<toolkit::CommandButton>("Fjern");
    OK = built.get<toolkit::CommandButton>("OK");
    Avbryt = built.get<toolkit::CommandButton>("Avbryt");

    liste = place(new QListWidget, rammeliste, QStringLiteral("liste"), 120, 240, 2760, 3480);
    liste->setAccessibleName(QStringLiteral("Tidskontroller"));
    navn = field(rammeegen, QStringLiteral("navn"), QStringLiteral("Navn på egen tidskontroll"), 840, 270, 3360);
    navn->setMaxLength(gameclock::kMaxControlNameLength);
    QList<QWidget *> chain{liste, navn};
    for (int i = 0; i < 3; ++i) {
        const int top = kRowTop + i * kRowStep;
        const QString n = QString::number(i + 1);
        tid[i] = field(rammeegen, QStringLiteral("tid") + n, QStringLiteral("Tid i fase ") + n, 720, top, 960);
        trekk[i] =
            field(rammeegen, QStringLiteral("trekk") + n, QStringLiteral("Antall trekk i fase ") + n, 1740, top, 600);
        type[i] = place(new QComboBox, rammeegen, QStringLiteral("type") + n, 2400, top - 15, 1200, 315);
        for (const char *bonus : kBonusNames)
            type[i]->addItem(QString::fromUtf8(bonus));
        type[i]->setAccessibleName(QStringLiteral("Tillegg i fase ") + n);
        built.get<QLabel>(kBonusLabels[i])->setBuddy(type[i]);
        sek[i] =
            field(rammeegen, QStringLiteral("sek") + n, QStringLiteral("Sekunder tillegg i fase ") + n, 3660, top, 540);
        chain << tid[i] << trekk[i] << type[i] << sek[i];
    }
    odds = place(new QCheckBox(QStringLiteral("Ulik tid for spiller B (fase 1):")), rammeegen, QStringLiteral("odds"),
                 120, 2205, 4080, 285);
    tidb = field(rammeegen, QStringLiteral("tidb"), QStringLiteral("Tid i fase 1 for spiller B"), 720, 2580, 960);
    sekb = field(rammeegen, QStringLiteral("sekb"), QStringLiteral("Sekunder tillegg i fase 1 for spiller B"), 3660,
                 2580, 540);
    chain << odds << tidb << sekb << Lagre << Fjern << OK << Avbryt;
    toolkit::setTabChain(chain);
    melding = new toolkit::ReasonLabel(this, kClientWidth, kClientHeight);

    // The selection, not the current row: a screen reader or switch access selects an entry through
    // the accessibility interface without moving the current row.
    connect(liste->selectionModel(), &QItemSelectionModel::selectionChanged, this, &frmtid::liste_Change);
    connect(liste, &QListWidget::itemActivated, this, &frmtid::OK_Click);
    connect(odds, &QCheckBox::toggled, this, [this](bool on) {
        tidb->setEnabled(on);
        sekb->setEnabled(on);
    });
    connect(Lagre, &QPushButton::clicked, this, &frmtid::Lagre_Click);
    connect(Fjern, &QPushButton::clicked, this, &frmtid::Fjern_Click);
    connect(OK, &QPushButton::clicked, this, &frmtid::OK_Click);
    connect(Avbryt, &QPushButton::clicked, this, &frmtid::Avbryt_Click);
    auto *cancel = new QAction(this);
    cancel->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(cancel, &QAction::triggered, this, &frmtid::Avbryt_Click);
    addAction(cancel);

    fillList(current.name);
    if (!selected())
        showInForm(current);
    tidb->setEnabled(odds->isChecked());
    sekb->setEnabled(odds->isChecked());
    liste->setFocus(Qt::OtherFocusReason);
}

frmtid::~frmtid() = default;

toolkit::ControlTable frmtid::controlTable()
{
    return kControls;
}

void frmtid::fillList(const QString &select)
{
    m_entries = gameclock::presets();
    m_presetCount = m_entries.size();
    for (const gameclock::TimeControl &own : gameclock::ownControls())
        if (!gameclock::presetNamed(own.name))
            m_entries.push_back(own);
    const QSignalBlocker quiet(liste), quietSelection(liste->selectionModel());
    liste->clear();
    int row = -1;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        // An own control says so, so that the user knows what "Fjern egen" can remove.
        liste->addItem(i < m_presetCount ? m_entries[i].name : m_entries[i].name + QStringLiteral(" (egen)"));
        if (m_entries[i].name == select)
            row = int(i);
    }
    liste->setCurrentRow(row);
    if (row >= 0)
        showInForm(m_entries[std::size_t(row)]);
}

int frmtid::selectedRow() const
{
    const QModelIndexList rows = liste->selectionModel()->selectedIndexes();
    if (rows.size() != 1 || rows.front().row() < 0 || std::size_t(rows.front().row()) >= m_entries.size())
        return -1;
    return rows.front().row();
}

std::optional<gameclock::TimeControl> frmtid::selected() const
{
    const int row = selectedRow();
    if (row < 0)
        return std::nullopt;
    return m_entries[std::size_t(row)];
}

bool frmtid::selectedIsOwn() const
{
    const int row = selectedRow();
    return row >= 0 && std::size_t(row) >= m_presetCount;
}

bool frmtid::formIsEmpty() const
{
    for (const QLineEdit *box : {navn, tid[0], tid[1], tid[2], trekk[0], trekk[1], trekk[2], sek[0], sek[1], sek[2]})
        if (!box->text().trimmed().isEmpty())
            return false;
    return !odds->isChecked() &&
           std::all_of(type.begin(), type.end(), [](const QComboBox *c) { return c->currentIndex() == 0; });
}

QStringList frmtid::formState() const
{
    QStringList state{navn->text()};
    for (std::size_t i = 0; i < 3; ++i)
        state << tid[i]->text() << trekk[i]->text() << QString::number(type[i]->currentIndex()) << sek[i]->text();
    state << (odds->isChecked() ? QStringLiteral("odds") : QString()) << tidb->text() << sekb->text();
    return state;
}

void frmtid::showInForm(const gameclock::TimeControl &control)
{
    navn->setText(control.classic() ? QString() : control.name);
    for (std::size_t i = 0; i < 3; ++i) {
        const bool has = i < control.a.size();
        const gameclock::Stage s = has ? control.a[i] : gameclock::Stage{};
        tid[i]->setText(has ? gameclock::durationText(s.baseMs) : QString());
        trekk[i]->setText(has && s.moves > 0 ? QString::number(s.moves) : QString());
        type[i]->setCurrentIndex(int(s.bonus));
        sek[i]->setText(has ? secondsText(s.bonusMs) : QString());
    }
    const bool differ = !control.classic() && control.a != control.b && !control.b.empty();
    odds->setChecked(differ);
    tidb->setText(differ ? gameclock::durationText(control.b.front().baseMs) : QString());
    sekb->setText(differ ? secondsText(control.b.front().bonusMs) : QString());
    Fjern->setEnabled(selectedIsOwn());
    m_shown = formState();
}

void frmtid::liste_Change()
{
    const int row = selectedRow();
    Fjern->setEnabled(selectedIsOwn());
    if (row < 0)
        return;
    // The keyboard goes on from the entry chosen, however it was chosen.
    liste->selectionModel()->setCurrentIndex(liste->model()->index(row, 0), QItemSelectionModel::NoUpdate);
    showInForm(m_entries[std::size_t(row)]);
}

std::optional<gameclock::TimeControl> frmtid::formControl(QString *why) const
{
    static const QRegularExpression seconds(QStringLiteral("^\\d{1,4}$"));
    const auto refuse = [why](const QString &reason) -> std::optional<gameclock::TimeControl> {
        *why = reason;
        return std::nullopt;
    };
    gameclock::TimeControl control;
    control.name = navn->text().trimmed();
    if (control.name.isEmpty())
        return refuse(QStringLiteral("Navnet er ikke fylt ut."));
    if (control.name.size() > gameclock::kMaxControlNameLength)
        return refuse(QStringLiteral("Navnet kan ha høyst %1 tegn.").arg(gameclock::kMaxControlNameLength));
    const auto filled = [this](std::size_t i) {
        return !tid[i]->text().trimmed().isEmpty() || !trekk[i]->text().trimmed().isEmpty() ||
               !sek[i]->text().trimmed().isEmpty() || type[i]->currentIndex() != int(gameclock::Bonus::None);
    };
    for (std::size_t i = 0; i < 3; ++i) {
        const QString n = QString::number(i + 1);
        if (!filled(i)) {
            // A stage typed below an empty one was meant for the game: dropping it would play another
            // control, and moving it up might give it the wrong stage's moves.
            for (std::size_t later = i + 1; i > 0 && later < 3; ++later)
                if (filled(later))
                    return refuse(QStringLiteral("Fase %1 er tom, men fase %2 er fylt ut: fyll ut fase %1, eller "
                                                 "flytt fase %2 opp.")
                                      .arg(n)
                                      .arg(later + 1));
            break;
        }
        gameclock::Stage stage;
        const std::optional<qint64> base = gameclock::parseDuration(tid[i]->text());
        if (!base)
            return refuse(
                QStringLiteral("Tiden i fase %1 kan ikke leses: skriv t:mm:ss, m:ss eller hele minutter.").arg(n));
        stage.baseMs = *base;
        const QString moves = trekk[i]->text().trimmed();
        if (!moves.isEmpty()) {
            if (!seconds.match(moves).hasMatch())
                return refuse(QStringLiteral("Antall trekk i fase %1 skal være et helt tall.").arg(n));
            stage.moves = moves.toInt();
        }
        stage.bonus = gameclock::Bonus(type[i]->currentIndex());
        const QString bonus = sek[i]->text().trimmed();
        if (!bonus.isEmpty() && !seconds.match(bonus).hasMatch())
            return refuse(QStringLiteral("Tillegget i fase %1 skal være et helt antall sekunder.").arg(n));
        stage.bonusMs = bonus.toLongLong() * 1000;
        if (stage.bonus == gameclock::Bonus::None)
            stage.bonusMs = 0;
        control.a.push_back(stage);
    }
    if (control.a.empty())
        return refuse(QStringLiteral("Tiden i fase 1 er ikke fylt ut."));
    // The last stage typed is the rest of the game only when its moves were left empty.
    control.b = control.a;
    if (odds->isChecked()) {
        const std::optional<qint64> base = gameclock::parseDuration(tidb->text());
        if (!base)
            return refuse(QStringLiteral("Tiden i fase 1 for spiller B kan ikke leses: skriv t:mm:ss, m:ss eller hele "
                                         "minutter."));
        const QString bonus = sekb->text().trimmed();
        if (!bonus.isEmpty() && !seconds.match(bonus).hasMatch())
            return refuse(QStringLiteral("Tillegget i fase 1 for spiller B skal være et helt antall sekunder."));
        control.b.front().baseMs = *base;
        control.b.front().bonusMs = control.b.front().bonus == gameclock::Bonus::None ? 0 : bonus.toLongLong() * 1000;
    }
    if (const std::optional<QString> invalid = gameclock::whyInvalid(control))
        return refuse(*invalid);
    return control;
}

void frmtid::Lagre_Click()
{
    QString why;
    const std::optional<gameclock::TimeControl> control = formControl(&why);
    if (!control)
        return refuse(why + QStringLiteral(" Tidskontrollen er ikke lagret."));
    if (gameclock::presetNamed(control->name))
        return refuse(
            QStringLiteral("«%1» er navnet på et forvalg: gi din egen tidskontroll et annet navn.").arg(control->name));
    if (const QString failed = gameclock::keepOwnControl(*control); !failed.isEmpty())
        return refuse(failed);
    fillList(control->name);
    melding->showReason(QStringLiteral("«%1» er lagret.").arg(control->name));
}

void frmtid::Fjern_Click()
{
    if (!selectedIsOwn())
        return refuse(QStringLiteral("Velg en egen tidskontroll i listen; forvalgene kan ikke fjernes."));
    const QString name = selected()->name;
    if (const QString failed = gameclock::removeOwnControl(name); !failed.isEmpty())
        return refuse(failed);
    fillList(gameclock::classicControl().name);
    melding->showReason(QStringLiteral("«%1» er fjernet.").arg(name));
}

void frmtid::OK_Click()
{
    // What the user sees is played: the list's entry as the form shows it, or what was typed over it.
    const std::optional<gameclock::TimeControl> listed = selected();
    if (listed && formState() == m_shown) {
        Q_EMIT chosen(*listed);
        return;
    }
    if (!listed && formIsEmpty())
        return refuse(QStringLiteral("Velg en tidskontroll i listen, eller fyll ut en egen."));
    QString why;
    const std::optional<gameclock::TimeControl> control = formControl(&why);
    if (!control)
        return refuse(why + QStringLiteral(" Tidskontrollen er ikke tatt i bruk."));
    if (const std::optional<gameclock::TimeControl> preset = gameclock::presetNamed(control->name)) {
        if (*preset != *control)
            return refuse(QStringLiteral("«%1» er navnet på et forvalg: gi din egen tidskontroll et annet navn.")
                              .arg(control->name));
        Q_EMIT chosen(*preset);
        return;
    }
    // The choice is kept by name for the next start, so the control is kept with it.
    if (const QString failed = gameclock::keepOwnControl(*control); !failed.isEmpty())
        return refuse(failed);
    fillList(control->name);
    Q_EMIT chosen(*control);
}

void frmtid::Avbryt_Click()
{
    close();
}

void frmtid::refuse(const QString &why)
{
    melding->showReason(why);
}

frmtid *showTimeControls(const gameclock::TimeControl &current, bool *created)
{
    static QPointer<frmtid> window;
    return toolkit::showOnce<frmtid>(
        window, [&current] { return new frmtid(current); }, created);
}

} // namespace settings
