#include "trend/TrendWindow.h"

#include "app/Platform.h"
#include "output/SaveFile.h"
#include "output/SaveLocation.h"
#include "readings/RunReadings.h"
#include "readings/SpanStatistics.h"
#include "readings/StatisticsText.h"
#include "trend/ChartLines.h"
#include "trend/TrendChartView.h"

#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSvgGenerator>
#include <QValueAxis>

#include <cmath>

namespace {

constexpr int ChartHeight = 220;
// Time slots per chart: two points (its low and high) every two pixels of a plot area about
// 800 pixels wide, which looks the same as more and paints in half the time.
constexpr int ChartColumns = 400;

qint64 spanMsecs(TrendWindow::Span span) {
    switch (span) {
    case TrendWindow::LastFiveMinutes:
        return 5 * 60 * 1000;
    case TrendWindow::LastHour:
        return 60 * 60 * 1000;
    case TrendWindow::WholeSession:
        break;
    }
    return -1;
}

} // namespace

TrendWindow::TrendWindow(const RunReadings &readings, const Platform &clock, QWidget *parent)
    : QWidget(parent, Qt::Window), readings(readings), clock(clock) {
    setObjectName(QStringLiteral("TrendWindow"));
    setWindowTitle(QStringLiteral("Trend - Large Caliber Power Clamp"));
    resize(900, 700);

    TrendSpan = new QComboBox(this);
    TrendSpan->setObjectName(QStringLiteral("TrendSpan"));
    TrendSpan->addItems(
        {QStringLiteral("Last 5 minutes"), QStringLiteral("Last hour"), QStringLiteral("Whole session")});
    TrendExport = new QPushButton(QStringLiteral("Export..."), this);
    TrendExport->setObjectName(QStringLiteral("TrendExport"));

    TrendCharts = new QWidget;
    TrendCharts->setObjectName(QStringLiteral("TrendCharts"));
    chartsLayout = new QVBoxLayout(TrendCharts);
    chartsLayout->setSpacing(16);
    chartsLayout->addStretch();
    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setWidget(TrendCharts);

    auto *controls = new QHBoxLayout;
    controls->addWidget(TrendSpan);
    controls->addStretch();
    controls->addWidget(TrendExport);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(scroll);

    connect(TrendSpan, &QComboBox::currentIndexChanged, this, &TrendWindow::redraw);
    connect(TrendExport, &QPushButton::clicked, this, &TrendWindow::askAndExport);
    connect(&readings.history(), &ReadingHistory::changed, this, [this] {
        if (isVisible())
            redraw();
    });
    redraw();
}

TrendWindow::~TrendWindow() = default;

void TrendWindow::addPane(const QString &item, const QString &unit) {
    auto *chart = new QChart;
    chart->setTitle(item);
    chart->legend()->hide();
    auto *time = new QDateTimeAxis;
    time->setFormat(QStringLiteral("HH:mm:ss"));
    time->setTickCount(6);
    auto *value = new QValueAxis;
    value->setTitleText(unit.isEmpty() ? item : QStringLiteral("%1 (%2)").arg(item, unit));
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(value, Qt::AlignLeft);
    auto *view = new TrendChartView(chart);
    view->setObjectName(QStringLiteral("TrendChart%1").arg(panes.size()));
    view->setMinimumHeight(ChartHeight);
    // The chart and its statistics close together, apart from the next chart.
    auto *pane = new QWidget;
    auto *paneLayout = new QVBoxLayout(pane);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    paneLayout->setSpacing(2);
    auto *statistics = new QLabel;
    statistics->setObjectName(QStringLiteral("TrendStatistics%1").arg(panes.size()));
    statistics->setTextFormat(Qt::PlainText);
    statistics->setWordWrap(true);
    statistics->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statistics->setContentsMargins(12, 0, 12, 0);
    paneLayout->addWidget(view);
    paneLayout->addWidget(statistics);
    chartsLayout->insertWidget(chartsLayout->count() - 1, pane);
    panes.push_back({chart, time, value, view, statistics, {}});
}

