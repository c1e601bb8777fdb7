#pragma once

// What the trend draws: per item, the readings of a time span as lines, broken where the link
// was lost or no reading came for a while, and thinned to what the chart can show; and where in
// the span the wall clock was set. Pure.

#include "readings/ReadingHistory.h"

#include <QPointF>

#include <vector>

struct ChartLine {
    // Unbroken runs of points: x in milliseconds on the monotonic clock, y in the base unit.
    std::vector<std::vector<QPointF>> segments;
    double lowest = 0;
    double highest = 0;
    size_t points = 0;
};

// One line per item of the history, for readings from `fromMs` to `toMs` on the monotonic clock.
// The span is cut into `columns` equal slots; a slot keeps at most its lowest and its highest
// reading, in the order they came, so peaks survive the thinning.
std::vector<ChartLine> chartLines(const ReadingHistory &history, qint64 fromMs, qint64 toMs, int columns);

// The wall clock set forward (stepMs > 0) or back between two answers.
struct ClockStep {
    qint64 monotonicMs; // of the first answer after the step
    qint64 stepMs;
};
// Steps of the wall clock against the monotonic one in the span. Steps smaller than a second are
// left out: the two clocks are read a moment apart and drift a little.
std::vector<ClockStep> clockSteps(const ReadingHistory &history, qint64 fromMs, qint64 toMs);
