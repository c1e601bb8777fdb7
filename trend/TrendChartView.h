#pragma once

#include <QChartView>

#include <vector>

// One chart of the trend window, with marks over its plot: the spells an alarm of its item was
// raised for, shaded, and the places the wall clock was set, as dashed lines. Marks are in the
// time axis's milliseconds since the epoch.
class TrendChartView final : public QChartView {
    Q_OBJECT
public:
    struct Spell {
        double from;
        double to;
    };
    struct Step {
        double at;
        qint64 stepMs; // forward when positive
    };

    explicit TrendChartView(QChart *chart);

    void setMarks(std::vector<Spell> spells, std::vector<Step> steps);
    const std::vector<Spell> &spells() const { return alarmSpells; }
    const std::vector<Step> &steps() const { return clockSteps; }

protected:
    void drawForeground(QPainter *painter, const QRectF &rect) override;

private:
    std::vector<Spell> alarmSpells;
    std::vector<Step> clockSteps;
};
