#pragma once

// A log file name that may hold date fields: %Y the year, %m the month, %d the day, %H the hour,
// %% a percent sign. readings-%Y-%m-%d.csv begins one file a day.

#include <QDateTime>
#include <QString>

// Why the pattern cannot be used, or an empty text.
QString logPatternError(const QString &pattern);

// The file name for a time, in that time's own (local) date; the pattern must be usable.
QString expandLogPattern(const QString &pattern, const QDateTime &time);
