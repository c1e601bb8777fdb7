#include "measure/UnitFacts.h"

#include <algorithm>

const UnitFact *unitFactOf(const QString &unitText) {
    const auto fact = std::find_if(UnitFacts.begin(), UnitFacts.end(),
                                   [&unitText](const UnitFact &each) { return each.text == unitText; });
    return fact == UnitFacts.end() ? nullptr : &*fact;
}

bool isOverloadUnit(const QString &unitText) {
    const UnitFact *fact = unitFactOf(unitText);
    return fact && fact->kind == UnitKind::Overload;
}

QString overloadText() {
    const auto fact = std::find_if(UnitFacts.begin(), UnitFacts.end(),
                                   [](const UnitFact &each) { return each.kind == UnitKind::Overload; });
    return fact->text.toString();
}

UnitNameTable unitNameTable() {
    UnitNameTable table;
    for (size_t code = 0; code < UnitFacts.size(); ++code)
        table[code] = UnitFacts[code].text.toString();
    return table;
}
