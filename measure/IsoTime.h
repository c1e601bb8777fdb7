#pragma once

// Times as the log's rows and the published messages carry them.

#include <QDateTime>
#include <QString>

// ISO 8601 in the time's own offset, with milliseconds: 2026-12-10T14:03:07.250+01:00
QString isoTimeWithOffset(const QDateTime &time);
