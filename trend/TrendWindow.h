#pragma once

#include <QWidget>

#include <vector>

class Platform;
class QChart;
class QComboBox;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QPushButton;
class QValueAxis;
class QVBoxLayout;
class RunReadings;
class TrendChartView;

// The trend window: one chart per item of the run's readings, in base units against time, for the
// chosen span, each with its statistics under it and its alarms' spells shaded; it follows the
// readings as they come. Spans end now and are measured on the monotonic clock; the time axis
// reads the wall clock as it is now, and a place where it was set shows as a dashed line.
// Non-modal; the main window keeps one and shows it again.
class TrendWindow final : public QWidget {
    Q_OBJECT
public:
    enum Span { LastFiveMinutes, LastHour, WholeSession };

    TrendWindow(const RunReadings &readings, const Platform &clock, QWidget *parent);
    ~TrendWindow() override;

    QComboBox *TrendSpan;
    QPushButton *TrendExport;
    // The charts with their statistics, one above the other; what an export shows.
    QWidget *TrendCharts;

    // Rebuilds every chart and its statistics for the chosen span, ending now.
    void redraw();
    // Writes the charts as SVG when the name ends in ".svg", else as PNG. Returns why it could
    // not, or an empty text.
    QString exportTo(const QString &path);

signals:
    void exportFailed(const QString &path, const QString &reason);

private:
    struct Pane {
        QChart *chart;
        QDateTimeAxis *time;
        QValueAxis *value;
        TrendChartView *view;
        QLabel *statistics;
        std::vector<QLineSeries *> segments; // reused from one redraw to the next
    };
    void addPane(const QString &item, const QString &unit);
    void askAndExport();

    const RunReadings &readings;
    const Platform &clock;
    QVBoxLayout *chartsLayout;
    std::vector<Pane> panes;
};
