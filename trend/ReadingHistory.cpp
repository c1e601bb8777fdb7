#include "trend/ReadingHistory.h"

#include "measure/BaseUnits.h"

#include <limits>

bool ReadingHistory::addAnswer(const QDateTime &time, const std::vector<ShownReading> &readings) {
    Answer answer;
    answer.msecs = time.toMSecsSinceEpoch();
    size_t place = 0;
    for (const ShownReading &reading : readings) {
        if (place == answer.samples.size())
            break;
        // An overload keeps its item's chart (in the unit the item is charted in) with a gap.
        const std::optional<BaseUnit> unit = baseUnitOf(reading.unit);
        const std::optional<BaseValue> value = baseValue(reading.value, reading.unit);
        if (!unit && reading.unit != QLatin1String("OL."))
            continue; // a time reading or an unknown unit: nothing to chart
        Sample &sample = answer.samples[place++];
        if (value) {
            sample.item = itemIndex(reading.item, value->unit);
            sample.value = value->number.toDouble();
        } else {
            sample.item = itemIndex(reading.item, unit ? unit->unit : QString());
            sample.value = std::numeric_limits<double>::quiet_NaN();
        }
    }
    const bool regained = link == Link::Lost;
    link = Link::Up;
    keep(answer);
    return regained;
}

bool ReadingHistory::markLinkLost(const QDateTime &time) {
    if (link != Link::Up)
        return false;
    link = Link::Lost;
    Answer mark;
    mark.msecs = time.toMSecsSinceEpoch();
    mark.linkLost = true;
    keep(mark);
    return true;
}

qint16 ReadingHistory::itemIndex(const QString &name, const QString &unit) {
    for (size_t index = 0; index < knownItems.size(); ++index) {
        const Item &item = knownItems[index];
        // An overload has no unit of its own: it belongs to the item's chart, whatever its unit.
        if (item.name == name && (item.unit == unit || unit.isEmpty()))
            return qint16(index);
    }
    knownItems.push_back({name, unit});
    return qint16(knownItems.size() - 1);
}

void ReadingHistory::keep(const Answer &answer) {
    history.push_back(answer);
    if (history.size() > MaxAnswers)
        history.pop_front();
    emit changed();
}
