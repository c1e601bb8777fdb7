#pragma once

// The meter's item codes and the names the window shows for them.

#include "measure/ReadingBlock.h"

#include <QStringView>

#include <array>

// Indexed by item code. "I" is code 0 and "I1" code 49; "I2" and "I3" each stand at two codes.
inline constexpr std::array<QStringView, ItemNameCount> ItemNames = {
    u"I",    u"I2",   u"I3",  u"In",   u"U1",   u"U2",   u"U3",   u"Un",   u"R1",   u"R2",
    u"R3",   u"P1",   u"P2",  u"P3",   u"P",    u"Q1",   u"Q2",   u"Q3",   u"Q",    u"S1",
    u"S2",   u"S3",   u"S",   u"PF1",  u"PF2",  u"PF3",  u"PF",   u"U1U2", u"U2U3", u"U3U1",
    u"U1I",  u"U2I",  u"U3I", u"U1I2", u"U2I2", u"U3I2", u"U1I3", u"U2I3", u"U3I3", u"I1I2",
    u"I2I3", u"I3I1", u"W1",  u"W2",   u"W3",   u"W",    u"TIME", u"DCI",  u"DCU",  u"I1",
    u"I2",   u"I3",   u"F_I", u"F_I2", u"F_I3", u"F_U1", u"F_U2", u"F_U3",
};

// The item names by code, as the window's item table holds them.
ItemNameTable itemNameTable();

// Whether the meter has an item of this name.
bool isItemName(const QString &name);

// Whether readings of the item are numbers, which a limit can be set for: every item but the time.
bool isNumberItem(const QString &name);
