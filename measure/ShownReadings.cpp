#include "measure/ShownReadings.h"

QString shownValue(const Reading &reading) {
    return isPowerFactor(reading.itemCode) ? trimSpaces(reading.value) : reading.value;
}

ShownBlocks shownBlocks(uint8_t *firstBlock, const ItemNameTable &names, const UnitNameTable &units) {
    ShownBlocks blocks;
    for (size_t index = 0; index < blocks.size(); ++index) {
        uint8_t *block = firstBlock + ReadingBlockSize * index;
        if (isEmptyBlock(block))
            continue;
        const Reading reading = decodeReading(block, names, units);
        blocks[index] = ShownReading{reading.item, shownValue(reading), reading.unit};
    }
    return blocks;
}

std::vector<ShownReading> presentReadings(const ShownBlocks &blocks) {
    std::vector<ShownReading> readings;
    for (const std::optional<ShownReading> &block : blocks)
        if (block)
            readings.push_back(*block);
    return readings;
}

std::vector<ShownReading> shownReadings(uint8_t *payload, const ItemNameTable &names,
                                        const UnitNameTable &units) {
    return presentReadings(shownBlocks(payload, names, units));
}