void TrendWindow::redraw() {
    const ReadingHistory &history = readings.history();
    const std::vector<ReadingHistory::Item> &items = history.items();
    for (size_t index = panes.size(); index < items.size(); ++index)
        addPane(items[index].name, items[index].unit);

    const qint64 now = clock.monotonicMs();
    // The time axis reads the wall clock as it is now: earlier readings stand where their age puts
    // them, whatever the clock said when they came.
    const qint64 wallOffset = clock.currentDateTime().toMSecsSinceEpoch() - now;
    const std::deque<ReadingHistory::Answer> &answers = history.answers();
    const qint64 span = spanMsecs(Span(TrendSpan->currentIndex()));
    const qint64 to = answers.empty() ? now : std::max(now, answers.back().monotonicMs);
    const qint64 first = answers.empty() ? now : answers.front().monotonicMs;
    const qint64 from = span < 0 ? std::min(first, to - 60 * 1000) : to - span;
    const std::vector<ChartLine> lines = chartLines(history, from, to, ChartColumns);
    const std::vector<ItemStatistics> statistics = spanStatistics(history, from, to);
    std::vector<TrendChartView::Step> steps;
    for (const ClockStep &step : clockSteps(history, from, to))
        steps.push_back({double(step.monotonicMs + wallOffset), step.stepMs});

    for (size_t index = 0; index < panes.size(); ++index) {
        Pane &pane = panes[index];
        const ChartLine &line = lines[index];
        while (pane.segments.size() < line.segments.size()) {
            auto *series = new QLineSeries;
            pane.chart->addSeries(series);
            series->attachAxis(pane.time);
            series->attachAxis(pane.value);
            // One colour for the whole item: its segments are one line with gaps.
            series->setColor(pane.segments.empty() ? series->color() : pane.segments.front()->color());
            pane.segments.push_back(series);
        }
        for (size_t segment = 0; segment < pane.segments.size(); ++segment) {
            QLineSeries *series = pane.segments[segment];
            if (segment < line.segments.size()) {
                QList<QPointF> points;
                points.reserve(qsizetype(line.segments[segment].size()));
                for (const QPointF &point : line.segments[segment])
                    points.append(QPointF(point.x() + double(wallOffset), point.y()));
                series->replace(points);
                // A line through one point paints nothing: a lone reading shows as its marker.
                series->setPointsVisible(points.size() == 1);
            } else if (series->count() > 0) {
                series->clear();
            }
        }
        pane.time->setRange(QDateTime::fromMSecsSinceEpoch(from + wallOffset),
                            QDateTime::fromMSecsSinceEpoch(to + wallOffset));
        // A flat line has no height to take a margin from: a hundredth of its value keeps the axis readable.
        const double margin = line.highest > line.lowest ? (line.highest - line.lowest) * 0.05
                                                         : std::max(std::abs(line.highest) * 0.01, 1e-3);
        if (line.points > 0)
            pane.value->setRange(line.lowest - margin, line.highest + margin);
        pane.statistics->setText(statisticsText(statistics[index], items[index].unit));

        std::vector<TrendChartView::Spell> spells;
        for (const AlarmSpell &spell : readings.alarmSpells()) {
            const qint64 end = spell.toMs < 0 ? to : spell.toMs;
            if (spell.item == items[index].name && end >= from && spell.fromMs <= to)
                spells.push_back({double(std::max(spell.fromMs, from) + wallOffset),
                                  double(std::min(end, to) + wallOffset)});
        }
        pane.view->setMarks(std::move(spells), steps);
    }
}

QString TrendWindow::exportTo(const QString &path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(TrendCharts->size());
        svg.setViewBox(TrendCharts->rect());
        svg.setTitle(windowTitle());
        QPainter painter;
        if (!painter.begin(&svg))
            return QStringLiteral("The SVG picture cannot be drawn.");
        TrendCharts->render(&painter);
        painter.end();
    } else if (!TrendCharts->grab().save(&buffer, "PNG")) {
        return QStringLiteral("The picture cannot be converted to PNG.");
    }
    return saveBytes(path, bytes);
}

void TrendWindow::askAndExport() {
    QString filter = QStringLiteral("PNG (*.png)");
    const QString suggested = QDir(defaultSaveFolder()).filePath(QStringLiteral("Trend.png"));
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export Trend"), suggested,
                                                QStringLiteral("PNG (*.png);;SVG (*.svg)"), &filter);
    if (path.isEmpty())
        return;
    const QString suffix =
        filter.startsWith(QLatin1String("SVG")) ? QStringLiteral(".svg") : QStringLiteral(".png");
    if (!path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive) &&
        !path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        path += suffix;
    const QString failure = exportTo(path);
    if (!failure.isEmpty())
        emit exportFailed(path, failure);
}
