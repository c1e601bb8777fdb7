#pragma once

// What read and watch print for an answer and for the link: one line each, as text or as a JSON
// object. Pure: texts in, bytes out.

#include "measure/ShownReadings.h"
#include "readings/AlarmMonitor.h"

#include <QByteArray>
#include <QDateTime>

// {"time": "<ISO 8601>", "readings": [{"item": "U1", "value": "230.1", "unit": "V",
// "base_value": 230.1, "base_unit": "V"}, ...]}: the value as shown without the blanks around it;
// base_value the number in the base unit as the log writes it, and base_unit, null where the
// reading is no number (an overload, a time).
QByteArray readingsJsonLine(const QDateTime &time, const std::vector<ShownReading> &readings);
// {"time": "<ISO 8601>", "link": "lost"} or "connected".
QByteArray linkJsonLine(const QDateTime &time, bool connected);
// {"time": "<ISO 8601>", "alarm": "low", "item": "U1", "limit": 207, "value": 206.5, "unit": "V",
// "text": "U1 below 207 V since 09:01:03, now 206.5 V"}: "high" or "low" as it is raised,
// "cleared" as it clears; the limit and the reading in the item's base unit, the reading null for
// an overload.
QByteArray alarmJsonLine(const AlarmEvent &event);

// <ISO 8601>  U1: 230.1V  I1: 1.234A ...
QByteArray readingsTextLine(const QDateTime &time, const std::vector<ShownReading> &readings);
// <ISO 8601>  Unconnected, or Connected: the window's words.
QByteArray linkTextLine(const QDateTime &time, bool connected);
// <ISO 8601>  alarm low: U1 below 207 V since 09:01:03, now 206.5 V
QByteArray alarmTextLine(const AlarmEvent &event);

// alarm low: U1 below 207 V since 09:01:03, now 206.5 V (or "alarm high", "alarm cleared"), the
// words of the log's alarm rows.
QString alarmEventText(const AlarmEvent &event);
