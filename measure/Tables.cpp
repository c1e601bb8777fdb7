// The item and unit tables of the form state.
#include "app/Form1.h"

#include "measure/NameTables.h"

void Form1::DisLabelInit() {
    state.ItemName = itemNameTable();
    state.UnitName = unitNameTable();
}
