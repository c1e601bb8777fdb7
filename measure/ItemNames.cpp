#include "measure/ItemNames.h"

#include <algorithm>

ItemNameTable itemNameTable() {
    ItemNameTable table;
    for (size_t code = 0; code < ItemNames.size(); ++code)
        table[code] = ItemNames[code].toString();
    return table;
}

bool isItemName(const QString &name) {
    return std::find(ItemNames.begin(), ItemNames.end(), name) != ItemNames.end();
}

bool isNumberItem(const QString &name) {
    return isItemName(name) && name != ItemNames[TimeItemCode];
}
