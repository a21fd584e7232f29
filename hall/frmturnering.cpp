#include "frmturnering.h"

#include "message.h"
#include "toolkit/twips.h"

#include <QAction>
#include <QPointer>
#include <QRegularExpression>

namespace hall {

namespace {

constexpr int kClientWidth = 7440;
constexpr int kClientHeight = 4200;

using toolkit::ControlKind;

constexpr toolkit::ControlRow kControls[] = {
    {"rammesaler", ControlKind::Frame, "Saler på nettet:", 120, 120, 3000, 3480},
    {"maskintekst", ControlKind::Label, "&Maskin:", 3300, 240, 1200, 285},
    {"maskin", ControlKind::LineEdit, "", 4560, 210, 2760, 315, nullptr, 1},
    {"porttekst", ControlKind::Label, "&Port:", 3300, 660, 1200, 285},
    {"port", ControlKind::LineEdit, "", 4560, 630, 1080, 315, nullptr, 2},
    {"saltekst", ControlKind::Label, "&Sal:", 3300, 1080, 1200, 285},
    {"sal", ControlKind::LineEdit, "", 4560, 1050, 2760, 315, nullptr, 3},
    {"bretttekst", ControlKind::Label, "&Brett (1–999):", 3300, 1500, 1260, 285},
    {"brett", ControlKind::LineEdit, "", 4560, 1470, 1080, 315, nullptr, 4},
    {"kodetekst", ControlKind::Label, "&Kode:", 3300, 1920, 1200, 285},
    {"kode", ControlKind::LineEdit, "", 4560, 1890, 2760, 315, nullptr, 5},
    {"tilstand", ControlKind::Label, "", 3300, 2400, 4020, 1080},
    {"BliMed", ControlKind::CommandButton, "Bli &med", 3300, 3720, 1260, 375, nullptr, 6},
    {"Forlat", ControlKind::CommandButton, "&Forlat", 4680, 3720, 1260, 375, nullptr, 7},
    {"Lukk", ControlKind::CommandButton, "Lukk", 6060, 3720, 1260, 375, nullptr, 8},
};
static_assert(toolkit::tableFault(kControls) == toolkit::TableFault::None);

QString foundText(const FoundHall &f)
{
    return QStringLiteral("%1 (%2:%3)").arg(f.hall, f.host).arg(f.port);
}

} // namespace

frmturnering::frmturnering(const JoinChoice &current, QWidget *parent) : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("frmturnering"));
    setWindowTitle(QStringLiteral("Turnering"));
    toolkit::setUpWindow(this, 2400, 2400, kClientWidth, kClientHeight);
    const toolkit::BuiltControls built = toolkit::buildControls(this, kControls);
    rammesaler = built.get<QGroupBox>("rammesaler");
    maskin = built.get<QLineEdit>("maskin");
    port = built.get<QLineEdit>("port");
    sal = built.get<QLineEdit>("sal");
    brett = built.get<QLineEdit>("brett");
    kode = built.get<QLineEdit>("kode");
    tilstand = built.get<QLabel>("tilstand");
    BliMed = built.get<toolkit::CommandButton>("BliMed");
    Forlat = built.get<toolkit::CommandButton>("Forlat");
    Lukk = built.get<toolkit::CommandButton>("Lukk");
    // Each field is read by its label, and the label's key (Alt+M ...) reaches it.
    const std::pair<const char *, QLineEdit *> labelled[] = {
        {"maskintekst", maskin}, {"porttekst", port}, {"saltekst", sal}, {"bretttekst", brett}, {"kodetekst", kode}};
    for (const auto &[label, field] : labelled) {
        auto *text = built.get<QLabel>(label);
        text->setBuddy(field);
        field->setAccessibleName(text->text().remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    }
    maskin->setMaxLength(253);
    port->setMaxLength(5);
    sal->setMaxLength(40);
    brett->setMaxLength(3);
    kode->setMaxLength(kMaxCodeLength);
    tilstand->setWordWrap(true);
    tilstand->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    tilstand->setAccessibleName(QStringLiteral("Tilkobling"));

    saler = new QListWidget(rammesaler);
    saler->setObjectName(QStringLiteral("saler"));
    toolkit::placeTwips(saler, 120, 300, 2760, 3060);
    saler->setAccessibleName(QStringLiteral("Saler på nettet"));
    toolkit::setTabChain({saler, maskin, port, sal, brett, kode, BliMed, Forlat, Lukk});
    melding = new toolkit::ReasonLabel(this, kClientWidth, kClientHeight);

    maskin->setText(current.host);
    port->setText(QString::number(current.port));
    sal->setText(current.hall);
    brett->setText(current.board ? QString::number(current.board) : QString());
    kode->setText(current.code);
    showState(current.joined, {});

    connect(saler, &QListWidget::currentRowChanged, this, &frmturnering::saler_Change);
    connect(saler, &QListWidget::itemActivated, this, [this] { kode->setFocus(Qt::OtherFocusReason); });
    connect(BliMed, &QPushButton::clicked, this, &frmturnering::BliMed_Click);
    connect(Forlat, &QPushButton::clicked, this, &frmturnering::Forlat_Click);
    connect(Lukk, &QPushButton::clicked, this, &frmturnering::Lukk_Click);
    auto *cancel = new QAction(this);
    cancel->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(cancel, &QAction::triggered, this, &frmturnering::Lukk_Click);
    addAction(cancel);
    (current.host.isEmpty() ? static_cast<QWidget *>(saler) : static_cast<QWidget *>(brett))
        ->setFocus(Qt::OtherFocusReason);
}

