#include "measure/ShownReadings.h"

QString shownValue(const Reading &reading) {
    return isPowerFactor(reading.itemCode) ? trimSpaces(reading.value) : reading.value;
}

std::vector<ShownReading> shownReadings(uint8_t *payload, const ItemNameTable &names,
                                        const UnitNameTable &units) {
    constexpr int BlocksPerAnswer = 4;
    std::vector<ShownReading> readings;
    for (int row = 0; row < BlocksPerAnswer; ++row) {
        uint8_t *block = payload + ReadingBlockSize * row;
        if (isEmptyBlock(block))
            continue;
        const Reading reading = decodeReading(block, names, units);
        readings.push_back({reading.item, shownValue(reading), reading.unit, row});
    }
    return readings;
}
