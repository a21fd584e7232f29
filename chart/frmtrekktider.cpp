#include "frmtrekktider.h"

#include "records.h"

#include "gamefiles/linefiles.h"
#include "toolkit/windows.h"

#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace chart {

using gameclock::Player;

namespace {

QLabel *textLabel(QWidget *parent, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A square in the player's colour before the text, as the chart's legend shows the player.
QString markedText(Player player, const QString &text)
{
    return QStringLiteral("<span style=\"color:%1\">&#9632;</span> %2")
        .arg(QColor::fromRgba(playerColour(player)).name(), text.toHtmlEscaped());
}

} // namespace

frmtrekktider::frmtrekktider(const QString &module, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmtrekktider"));
    setWindowTitle(QStringLiteral("Trekktider"));
    setWindowModality(Qt::NonModal);
    setZoom(1.0);

    const MadeChart made = makeChart(module, this);
    m_chart = made.chart;
    m_loadMs = made.loadMs;
    if (m_chart) {
        diagram = m_chart->widget();
        diagram->setAccessibleName(QStringLiteral("Diagram over trekktidene"));
    } else {
        QLabel *why = textLabel(this, "diagram");
        why->setAlignment(Qt::AlignCenter);
        why->setText(made.why);
        diagram = why;
    }
    diagram->setMinimumSize(320, 200);

    lengstea = textLabel(this, "lengstea");
    lengsteb = textLabel(this, "lengsteb");
    for (QLabel *longest : {lengstea, lengsteb})
        longest->setTextFormat(Qt::RichText);
    // Tab reaches the summary, so that a screen reader reads it where the focus is.
    sammendrag = textLabel(this, "sammendrag");
    sammendrag->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    sammendrag->setFocusPolicy(Qt::StrongFocus);
    melding = textLabel(this, "melding");
    melding->setTextInteractionFlags(Qt::TextSelectableByMouse);
    melding->setHidden(true);
    lagre = new QPushButton(QStringLiteral("&Lagre trekktider..."), this);
    lagre->setObjectName(QStringLiteral("lagre"));
    lukk = new QPushButton(QStringLiteral("Lukk"), this);
    lukk->setObjectName(QStringLiteral("lukk"));
    // Enter presses the focused button too, as in a dialog, not only Space.
    for (QPushButton *button : {lagre, lukk})
        button->setAutoDefault(true);

    // The chart takes what the window grows by; the words below it keep their lines.
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(diagram, 1);
    layout->addWidget(lengstea);
    layout->addWidget(lengsteb);
    layout->addWidget(sammendrag);
    layout->addWidget(melding);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(lagre);
    buttons->addWidget(lukk);
    layout->addLayout(buttons);
    toolkit::setTabChain({sammendrag, lagre, lukk});

    connect(lagre, &QPushButton::clicked, this, &frmtrekktider::lagre_Click);
    connect(lukk, &QPushButton::clicked, this, &QWidget::close);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    // A good part of the screen, so that a long game's bars stay apart; the window may be made smaller.
    setMinimumSize(480, 400);
    const QRect area = screen() ? screen()->availableGeometry() : QRect(0, 0, 1280, 800);
    resize(std::max(640, area.width() * 3 / 5), std::max(480, area.height() * 2 / 3));
    move(area.center() - rect().center());

    setPlayers(QStringLiteral("Spiller A"), QStringLiteral("Spiller B"));
    sammendrag->setFocus(Qt::OtherFocusReason);
}

frmtrekktider::~frmtrekktider() = default;

void frmtrekktider::setZoom(qreal zoom)
{
    // The program's face, a little larger than in the fixed windows: this one is read, at a distance.
    QFont font = toolkit::layoutFont();
    font.setPixelSize(int(std::lround(13 * std::max<qreal>(1.0, zoom))));
    setFont(font);
}

void frmtrekktider::setPlayers(const QString &nameA, const QString &nameB)
{
    m_names[0] = nameA;
    m_names[1] = nameB;
    if (m_chart)
        m_chart->setPlayers(nameA, nameB);
    follow();
}

void frmtrekktider::setRecord(const gameclock::MoveRecords &records, bool classic)
{
    m_records = records;
    m_classic = classic;
    if (m_chart)
        m_chart->setRecord(records, classic);
    follow();
}

void frmtrekktider::appendMove(const gameclock::MoveRecord &move)
{
    m_records.push_back(move);
    if (m_chart)
        m_chart->appendMove(move);
    follow();
}

// The words follow the record.
void frmtrekktider::follow()
{
    QStringList shortSummary, longSummary;
    for (const Player p : gameclock::kPlayers) {
        const QString &name = m_names[gameclock::at(p)];
        const PlayerSummary summary = summarize(m_records, p, m_classic);
        const QString longest = longestMoveText(name, summary, m_classic);
        QLabel *label = p == Player::A ? lengstea : lengsteb;
        label->setText(markedText(p, longest));
        label->setAccessibleName(longest);
        shortSummary << summaryText(name, summary, m_classic, Words::Short);
        longSummary << summaryText(name, summary, m_classic, Words::Long);
    }
    sammendrag->setText(shortSummary.join(QLatin1Char('\n')));
    sammendrag->setAccessibleName(longSummary.join(QLatin1Char(' ')));
    diagram->setAccessibleDescription(longSummary.join(QLatin1Char(' ')));
    lagre->setEnabled(!m_records.empty());
}

void frmtrekktider::lagre_Click()
{
    auto *dialog = new QFileDialog(this, QStringLiteral("Lagre trekktider (CSV, og diagrammet som PNG)"));
    dialog->setObjectName(QStringLiteral("lagredialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(QStringLiteral("Trekktider (*.csv)"));
    dialog->setDefaultSuffix(QStringLiteral("csv"));
    // Relative names of the program's files are in the working directory; the record goes beside them.
    dialog->setDirectory(QDir::currentPath());
    dialog->selectFile(QStringLiteral("trekktider.csv"));
    connect(dialog, &QFileDialog::fileSelected, this, &frmtrekktider::save);
    dialog->open();
}

bool frmtrekktider::save(const QString &csvPath)
{
    const auto say = [this](const QString &text) {
        melding->setText(text);
        melding->setHidden(false);
    };
    const QFileInfo csv(csvPath);
    const QString pngPath = csv.dir().filePath(csv.completeBaseName() + QStringLiteral(".png"));
    const QString shownCsv = QDir::toNativeSeparators(csvPath);
    if (QFileInfo(pngPath).absoluteFilePath() == csv.absoluteFilePath()) {
        say(QStringLiteral("Trekktidene er ikke lagret: velg et navn som ikke slutter på .png."));
        return false;
    }
    if (const std::optional<gamefiles::FileError> error =
            gamefiles::writeWholeFile(csvPath, recordCsv(m_records, m_names[0], m_names[1]))) {
        say(QStringLiteral("Trekktidene er ikke lagret. ") + error->message());
        return false;
    }
    if (!m_chart) {
        say(QStringLiteral("Trekktidene er lagret i «%1». Diagrammet kunne ikke vises, og er ikke lagret.")
                .arg(shownCsv));
        return false;
    }
    // The chart as it stands in the window, at the screen's pixel ratio: as sharp as it is seen.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!diagram->grab().save(&buffer, "PNG")) {
        say(QStringLiteral("Trekktidene er lagret i «%1», men diagrammet kunne ikke gjøres om til PNG.").arg(shownCsv));
        return false;
    }
    if (const std::optional<gamefiles::FileError> error = gamefiles::writeWholeFile(pngPath, png)) {
        say(QStringLiteral("Trekktidene er lagret i «%1», men diagrammet ikke. ").arg(shownCsv) + error->message());
        return false;
    }
    say(QStringLiteral("Trekktidene er lagret i «%1», diagrammet i «%2».")
            .arg(shownCsv, QDir::toNativeSeparators(pngPath)));
    return true;
}

frmtrekktider *showMoveTimes(bool *created)
{
    static QPointer<frmtrekktider> window;
    return toolkit::showOnce<frmtrekktider>(
        window, [] { return new frmtrekktider; }, created);
}

} // namespace chart