frmturnering::~frmturnering() = default;

toolkit::ControlTable frmturnering::controlTable()
{
    return kControls;
}

void frmturnering::addHall(const FoundHall &found)
{
    // A hall seen again (over another interface, or with a new address) replaces its entry.
    for (std::size_t i = 0; i < m_found.size(); ++i) {
        if (m_found[i].service == found.service) {
            m_found[i] = found;
            saler->item(int(i))->setText(foundText(found));
            return;
        }
    }
    m_found.push_back(found);
    saler->addItem(foundText(found));
    if (saler->currentRow() < 0 && maskin->text().isEmpty())
        saler->setCurrentRow(0);
}

void frmturnering::removeHall(const QString &service)
{
    for (std::size_t i = 0; i < m_found.size(); ++i) {
        if (m_found[i].service == service) {
            m_found.erase(m_found.begin() + qsizetype(i));
            delete saler->takeItem(int(i));
            return;
        }
    }
}

void frmturnering::saler_Change()
{
    const int row = saler->currentRow();
    if (row < 0 || std::size_t(row) >= m_found.size())
        return;
    const FoundHall &f = m_found[std::size_t(row)];
    maskin->setText(f.host);
    port->setText(QString::number(f.port));
    sal->setText(f.hall);
}

std::optional<JoinChoice> frmturnering::formChoice(QString *why) const
{
    static const QRegularExpression digits(QStringLiteral("^\\d{1,5}$"));
    JoinChoice c;
    c.host = maskin->text().trimmed();
    const QString portText = port->text().trimmed();
    c.port = digits.match(portText).hasMatch() ? portText.toInt() : 0;
    c.hall = sal->text().trimmed();
    const QString boardText = brett->text().trimmed();
    c.board = digits.match(boardText).hasMatch() ? boardText.toInt() : 0;
    c.code = kode->text();
    c.joined = true;
    if (const std::optional<QString> invalid = whyNotJoinable(c)) {
        *why = *invalid;
        return std::nullopt;
    }
    return c;
}

void frmturnering::BliMed_Click()
{
    QString why;
    if (const std::optional<JoinChoice> choice = formChoice(&why))
        Q_EMIT joinRequested(*choice);
    else
        refuse(why);
}

void frmturnering::Forlat_Click()
{
    Q_EMIT leaveRequested();
}

void frmturnering::Lukk_Click()
{
    close();
}

void frmturnering::refuse(const QString &why)
{
    melding->showReason(why);
}

void frmturnering::showState(bool joined, const QString &note)
{
    QString text = joined ? QStringLiteral("Klokka er med i salen som brett %1.").arg(brett->text())
                          : QStringLiteral("Klokka er ikke med i noen sal.");
    if (!note.isEmpty())
        text += QLatin1Char(' ') + note;
    tilstand->setText(text);
    Forlat->setEnabled(joined);
}

frmturnering *showHallWindow(const JoinChoice &current, bool *created, bool finder)
{
    static QPointer<frmturnering> window;
    bool made = false;
    frmturnering *shown = toolkit::showOnce<frmturnering>(
        window, [&current] { return new frmturnering(current); }, &made);
    if (made && finder) {
        auto *f = new HallFinder(shown);
        QObject::connect(f, &HallFinder::found, shown, &frmturnering::addHall);
        QObject::connect(f, &HallFinder::lost, shown, &frmturnering::removeHall);
        QObject::connect(f, &HallFinder::unavailable, shown, [shown](const QString &why) {
            shown->saler->setToolTip(why);
            shown->rammesaler->setTitle(QStringLiteral("Saler på nettet (ingen Avahi):"));
            shown->melding->showReason(why);
        });
    }
    if (created)
        *created = made;
    return shown;
}

} // namespace hall
