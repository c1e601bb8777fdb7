#pragma once

// What the trend shows under each chart: per item, over a span of the history, the lowest, the
// highest and the latest reading with their times, the mean weighted by time, and for power items
// the energy. Readings are joined (weighted, integrated) only where the trend draws a line
// between them: never across a lost link, a pause, the item's absence or an overload. Pure.

#include "readings/ReadingHistory.h"

#include <optional>
#include <vector>

struct TimedReading {
    double value = 0; // in the item's base unit; meaningless for an overload
    qint64 wallMs = 0;
    bool overload = false;
};

struct ItemStatistics {
    size_t numbers = 0;   // readings that were numbers
    size_t overloads = 0; // readings beyond the meter's range
    // Of the numbers; the highest is the span's first overload when there was one, since an
    // overload is above every number.
    TimedReading lowest, highest;
    TimedReading latest; // a number or an overload
    // Weighted by the time between joined readings; the plain mean of the numbers when no two
    // were joined (meanOverMs is then 0).
    double mean = 0;
    qint64 meanOverMs = 0;
    // The base unit times hours (Wh, varh, VAh), for items in W, var or VA.
    std::optional<double> energy;
};

// Whether readings in this base unit are powers, whose integral over time is an energy.
bool isPowerUnit(const QString &baseUnit);

// One entry per item of the history, for the answers from `fromMs` to `toMs` on the monotonic clock.
std::vector<ItemStatistics> spanStatistics(const ReadingHistory &history, qint64 fromMs, qint64 toMs);
