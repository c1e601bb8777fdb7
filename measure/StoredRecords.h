#pragma once

// The meter's stored records as the record table shows them. Pure: bytes in, texts out.

#include "measure/ShownReadings.h"

#include <QStringList>

#include <array>
#include <vector>

constexpr int BlocksPerRecord = 4;

// The four blocks of a record: item name, value without the meter's padding, unit. An empty
// block has empty texts.
using StoredRecord = std::array<ShownReading, BlocksPerRecord>;

// The record at `record` (four reading blocks); applies the dot rule in place, as the grid's
// decoding does.
StoredRecord storedRecord(uint8_t *record, const ItemNameTable &names, const UnitNameTable &units);

// The table cells a download leaves in a fresh grid: per record a row of "NO.n" and the item
// names and a row of the readings (value and unit), five cells each; with no record, the fresh
// grid's two rows with "NO." alone.
std::vector<QStringList> recordTableCells(const std::vector<StoredRecord> &records);
