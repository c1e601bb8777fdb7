#include "measure/StoredRecords.h"

QString recordItemCell(const std::optional<ShownReading> &block) {
    return block ? block->item : QString();
}

QString recordReadingCell(const std::optional<ShownReading> &block) {
    return block ? trimSpaces(block->value) + block->unit : QString();
}

std::vector<QStringList> recordTableCells(const std::vector<ShownBlocks> &records) {
    if (records.empty())
        return {{QStringLiteral("NO."), {}, {}, {}, {}}, {{}, {}, {}, {}, {}}};
    std::vector<QStringList> rows;
    for (size_t index = 0; index < records.size(); ++index) {
        QStringList names{QStringLiteral("NO.%1").arg(index + 1)};
        QStringList readings{QString()};
        for (const std::optional<ShownReading> &block : records[index]) {
            names << recordItemCell(block);
            readings << recordReadingCell(block);
        }
        rows.push_back(names);
        rows.push_back(readings);
    }
    return rows;
}
