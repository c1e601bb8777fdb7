#include "measure/ReadingBlock.h"

namespace {

constexpr int ItemCodeOffset = 0;
constexpr int UnitCodeOffset = 1;
constexpr int ValueOffset = 2;
constexpr int ValueLength = 6;
constexpr int DotRuleOffset = 5;
constexpr uint8_t LastDotRuleItem = 22;
constexpr uint8_t FirstPowerFactor = 23;
constexpr uint8_t LastPowerFactor = 26;

QString twoDigits(uint32_t number) {
    return QString::number(number).rightJustified(2, u'0');
}

QString unknownCode(uint8_t code) {
    return u'?' + QString::number(code);
}

} // namespace

bool isEmptyBlock(const uint8_t *block) {
    return block[ItemCodeOffset] == EmptyCode && block[UnitCodeOffset] == EmptyCode;
}

bool isPowerFactor(uint8_t itemCode) {
    return itemCode >= FirstPowerFactor && itemCode <= LastPowerFactor;
}

void applyDotRule(uint8_t *block) {
    if (block[ItemCodeOffset] <= LastDotRuleItem && block[DotRuleOffset] == '.')
        block[DotRuleOffset] = ' ';
}

uint32_t timeCount(const uint8_t *block) {
    const uint8_t *count = block + ValueOffset;
    return uint32_t(count[0]) << 24 | uint32_t(count[1]) << 16 | uint32_t(count[2]) << 8 | uint32_t(count[3]);
}

QString timeText(uint32_t seconds) {
    constexpr uint32_t Hour = 3600;
    constexpr uint32_t Minute = 60;
    if (seconds < Hour)
        return twoDigits(seconds / Minute) + u':' + twoDigits(seconds % Minute);
    return twoDigits(seconds / Hour) + u':' + twoDigits(seconds % Hour / Minute);
}

QString valueText(const uint8_t *block) {
    if (block[ItemCodeOffset] == TimeItem)
        return timeText(timeCount(block));
    return QString::fromLatin1(reinterpret_cast<const char *>(block + ValueOffset), ValueLength);
}

QString itemText(const ItemNameTable &names, uint8_t itemCode) {
    return itemCode < names.size() ? names[itemCode] : unknownCode(itemCode);
}

QString unitText(const UnitNameTable &units, uint8_t unitCode) {
    return unitCode < units.size() ? units[unitCode] : unknownCode(unitCode);
}

QString trimSpaces(const QString &text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}

Reading decodeReading(uint8_t *block, const ItemNameTable &names, const UnitNameTable &units) {
    applyDotRule(block);
    return {itemText(names, block[ItemCodeOffset]), valueText(block), unitText(units, block[UnitCodeOffset])};
}
