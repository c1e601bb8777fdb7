#pragma once

// The texts of the meter's item and unit codes, as the window shows them.

#include "measure/ReadingBlock.h"

ItemNameTable itemNameTable();
UnitNameTable unitNameTable();
