#pragma once

// The reading log's rows, and the downloaded records' rows: RFC 4180 CSV in UTF-8, one row per reading, CR LF
// line ends. Pure functions: no file, no clock.

#include "measure/ShownReadings.h"

#include <QByteArray>
#include <QDateTime>

// time,item,value,unit,base_value,base_unit
QByteArray csvHeader();

// ISO 8601 in the time's own offset, with milliseconds: 2026-12-10T14:03:07.250+01:00
QString isoTimeWithOffset(const QDateTime &time);

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
