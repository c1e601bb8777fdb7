#include "trend/TrendChartView.h"

#include <QDateTime>
#include <QDateTimeAxis>
#include <QPainter>

#include <algorithm>

namespace {

const QColor SpellShade(220, 0, 0, 48);
const QColor SpellEdge(200, 0, 0);
const QColor StepLine(90, 90, 90);

// "clock set back 1:00:00", "clock set forward 0:05:00"
QString stepText(qint64 stepMs) {
    const qint64 seconds = std::abs(stepMs) / 1000;
    return QStringLiteral("clock set %1 %2:%3:%4")
        .arg(stepMs < 0 ? QStringLiteral("back") : QStringLiteral("forward"))
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

TrendChartView::TrendChartView(QChart *chart) : QChartView(chart) {}

void TrendChartView::setMarks(std::vector<Spell> spells, std::vector<Step> steps) {
    alarmSpells = std::move(spells);
    clockSteps = std::move(steps);
    viewport()->update();
}

void TrendChartView::drawForeground(QPainter *painter, const QRectF &rect) {
    QChartView::drawForeground(painter, rect);
    const QList<QAbstractAxis *> axes = chart()->axes(Qt::Horizontal);
    const auto *time = axes.isEmpty() ? nullptr : qobject_cast<QDateTimeAxis *>(axes.constFirst());
    if (!time)
        return;
    const double from = double(time->min().toMSecsSinceEpoch());
    const double to = double(time->max().toMSecsSinceEpoch());
    const QRectF plot = chart()->mapRectToScene(chart()->plotArea());
    if (to <= from || plot.isEmpty())
        return;
    const auto xOf = [&](double msecs) {
        return plot.left() + (std::clamp(msecs, from, to) - from) / (to - from) * plot.width();
    };
    painter->save();
    painter->setClipRect(plot);
    for (const Spell &spell : alarmSpells) {
        const QRectF shade(QPointF(xOf(spell.from), plot.top()), QPointF(xOf(spell.to), plot.bottom()));
        painter->fillRect(shade, SpellShade);
        painter->fillRect(QRectF(shade.left(), plot.top(), shade.width(), 3), SpellEdge);
    }
    painter->setPen(QPen(StepLine, 1, Qt::DashLine));
    for (const Step &step : clockSteps) {
        const double x = xOf(step.at);
        painter->drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter->drawText(QPointF(x + 4, plot.top() + painter->fontMetrics().ascent() + 4),
                          stepText(step.stepMs));
    }
    painter->restore();
}
