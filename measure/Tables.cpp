// The meter's item and unit codes and the texts the window shows for them.
#include "app/Form1.h"

#include "measure/ItemNames.h"
#include "measure/UnitFacts.h"

void Form1::DisLabelInit() {
    state.ItemName = itemNameTable();
    state.UnitName = unitNameTable();
}
