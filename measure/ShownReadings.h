#pragma once

// The readings of a realtime answer as the value panel shows them. Pure: bytes in, texts out.

#include "measure/ReadingBlock.h"

#include <array>
#include <optional>
#include <vector>

struct ShownReading {
    QString item;  // "U1"
    QString value; // " 230.1", power factors without the meter's padding
    QString unit;  // "V"
};

// The value text as the panel shows it: power factors lose the meter's padding; other readings
// keep it, so their columns stay aligned.
QString shownValue(const Reading &reading);

// A realtime answer and a stored record each hold four reading blocks.
constexpr int BlocksPerGroup = 4;
// Four reading blocks in the meter's order, decoded; an empty block holds no reading.
using ShownBlocks = std::array<std::optional<ShownReading>, BlocksPerGroup>;

// The four blocks from `firstBlock` on. Applies the dot rule in place, as the panel's decoding
// does.
ShownBlocks shownBlocks(uint8_t *firstBlock, const ItemNameTable &names, const UnitNameTable &units);

// The blocks that hold a reading, in order.
std::vector<ShownReading> presentReadings(const ShownBlocks &blocks);

// The non-empty reading blocks of a realtime payload (four blocks from `payload`), in row
// order. Applies the dot rule in place.
std::vector<ShownReading> shownReadings(uint8_t *payload, const ItemNameTable &names,
                                        const UnitNameTable &units);
