#include "measure/IsoTime.h"

#include <cstdlib>

QString isoTimeWithOffset(const QDateTime &time) {
    const int offsetMinutes = time.offsetFromUtc() / 60;
    const QChar sign = offsetMinutes < 0 ? u'-' : u'+';
    const int magnitude = std::abs(offsetMinutes);
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + sign +
           QStringLiteral("%1:%2")
               .arg(magnitude / 60, 2, 10, QLatin1Char('0'))
               .arg(magnitude % 60, 2, 10, QLatin1Char('0'));
}
