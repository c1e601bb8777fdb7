// The meter's item and unit codes and the texts shown for them.
#include "link/MeterEngine.h"

#include "measure/ItemNames.h"
#include "measure/UnitFacts.h"

void MeterEngine::DisLabelInit() {
    state.ItemName = itemNameTable();
    state.UnitName = unitNameTable();
}
