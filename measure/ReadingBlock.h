#pragma once

// The rules that turn one 8-byte reading block (item code, unit code, six value bytes) into
// its texts. Pure functions over bytes: no widget, no form state.

#include <QString>

#include <array>
#include <cstdint>

// Entries of the item-name and unit tables, indexed by the codes meter payloads carry.
constexpr int ItemNameCount = 58;
constexpr int UnitNameCount = 22;

using ItemNameTable = std::array<QString, ItemNameCount>;
using UnitNameTable = std::array<QString, UnitNameCount>;

// The item whose value bytes hold a count of seconds, shown as a time.
constexpr uint8_t TimeItemCode = 46;

constexpr int ReadingBlockSize = 8;
// A stored record is four reading blocks.
constexpr int RecordSize = 4 * ReadingBlockSize;

// `block` points at the block's first byte, the item code; all 8 bytes must be readable.
bool isEmptyBlock(const uint8_t *block);
bool isPowerFactor(uint8_t itemCode);

// Items 0..22 show a point in the fourth value place as a space. Changes the block in place,
// so every later reader of the frame sees the same text.
void applyDotRule(uint8_t *block);

// The six value bytes as characters (Latin-1), or the time text of a time reading.
QString valueText(const uint8_t *block);

// A code outside the table shows as "?" and its number, so no reading is dropped or mislabelled.
QString itemText(const ItemNameTable &names, uint8_t itemCode);
QString unitText(const UnitNameTable &units, uint8_t unitCode);

// Removes leading and trailing 0x20 only; other white space is part of the reading.
QString trimSpaces(const QString &text);

struct Reading {
    uint8_t itemCode;
    QString item;
    QString value;
    QString unit;
};
// The texts of a block that is not empty, after applying the dot rule to it in place.
Reading decodeReading(uint8_t *block, const ItemNameTable &names, const UnitNameTable &units);
