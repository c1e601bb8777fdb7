#include "trend/TrendWindow.h"

#include "output/SaveFile.h"
#include "output/SaveLocation.h"
#include "trend/ChartLines.h"
#include "trend/ReadingHistory.h"

#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
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

TrendWindow::TrendWindow(const ReadingHistory &history, QWidget *parent)
    : QWidget(parent, Qt::Window), history(history) {
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
    connect(&history, &ReadingHistory::changed, this, [this] {
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
    auto *view = new QChartView(chart);
    view->setObjectName(QStringLiteral("TrendChart%1").arg(panes.size()));
    view->setMinimumHeight(ChartHeight);
    chartsLayout->insertWidget(chartsLayout->count() - 1, view);
    panes.push_back({chart, time, value, {}});
}

void TrendWindow::redraw() {
    const std::vector<ReadingHistory::Item> &items = history.items();
    for (size_t index = panes.size(); index < items.size(); ++index)
        addPane(items[index].name, items[index].unit);

    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 span = spanMsecs(Span(TrendSpan->currentIndex()));
    const qint64 first = history.answers().empty() ? now : history.answers().front().msecs;
    const qint64 to = std::max(now, history.answers().empty() ? now : history.answers().back().msecs);
    const qint64 from = span < 0 ? std::min(first, to - 60 * 1000) : to - span;
    const std::vector<ChartLine> lines = chartLines(history, from, to, ChartColumns);

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
                const std::vector<QPointF> &points = line.segments[segment];
                series->replace(QList<QPointF>(points.begin(), points.end()));
                // A line through one point paints nothing: a lone reading shows as its marker.
                series->setPointsVisible(points.size() == 1);
            } else if (series->count() > 0) {
                series->clear();
            }
        }
        pane.time->setRange(QDateTime::fromMSecsSinceEpoch(from), QDateTime::fromMSecsSinceEpoch(to));
        // A flat line has no height to take a margin from: a hundredth of its value keeps the axis readable.
        const double margin = line.highest > line.lowest ? (line.highest - line.lowest) * 0.05
                                                         : std::max(std::abs(line.highest) * 0.01, 1e-3);
        if (line.points > 0)
            pane.value->setRange(line.lowest - margin, line.highest + margin);
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
