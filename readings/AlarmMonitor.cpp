#include "readings/AlarmMonitor.h"

#include "measure/BaseUnits.h"
#include "measure/UnitFacts.h"
#include "readings/Gaps.h"
#include "readings/StatisticsText.h"

#include <algorithm>

namespace {

constexpr int LimitDigits = 7;

QString withUnit(const QString &number, const QString &unit) {
    return unit.isEmpty() ? number : number + u' ' + unit;
}

} // namespace

QString alarmEventWord(const AlarmEvent &event) {
    if (!event.raised)
        return QStringLiteral("alarm cleared");
    return event.alarm.high ? QStringLiteral("alarm high") : QStringLiteral("alarm low");
}

QString alarmValueText(const Alarm &alarm) {
    return alarm.value == overloadText() ? alarm.value : withUnit(alarm.value, alarm.unit);
}

QString alarmText(const Alarm &alarm) {
    // The reading comes last: inside the hysteresis an alarm above a limit may read below it.
    return QStringLiteral("%1 %2 %3 since %4, now %5")
        .arg(alarm.item, alarm.high ? QStringLiteral("above") : QStringLiteral("below"),
             withUnit(plainNumber(alarm.limit, LimitDigits), alarm.unit),
             alarm.since.toLocalTime().toString(QStringLiteral("HH:mm:ss")), alarmValueText(alarm));
}

std::vector<AlarmEvent> AlarmMonitor::setLimits(const std::vector<AlarmLimit> &limits, const QDateTime &time,
                                                qint64 monotonicMs) {
    std::vector<Watch> kept;
    kept.reserve(limits.size());
    for (const AlarmLimit &limit : limits) {
        const auto old = watchOfItem.constFind(limit.item);
        if (old != watchOfItem.constEnd() && sameLimit(watches[*old].limit, limit)) {
            kept.push_back(watches[*old]);
            continue;
        }
        Watch watch;
        watch.limit = limit;
        watch.alarm.item = limit.item;
        kept.push_back(watch);
    }
    std::vector<AlarmEvent> events;
    for (const Watch &watch : watches) {
        const bool stays = std::any_of(kept.begin(), kept.end(), [&watch](const Watch &each) {
            return each.phase == Watch::Phase::Raised && each.limit.item == watch.limit.item;
        });
        if (watch.phase == Watch::Phase::Raised && !stays)
            events.push_back({false, watch.alarm, time, monotonicMs});
    }
    watches = std::move(kept);
    watchOfItem.clear();
    for (size_t index = 0; index < watches.size(); ++index)
        watchOfItem.insert(watches[index].limit.item, index);
    return events;
}

std::vector<AlarmLimit> AlarmMonitor::limits() const {
    std::vector<AlarmLimit> all;
    all.reserve(watches.size());
    for (const Watch &watch : watches)
        all.push_back(watch.limit);
    return all;
}

std::vector<AlarmEvent> AlarmMonitor::check(const QDateTime &time, qint64 monotonicMs,
                                            const std::vector<ShownReading> &readings) {
    if (answered && monotonicMs - lastAnswerMs > GapAfterMsecs)
        breakHolds();
    answered = true;
    lastAnswerMs = monotonicMs;
    std::vector<AlarmEvent> events;
    for (const ShownReading &reading : readings) {
        const auto watch = watchOfItem.constFind(reading.item);
        if (watch != watchOfItem.constEnd())
            take(watches[*watch], time, monotonicMs, reading, events);
    }
    return events;
}

void AlarmMonitor::linkLost() {
    breakHolds();
}

std::vector<Alarm> AlarmMonitor::raised() const {
    std::vector<Alarm> alarms;
    for (const Watch &watch : watches)
        if (watch.phase == Watch::Phase::Raised)
            alarms.push_back(watch.alarm);
    return alarms;
}

void AlarmMonitor::take(Watch &watch, const QDateTime &time, qint64 monotonicMs, const ShownReading &reading,
                        std::vector<AlarmEvent> &events) {
    const bool overload = isOverloadUnit(reading.unit);
    const std::optional<BaseValue> base = baseValue(reading.value, reading.unit);
    if (!overload && !base)
        return; // a time reading, or a value that is not a number
    if (watch.seen && monotonicMs - watch.lastReadingMs > ItemGapAfterMsecs &&
        watch.phase == Watch::Phase::Crossing)
        watch.phase = Watch::Phase::Inside;
    watch.seen = true;
    watch.lastReadingMs = monotonicMs;
    watch.alarm.value = overload ? overloadText() : base->number;
    if (base)
        watch.alarm.unit = base->unit;
    const double value = base ? base->number.toDouble() : 0;
    const AlarmLimit &limit = watch.limit;

    if (watch.phase == Watch::Phase::Raised) {
        const bool backInside = watch.alarm.high
                                    ? !overload && value <= *limit.upper - hysteresisBand(limit, *limit.upper)
                                    : overload || value >= *limit.lower + hysteresisBand(limit, *limit.lower);
        if (!backInside)
            return;
        events.push_back({false, watch.alarm, time, monotonicMs});
        watch.phase = Watch::Phase::Inside;
    }
    const bool aboveUpper = limit.upper && (overload || value > *limit.upper);
    const bool belowLower = limit.lower && !overload && value < *limit.lower;
    if (!aboveUpper && !belowLower) {
        watch.phase = Watch::Phase::Inside;
        return;
    }
    if (watch.phase == Watch::Phase::Inside || watch.alarm.high != aboveUpper) {
        watch.phase = Watch::Phase::Crossing;
        watch.alarm.high = aboveUpper;
        watch.alarm.limit = aboveUpper ? *limit.upper : *limit.lower;
        watch.alarm.since = time;
        watch.alarm.sinceMonotonicMs = monotonicMs;
    }
    if (monotonicMs - watch.alarm.sinceMonotonicMs >= limit.holdMs) {
        watch.phase = Watch::Phase::Raised;
        events.push_back({true, watch.alarm, time, monotonicMs});
    }
}

void AlarmMonitor::breakHolds() {
    for (Watch &watch : watches)
        if (watch.phase == Watch::Phase::Crossing)
            watch.phase = Watch::Phase::Inside;
}
