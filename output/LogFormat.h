#pragma once

// The reading log's rows, and the downloaded records' rows: RFC 4180 CSV in UTF-8, one row per
// reading, CR LF line ends. Pure functions: no file, no clock.

#include "measure/IsoTime.h"
#include "measure/ShownReadings.h"
#include "readings/AlarmMonitor.h"

#include <QByteArray>
#include <QDateTime>

// time,item,value,unit,base_value,base_unit
QByteArray csvHeader();

// One field, quoted when a reader could otherwise split or trim it.
QString csvField(const QString &text);

// One row per reading of an answer received at `time`.
QByteArray csvReadingRows(const QDateTime &time, const std::vector<ShownReading> &readings);

// A row marking the link lost ("Unconnected") or regained ("Connected"), the window's own words.
QByteArray csvLinkRow(const QDateTime &time, bool connected);

// A row saying that this many answers from `time` on are not in the log: it could not be written
// for longer than the program could keep them.
QByteArray csvDroppedRow(const QDateTime &time, qint64 answers);

// record,item,value,unit,base_value,base_unit
QByteArray csvRecordHeader();

// One row per reading of the stored record numbered `number`, its value without the meter's
// padding as the record table shows it; empty blocks are left out.
QByteArray csvRecordRows(int number, const ShownBlocks &record);

// A row marking an alarm raised or cleared, in the same columns so readers of the log still parse
// it: the item, the reading with its unit as value, "alarm high", "alarm low" or "alarm cleared" as
// unit, and no base value, so sums over the readings leave it out.
QByteArray csvAlarmRow(const AlarmEvent &event);
