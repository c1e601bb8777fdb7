#pragma once

// Readings as plain numbers in base units (volts, amperes, watts, ...): the prefix of the
// unit text applied to the value text. Pure functions over texts.

#include <QString>

#include <optional>

struct BaseUnit {
    QString unit;   // "A", "V", "Ω", "W", ... ; empty for a number without a unit
    int powerOfTen; // the value in the shown unit times 10^powerOfTen is the value in `unit`
};

// The base unit of a unit text of the meter, or nothing when readings in it are not numbers
// (an overload "OL.", the time units "mins", "hmin", "h") or the text is not the meter's.
std::optional<BaseUnit> baseUnitOf(const QString &unitText);

// The value text as a plain decimal number (sign, digits, at most one point) with the point
// moved by powerOfTen places: exact, no exponent, leading zeros dropped. Surrounding spaces
// are allowed; anything else (a time "12:34", a gap "2 30", dashes) gives nothing.
std::optional<QString> shiftedDecimal(const QString &valueText, int powerOfTen);

struct BaseValue {
    QString number; // plain decimal text, as a CSV or a spreadsheet takes it
    QString unit;
};

// The shown value and unit as a number in the base unit, or nothing where it is not a number.
std::optional<BaseValue> baseValue(const QString &valueText, const QString &unitText);
