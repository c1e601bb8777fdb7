#include "measure/ReadingBlock.h"

namespace {

constexpr uint8_t EmptyCode = 0x20;
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

// Seconds of a time reading: big-endian in value bytes 0..3.
uint32_t timeCount(const uint8_t *block) {
    const uint8_t *count = block + ValueOffset;
    return uint32_t(count[0]) << 24 | uint32_t(count[1]) << 16 | uint32_t(count[2]) << 8 | uint32_t(count[3]);
}

// Minutes:seconds below an hour, hours:minutes from an hour on; at least two digits each.
QString timeText(uint32_t seconds) {
    constexpr uint32_t Hour = 3600;
    constexpr uint32_t Minute = 60;
    if (seconds < Hour)
        return twoDigits(seconds / Minute) + u':' + twoDigits(seconds % Minute);
    return twoDigits(seconds / Hour) + u':' + twoDigits(seconds % Hour / Minute);
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

QString valueText(const uint8_t *block) {
    if (block[ItemCodeOffset] == TimeItemCode)
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
    const uint8_t itemCode = block[ItemCodeOffset];
    return {itemCode, itemText(names, itemCode), valueText(block), unitText(units, block[UnitCodeOffset])};
}
