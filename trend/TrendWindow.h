#pragma once

#include <QWidget>

#include <vector>

class QChart;
class QComboBox;
class QDateTimeAxis;
class QLineSeries;
class QPushButton;
class QValueAxis;
class QVBoxLayout;
class ReadingHistory;

// The trend window: one chart per item of the session's readings, in base units against time,
// for the chosen span; it follows the readings as they come. Non-modal; the main window keeps
// one and shows it again.
class TrendWindow final : public QWidget {
    Q_OBJECT
public:
    enum Span { LastFiveMinutes, LastHour, WholeSession };

    TrendWindow(const ReadingHistory &history, QWidget *parent);
    ~TrendWindow() override;

    QComboBox *TrendSpan;
    QPushButton *TrendExport;
    // The charts, one above the other; what an export shows.
    QWidget *TrendCharts;

    // Rebuilds every chart from the history for the chosen span, ending now.
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
        std::vector<QLineSeries *> segments; // reused from one redraw to the next
    };
    void addPane(const QString &item, const QString &unit);
    void askAndExport();

    const ReadingHistory &history;
    QVBoxLayout *chartsLayout;
    std::vector<Pane> panes;
};
