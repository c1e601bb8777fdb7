#pragma once

// The statistics of one chart as the line of text under it. Pure.

#include "readings/SpanStatistics.h"

#include <QString>

// A number with at most `significant` significant digits, without exponent or trailing zeros:
// 230.1, 1200, 0.98.
QString plainNumber(double value, int significant);

// An energy in `unit` hours ("Wh", "varh", "VAh") with the prefix that keeps its figure between 1
// and 1000: 1.234 kWh, 12.5 Wh, 250 mWh.
QString energyText(double unitHours, const QString &unit);

// "lowest 228.1 V at 09:01:03 · highest ... · mean 229.73 V over 0:04:58 · latest ... · energy ..."
// Times are local; a reading of another day than the latest one shows its date too.
QString statisticsText(const ItemStatistics &statistics, const QString &unit);
