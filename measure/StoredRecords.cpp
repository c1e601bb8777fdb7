#include "measure/StoredRecords.h"

StoredRecord storedRecord(uint8_t *record, const ItemNameTable &names, const UnitNameTable &units) {
    StoredRecord blocks;
    for (int blockIndex = 0; blockIndex < BlocksPerRecord; ++blockIndex) {
        uint8_t *block = record + ReadingBlockSize * blockIndex;
        if (isEmptyBlock(block))
            continue;
        const Reading reading = decodeReading(block, names, units);
        blocks[size_t(blockIndex)] = {reading.item, trimSpaces(reading.value), reading.unit};
    }
    return blocks;
}

std::vector<QStringList> recordTableCells(const std::vector<StoredRecord> &records) {
    if (records.empty())
        return {{QStringLiteral("NO."), {}, {}, {}, {}}, {{}, {}, {}, {}, {}}};
    std::vector<QStringList> rows;
    for (size_t index = 0; index < records.size(); ++index) {
        QStringList names{QStringLiteral("NO.%1").arg(index + 1)};
        QStringList readings{QString()};
        for (const ShownReading &block : records[index]) {
            names << block.item;
            readings << block.value + block.unit;
        }
        rows.push_back(names);
        rows.push_back(readings);
    }
    return rows;
}
