#pragma once

// What the trend draws: per item, the readings of a time span as lines, broken where the link
// was lost or no reading came for a while, and thinned to what the chart can show. Pure.

#include "trend/ReadingHistory.h"

#include <QPointF>

#include <vector>

struct ChartLine {
    // Unbroken runs of points: x in milliseconds since the epoch, y in the base unit.
    std::vector<std::vector<QPointF>> segments;
    double lowest = 0;
    double highest = 0;
    size_t points = 0;
};

// No answer for longer than this breaks every line: polling answers every 1.5 s, so three
// missed answers are a gap (the Record view, a download). An item the meter shows only in
// some answers is not broken by the answers without it.
constexpr qint64 GapAfterMsecs = 4500;
// An item missing from the answers for longer than this is broken too: a meter rotating its items
// shows each again within a few answers, so one gone a minute was off the display, not unchanged.
constexpr qint64 ItemGapAfterMsecs = 60 * 1000;

// One line per item of the history, for readings from `fromMsecs` to `toMsecs`. The span is
// cut into `columns` equal slots; a slot keeps at most its lowest and its highest reading, in
// the order they came, so peaks survive the thinning.
std::vector<ChartLine> chartLines(const ReadingHistory &history, qint64 fromMsecs, qint64 toMsecs,
                                  int columns);
