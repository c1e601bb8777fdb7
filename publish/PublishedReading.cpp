#include "publish/PublishedReading.h"

#include "measure/BaseUnits.h"

#include <QStringView>

#include <algorithm>
#include <array>

namespace {

constexpr std::array<QStringView, 3> TimeUnits = {u"mins", u"hmin", u"h"};

bool isTimeReading(const ShownReading &reading) {
    return reading.item == QLatin1String("TIME") ||
           std::find(TimeUnits.begin(), TimeUnits.end(), QStringView(reading.unit)) != TimeUnits.end();
}

} // namespace

std::vector<PublishedReading> publishedReadings(const std::vector<ShownReading> &readings) {
    std::vector<PublishedReading> published;
    for (const ShownReading &reading : readings) {
        if (isTimeReading(reading))
            continue;
        const QString key = reading.item.toLower();
        const auto sameKey = [&key](const PublishedReading &earlier) { return earlier.key == key; };
        if (std::any_of(published.begin(), published.end(), sameKey))
            continue;
        PublishedReading entry{reading.item, key, std::nullopt, std::nullopt};
        if (const std::optional<BaseUnit> unit = baseUnitOf(reading.unit))
            entry.baseUnit = unit->unit;
        if (const std::optional<BaseValue> value = baseValue(reading.value, reading.unit))
            entry.number = value->number;
        published.push_back(entry);
    }
    return published;
}

bool isPlainKey(const QString &key) {
    const auto letter = [](QChar character) { return character >= u'a' && character <= u'z'; };
    const auto plain = [&letter](QChar character) {
        return letter(character) || (character >= u'0' && character <= u'9') || character == u'_';
    };
    return !key.isEmpty() && letter(key.front()) && std::all_of(key.begin(), key.end(), plain);
}
