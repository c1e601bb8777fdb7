// The item and unit tables of the engine's state.
#include "link/MeterEngine.h"

#include "measure/NameTables.h"

void MeterEngine::DisLabelInit() {
    state.ItemName = itemNameTable();
    state.UnitName = unitNameTable();
}
