// The meter's item and unit codes and the texts the window shows for them.
#include "measure/NameTables.h"

#include <QStringView>

#include <array>

namespace {

constexpr std::array<QStringView, ItemNameCount> ItemNameTexts = {
    u"I",    u"I2",   u"I3",  u"In",   u"U1",   u"U2",   u"U3",   u"Un",   u"R1",   u"R2",
    u"R3",   u"P1",   u"P2",  u"P3",   u"P",    u"Q1",   u"Q2",   u"Q3",   u"Q",    u"S1",
    u"S2",   u"S3",   u"S",   u"PF1",  u"PF2",  u"PF3",  u"PF",   u"U1U2", u"U2U3", u"U3U1",
    u"U1I",  u"U2I",  u"U3I", u"U1I2", u"U2I2", u"U3I2", u"U1I3", u"U2I3", u"U3I3", u"I1I2",
    u"I2I3", u"I3I1", u"W1",  u"W2",   u"W3",   u"W",    u"TIME", u"DCI",  u"DCU",  u"I1",
    u"I2",   u"I3",   u"F_I", u"F_I2", u"F_I3", u"F_U1", u"F_U2", u"F_U3",
};

constexpr std::array<QStringView, UnitNameCount> UnitNameTexts = {
    u"mA", u"A",   u"mV",  u"V",      u"m\u03A9", u"\u03A9", u"k\u03A9", u"W",   u"KW", u"var", u"Kvar",
    u"VA", u"KVA", u"KWh", u"\u00B0", u"mins",    u"hmin",   u"h",       u"OL.", u" ",  u"Hz",  u"KHz",
};

template <size_t Count> std::array<QString, Count> tableOf(const std::array<QStringView, Count> &texts) {
    std::array<QString, Count> table;
    for (size_t code = 0; code < Count; ++code)
        table[code] = texts[code].toString();
    return table;
}

} // namespace

ItemNameTable itemNameTable() {
    return tableOf(ItemNameTexts);
}

UnitNameTable unitNameTable() {
    return tableOf(UnitNameTexts);
}
