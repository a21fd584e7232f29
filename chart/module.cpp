// The chart module: each player's time per move as bars and time left after each move as a line,
// drawn with Qt Charts behind the window's narrow interface. Only this module links Qt Charts.

#include "chart.h"
#include "records.h"

#include <QAbstractAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

using gameclock::MoveRecord;
using gameclock::Player;

// A scale for an axis of durations: seconds while the values are short, else minutes.
struct Scale {
    double msPerUnit;
    QString unit;
};
Scale scaleFor(qint64 largestMs)
{
    if (largestMs <= 150'000)
        return {1000.0, QStringLiteral("s")};
    return {60'000.0, QStringLiteral("min")};
}

// A tick every 1, 2 or 5 times a power of ten moves, at most about twenty along the axis.
double moveStep(int moves)
{
    double step = 1;
    for (int i = 0; moves / step > 20; ++i)
        step *= (i % 3 == 1) ? 2.5 : 2;
    return step;
}

class MoveTimesChart : public QChartView, public chart::Chart {
public:
    explicit MoveTimesChart(QWidget *parent) : QChartView(parent)
    {
        setObjectName(QStringLiteral("diagram"));
        setRenderHint(QPainter::Antialiasing);
        setFocusPolicy(Qt::NoFocus);
        auto *chart = new QChart;
        chart->setAnimationOptions(QChart::NoAnimation);
        chart->legend()->setAlignment(Qt::AlignBottom);
        chart->setMargins(QMargins(4, 4, 4, 4));
        // Decimal commas on the axes, as in the words below the chart.
        chart->setLocale(QLocale(QLocale::NorwegianBokmal, QLocale::Norway));
        chart->setLocalizeNumbers(true);
        m_used = new QBarSeries;
        m_used->setBarWidth(0.8);
        for (const Player p : gameclock::kPlayers) {
            QBarSet *set = m_sets[gameclock::at(p)] = new QBarSet(QString());
            set->setColor(QColor::fromRgba(chart::playerColour(p)));
            set->setBorderColor(QColor::fromRgba(chart::playerColour(p)));
            m_used->append(set);
            QLineSeries *line = m_left[gameclock::at(p)] = new QLineSeries;
            // B's line is dashed: the two stay apart without their colours too.
            QPen pen(QColor::fromRgba(chart::playerColour(p)), 2.5, p == Player::A ? Qt::SolidLine : Qt::DashLine);
            pen.setCapStyle(Qt::FlatCap);
            line->setPen(pen);
            line->setPointsVisible(true);
        }
        chart->addSeries(m_used);
        for (QLineSeries *line : m_left) {
            chart->addSeries(line);
            // A line's mark in the legend is a piece of the line, the bars' a square. (Asked of the
            // whole legend, Qt 6.4 draws the bars' marks empty.)
            for (QLegendMarker *mark : chart->legend()->markers(line))
                mark->setShape(QLegend::MarkerShapeFromSeries);
        }

        m_moves = new QValueAxis;
        m_moves->setTitleText(QStringLiteral("Trekk"));
        m_moves->setLabelFormat(QStringLiteral("%.0f"));
        m_moves->setTickType(QValueAxis::TicksDynamic);
        m_moves->setTickAnchor(0);
        m_moves->setGridLineVisible(false);
        m_moves->setMinorGridLineVisible(false);
        m_usedAxis = new QValueAxis;
        m_leftAxis = new QValueAxis;
        chart->addAxis(m_moves, Qt::AlignBottom);
        chart->addAxis(m_usedAxis, Qt::AlignLeft);
        chart->addAxis(m_leftAxis, Qt::AlignRight);
        m_used->attachAxis(m_moves);
        m_used->attachAxis(m_usedAxis);
        for (QLineSeries *line : m_left) {
            line->attachAxis(m_moves);
            line->attachAxis(m_leftAxis);
        }
        // The time left's grid would cross the bars' grid: only the bars' is drawn.
        m_leftAxis->setGridLineVisible(false);
        setChart(chart);
        setPlayers(QStringLiteral("Spiller A"), QStringLiteral("Spiller B"));
        redraw();
    }

    QWidget *widget() override { return this; }

protected:
    // The chart's own texts follow the window's font: the window grows with the clock's zoom.
    void changeEvent(QEvent *event) override
    {
        QChartView::changeEvent(event);
        if (event->type() != QEvent::FontChange || !chart())
            return;
        QFont text = font();
        chart()->legend()->setFont(text);
        for (QAbstractAxis *axis : chart()->axes()) {
            axis->setLabelsFont(text);
            QFont title = text;
            title.setBold(true);
            axis->setTitleFont(title);
        }
    }

public:
    void setPlayers(const QString &nameA, const QString &nameB) override
    {
        const QString names[2] = {nameA, nameB};
        for (const Player p : gameclock::kPlayers) {
            m_sets[gameclock::at(p)]->setLabel(names[gameclock::at(p)] + QStringLiteral(": tid brukt"));
            m_left[gameclock::at(p)]->setName(names[gameclock::at(p)] + QStringLiteral(": tid igjen"));
        }
    }

    void setRecord(const gameclock::MoveRecords &records, bool classic) override
    {
        // The bars and lines are the same for both kinds of clock: the record holds what each counted.
        Q_UNUSED(classic);
        m_records = records;
        redraw();
    }

    void appendMove(const MoveRecord &move) override
    {
        m_records.push_back(move);
        redraw();
    }

private:
    // Everything drawn again from the record: a game's few hundred moves take well under a
    // millisecond, and the scales may change with any move.
    void redraw()
    {
        int last = 0;
        qint64 longest = 0, mostLeft = 0, leastLeft = 0;
        for (const MoveRecord &move : m_records) {
            last = std::max(last, move.number);
            longest = std::max(longest, move.usedMs);
            mostLeft = std::max(mostLeft, move.leftMs);
            leastLeft = std::min(leastLeft, move.leftMs);
        }
        const Scale used = scaleFor(longest);
        const Scale left = scaleFor(std::max(mostLeft, -leastLeft));

        // Bars stand at their index: index 0 is left empty so that move n stands at n. A move
        // counted twice (an arbiter's correction) shows its later time.
        QList<qreal> bars[2];
        QList<QPointF> points[2];
        for (QList<qreal> &values : bars)
            values.fill(0, last + 1);
        for (const MoveRecord &move : m_records) {
            const std::size_t p = gameclock::at(move.player);
            bars[p][move.number] = move.usedMs / used.msPerUnit;
            const QPointF point(move.number, move.leftMs / left.msPerUnit);
            auto at = std::find_if(points[p].begin(), points[p].end(),
                                   [&](const QPointF &earlier) { return earlier.x() == point.x(); });
            if (at != points[p].end())
                *at = point;
            else
                points[p].append(point);
        }
        for (int p = 0; p < 2; ++p) {
            m_sets[p]->remove(0, m_sets[p]->count());
            m_sets[p]->append(bars[p]);
            std::sort(points[p].begin(), points[p].end(),
                      [](const QPointF &a, const QPointF &b) { return a.x() < b.x(); });
            m_left[p]->replace(points[p]);
        }

        const int shown = std::max(last, 10);
        m_moves->setRange(0.5, shown + 0.5);
        m_moves->setTickInterval(moveStep(shown));
        m_usedAxis->setTitleText(QStringLiteral("Tid brukt per trekk (%1)").arg(used.unit));
        m_usedAxis->setRange(0, std::max(1.0, longest / used.msPerUnit * 1.05));
        m_usedAxis->applyNiceNumbers();
        m_leftAxis->setTitleText(QStringLiteral("Tid igjen (%1)").arg(left.unit));
        m_leftAxis->setRange(leastLeft / left.msPerUnit * 1.05, std::max(1.0, mostLeft / left.msPerUnit * 1.05));
        m_leftAxis->applyNiceNumbers();
        for (QValueAxis *axis : {m_usedAxis, m_leftAxis}) {
            const double span = axis->max() - axis->min();
            axis->setLabelFormat(span / std::max(1, axis->tickCount() - 1) < 1 ? QStringLiteral("%.1f")
                                                                               : QStringLiteral("%.0f"));
        }
    }

    gameclock::MoveRecords m_records;
    QBarSeries *m_used;
    QBarSet *m_sets[2];
    QLineSeries *m_left[2];
    QValueAxis *m_moves, *m_usedAxis, *m_leftAxis;
};

} // namespace

extern "C" Q_DECL_EXPORT chart::Chart *partivakt_chart_create(int interfaceVersion, std::size_t recordSize,
                                                              QWidget *parent)
{
    if (interfaceVersion != chart::kChartInterfaceVersion || recordSize != sizeof(gameclock::MoveRecord))
        return nullptr;
    return new MoveTimesChart(parent);
}
