#include "readings/ReadingHistory.h"

#include "measure/BaseUnits.h"
#include "measure/UnitFacts.h"

#include <algorithm>
#include <limits>

bool ReadingHistory::addAnswer(const QDateTime &time, qint64 monotonicMs,
                               const std::vector<ShownReading> &readings) {
    Answer answer;
    answer.wallMs = time.toMSecsSinceEpoch();
    answer.monotonicMs = monotonicMs;
    size_t place = 0;
    for (const ShownReading &reading : readings) {
        if (place == answer.samples.size())
            break;
        if (const std::optional<BaseValue> value = baseValue(reading.value, reading.unit)) {
            answer.samples[place++] = {itemOfNumber(reading.item, value->unit), value->number.toDouble()};
        } else if (isOverloadUnit(reading.unit)) {
            // An overload breaks its item's line; before the item's first number there is no
            // line to break, and no chart is made for it.
            const auto item = lastItemOfName.constFind(reading.item);
            if (item != lastItemOfName.constEnd())
                answer.samples[place++] = {*item, std::numeric_limits<double>::quiet_NaN()};
        }
        // A time reading, or a value that is not a number: nothing to chart.
    }
    const bool regained = link == Link::Lost;
    link = Link::Up;
    keep(answer);
    return regained;
}

bool ReadingHistory::markLinkLost(const QDateTime &time, qint64 monotonicMs) {
    if (link != Link::Up)
        return false;
    link = Link::Lost;
    Answer mark;
    mark.wallMs = time.toMSecsSinceEpoch();
    mark.monotonicMs = monotonicMs;
    mark.linkLost = true;
    keep(mark);
    return true;
}

qint16 ReadingHistory::itemOfNumber(const QString &name, const QString &unit) {
    if (unit.isEmpty()) {
        const auto item = lastItemOfName.constFind(name);
        if (item != lastItemOfName.constEnd())
            return *item;
    }
    qint16 index = -1;
    for (size_t each = 0; each < knownItems.size() && index < 0; ++each)
        if (knownItems[each].name == name && knownItems[each].unit == unit)
            index = qint16(each);
    if (index < 0) {
        knownItems.push_back({name, unit});
        index = qint16(knownItems.size() - 1);
    }
    lastItemOfName.insert(name, index);
    return index;
}

void ReadingHistory::keep(Answer answer) {
    // Spans are found by searching this order, so a caller's clock must not take it back.
    if (!history.empty())
        answer.monotonicMs = std::max(answer.monotonicMs, history.back().monotonicMs);
    history.push_back(answer);
    if (history.size() > MaxAnswers)
        history.pop_front();
    emit changed();
}
