#include "readings/StatisticsText.h"

#include "measure/UnitFacts.h"

#include <QStringList>

#include <array>
#include <cmath>

namespace {

constexpr int ReadingDigits = 7; // every reading of the meter, in its base unit, exactly
constexpr int MeanDigits = 5;
constexpr int EnergyDigits = 4;

QString withUnit(const QString &number, const QString &unit) {
    return unit.isEmpty() ? number : number + u' ' + unit;
}

QString readingText(const TimedReading &reading, const QString &unit) {
    return reading.overload ? overloadText() : withUnit(plainNumber(reading.value, ReadingDigits), unit);
}

QString timeText(qint64 wallMs, const QDate &latestDate) {
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(wallMs);
    return time.toString(time.date() == latestDate ? QStringLiteral("HH:mm:ss")
                                                   : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString durationText(qint64 msecs) {
    const qint64 seconds = msecs / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QString plainNumber(double value, int significant) {
    if (value == 0 || !std::isfinite(value))
        return QString::number(value);
    const int magnitude = int(std::floor(std::log10(std::abs(value))));
    QString text = QString::number(value, 'f', std::max(0, significant - 1 - magnitude));
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString energyText(double unitHours, const QString &unit) {
    struct Prefix {
        double factor;
        const char *letter;
    };
    constexpr std::array<Prefix, 5> Prefixes = {{{1e9, "G"}, {1e6, "M"}, {1e3, "k"}, {1, ""}, {1e-3, "m"}}};
    const double magnitude = std::abs(unitHours);
    const Prefix *chosen = &Prefixes[3]; // none, for no energy at all
    if (magnitude > 0) {
        chosen = &Prefixes.back();
        for (const Prefix &prefix : Prefixes)
            if (magnitude >= prefix.factor) {
                chosen = &prefix;
                break;
            }
    }
    return plainNumber(unitHours / chosen->factor, EnergyDigits) + u' ' + QLatin1String(chosen->letter) +
           unit + u'h';
}

QString statisticsText(const ItemStatistics &statistics, const QString &unit) {
    if (statistics.numbers == 0 && statistics.overloads == 0)
        return QStringLiteral("no readings in this span");
    const QDate latestDate = QDateTime::fromMSecsSinceEpoch(statistics.latest.wallMs).date();
    const auto timed = [&](const char *what, const TimedReading &reading) {
        return QStringLiteral("%1 %2 at %3")
            .arg(QLatin1String(what), readingText(reading, unit), timeText(reading.wallMs, latestDate));
    };
    QStringList parts;
    if (statistics.numbers > 0)
        parts << timed("lowest", statistics.lowest);
    parts << timed("highest", statistics.highest);
    if (statistics.numbers > 0) {
        QString mean = QStringLiteral("mean ") + withUnit(plainNumber(statistics.mean, MeanDigits), unit);
        if (statistics.meanOverMs > 0)
            mean += QStringLiteral(" over ") + durationText(statistics.meanOverMs);
        parts << mean;
    }
    parts << timed("latest", statistics.latest);
    if (statistics.energy)
        parts << QStringLiteral("energy ") + energyText(*statistics.energy, unit);
    return parts.join(QStringLiteral("  \u00B7  "));
}
