#include "readings/AlarmLimits.h"

#include "measure/ItemNames.h"
#include "readings/StatisticsText.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

constexpr int LimitDigits = 7;

QString usage(const QString &text) {
    return QStringLiteral("'%1' is not a limit: write an item, < or > and a number in the item's base "
                          "unit, as 'U1<207' or 'I1>16'.")
        .arg(text);
}

QString sideName(bool upper) {
    return upper ? QStringLiteral("upper") : QStringLiteral("lower");
}

} // namespace

bool sameLimit(const AlarmLimit &first, const AlarmLimit &second) {
    return first.item == second.item && first.lower == second.lower && first.upper == second.upper &&
           first.holdMs == second.holdMs && first.hysteresisPercent == second.hysteresisPercent;
}

double hysteresisBand(const AlarmLimit &limit, double limitValue) {
    return std::abs(limitValue) * limit.hysteresisPercent / 100;
}

QString alarmLimitProblem(const AlarmLimit &limit) {
    if (!isItemName(limit.item))
        return QStringLiteral("%1 is not an item of the meter.").arg(limit.item);
    if (!isNumberItem(limit.item))
        return QStringLiteral("%1 readings are times, not numbers.").arg(limit.item);
    if (!limit.lower && !limit.upper)
        return QStringLiteral("%1 has neither a lower nor an upper limit.").arg(limit.item);
    if ((limit.lower && !std::isfinite(*limit.lower)) || (limit.upper && !std::isfinite(*limit.upper)))
        return QStringLiteral("%1: a limit must be a number.").arg(limit.item);
    if (limit.lower && limit.upper && !(*limit.lower < *limit.upper))
        return QStringLiteral("%1: the lower limit %2 is not below the upper limit %3.")
            .arg(limit.item, plainNumber(*limit.lower, LimitDigits), plainNumber(*limit.upper, LimitDigits));
    if (limit.holdMs < 0)
        return QStringLiteral("%1: the hold time cannot be negative.").arg(limit.item);
    if (!(limit.hysteresisPercent >= 0 && limit.hysteresisPercent < 100))
        return QStringLiteral("%1: the hysteresis must be at least 0 and below 100 %.").arg(limit.item);
    return QString();
}

std::optional<AlarmBound> parseAlarmBound(const QString &text, QString &error) {
    const qsizetype below = text.indexOf(u'<');
    const qsizetype above = text.indexOf(u'>');
    const qsizetype at = below >= 0 ? below : above;
    if ((below >= 0) == (above >= 0) || text.indexOf(text[at], at + 1) >= 0) {
        error = usage(text);
        return std::nullopt;
    }
    AlarmBound bound;
    bound.item = text.left(at).trimmed();
    bound.upper = above >= 0;
    const QString number = text.mid(at + 1).trimmed();
    if (bound.item.isEmpty() || number.isEmpty()) {
        error = usage(text);
        return std::nullopt;
    }
    if (!isItemName(bound.item)) {
        error = QStringLiteral("'%1': %2 is not an item of the meter.").arg(text, bound.item);
        return std::nullopt;
    }
    if (!isNumberItem(bound.item)) {
        error = QStringLiteral("'%1': %2 readings are times, not numbers.").arg(text, bound.item);
        return std::nullopt;
    }
    bool isNumber = false;
    bound.value = QLocale::c().toDouble(number, &isNumber);
    if (!isNumber || !std::isfinite(bound.value)) {
        error = QStringLiteral("'%1': %2 is not a number.").arg(text, number);
        return std::nullopt;
    }
    return bound;
}

std::optional<std::vector<AlarmLimit>> alarmLimitsFromTexts(const QStringList &texts, qint64 holdMs,
                                                            QString &error) {
    std::vector<AlarmLimit> limits;
    // Per limit, the texts that set its lower and its upper side.
    std::vector<std::pair<QString, QString>> textsOfLimit;
    for (const QString &text : texts) {
        const std::optional<AlarmBound> bound = parseAlarmBound(text, error);
        if (!bound)
            return std::nullopt;
        auto limit = std::find_if(limits.begin(), limits.end(),
                                  [&bound](const AlarmLimit &each) { return each.item == bound->item; });
        if (limit == limits.end()) {
            limits.push_back(
                {bound->item, std::nullopt, std::nullopt, holdMs, DefaultAlarmHysteresisPercent});
            textsOfLimit.emplace_back();
            limit = limits.end() - 1;
        }
        std::pair<QString, QString> &given = textsOfLimit[size_t(limit - limits.begin())];
        QString &sideText = bound->upper ? given.second : given.first;
        std::optional<double> &side = bound->upper ? limit->upper : limit->lower;
        if (side) {
            error = QStringLiteral("'%1' and '%2' both set the %3 limit of %4.")
                        .arg(sideText, text, sideName(bound->upper), bound->item);
            return std::nullopt;
        }
        side = bound->value;
        sideText = text;
    }
    for (const AlarmLimit &limit : limits) {
        error = alarmLimitProblem(limit);
        if (!error.isEmpty())
            return std::nullopt;
    }
    return limits;
}
