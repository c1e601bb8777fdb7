#pragma once

// What each unit code of the meter means: the text it shows, the base unit and power of ten its
// numbers convert to, and whether a reading in it is a number, an overload or a time. Every
// reader of units (the panel, the grid, the log, the trend, the alarms) takes them from here.

#include "measure/ReadingBlock.h"

#include <QStringView>

#include <array>
#include <cstdint>

enum class UnitKind : uint8_t { Number, Overload, Time };

struct UnitFact {
    QStringView text;     // as the meter shows it
    QStringView baseUnit; // numbers only; empty for a number without a unit
    int powerOfTen;       // a number in `text` times 10^powerOfTen is in `baseUnit`
    UnitKind kind;
};

// Indexed by unit code. The multiplier letter is K in "KW", "Kvar", "KVA", "KWh" and "KHz" and
// k in "kΩ"; all mean a thousand.
inline constexpr std::array<UnitFact, UnitNameCount> UnitFacts = {{
    {u"mA", u"A", -3, UnitKind::Number},
    {u"A", u"A", 0, UnitKind::Number},
    {u"mV", u"V", -3, UnitKind::Number},
    {u"V", u"V", 0, UnitKind::Number},
    {u"m\u03A9", u"\u03A9", -3, UnitKind::Number},
    {u"\u03A9", u"\u03A9", 0, UnitKind::Number},
    {u"k\u03A9", u"\u03A9", 3, UnitKind::Number},
    {u"W", u"W", 0, UnitKind::Number},
    {u"KW", u"W", 3, UnitKind::Number},
    {u"var", u"var", 0, UnitKind::Number},
    {u"Kvar", u"var", 3, UnitKind::Number},
    {u"VA", u"VA", 0, UnitKind::Number},
    {u"KVA", u"VA", 3, UnitKind::Number},
    {u"KWh", u"Wh", 3, UnitKind::Number},
    {u"\u00B0", u"\u00B0", 0, UnitKind::Number},
    {u"mins", u"", 0, UnitKind::Time},
    {u"hmin", u"", 0, UnitKind::Time},
    {u"h", u"", 0, UnitKind::Time},
    {u"OL.", u"", 0, UnitKind::Overload},
    {u" ", u"", 0, UnitKind::Number}, // a number without a unit, as a power factor
    {u"Hz", u"Hz", 0, UnitKind::Number},
    {u"KHz", u"Hz", 3, UnitKind::Number},
}};

// The fact of the unit that shows this text, or nullptr for a text that is not the meter's.
const UnitFact *unitFactOf(const QString &unitText);

// Whether a reading in this unit is an overload: a value beyond the meter's range.
bool isOverloadUnit(const QString &unitText);

// What an overload shows in place of its unit.
QString overloadText();

// The unit texts by code, as the window's unit table holds them.
UnitNameTable unitNameTable();
