#pragma once

// The meter's stored records as the record table shows them. Pure: texts in, texts out.

#include "measure/ShownReadings.h"

#include <QStringList>

#include <vector>

// A block's cells in the record table: the item name, and the reading (the value without the
// meter's padding, then the unit); empty for an empty block.
QString recordItemCell(const std::optional<ShownReading> &block);
QString recordReadingCell(const std::optional<ShownReading> &block);

// The table cells a download leaves in a fresh grid: per record a row of "NO.n" and the item
// names and a row of the readings, five cells each; with no record, the fresh grid's two rows
// with "NO." alone.
std::vector<QStringList> recordTableCells(const std::vector<ShownBlocks> &records);
