#pragma once

// The readings of a realtime answer as the value panel shows them. Pure: bytes in, texts out.

#include "measure/ReadingBlock.h"

#include <vector>

struct ShownReading {
    QString item;  // "U1"
    QString value; // " 230.1", power factors without the meter's padding
    QString unit;  // "V"
    int block = 0; // which of the answer's four blocks, the panel's row
};

// The value text as the panel shows it: power factors lose the meter's padding; other readings
// keep it, so their columns stay aligned.
QString shownValue(const Reading &reading);

// The non-empty reading blocks of a realtime payload (four blocks from `payload`), in row
// order. Applies the dot rule in place, as the panel's decoding does.
std::vector<ShownReading> shownReadings(uint8_t *payload, const ItemNameTable &names,
                                        const UnitNameTable &units);
