#pragma once

// A reading as the network outputs carry it: a key for JSON and topics, and the number in its
// base unit where there is one. Pure.

#include "measure/ShownReadings.h"

#include <optional>
#include <vector>

struct PublishedReading {
    QString item;                    // "F_U1", as the window shows it
    QString key;                     // "f_u1"
    std::optional<QString> baseUnit; // "V", "" for a plain number; nothing for an overload or a strange unit
    std::optional<QString> number;   // plain decimal in baseUnit; nothing where the value is not a number
};

// The readings of one answer without its time readings, each item once (its first reading).
std::vector<PublishedReading> publishedReadings(const std::vector<ShownReading> &readings);

// True when the key may stand in a Home Assistant object id and as a name in a template:
// [a-z][a-z0-9_]*.
bool isPlainKey(const QString &key);
