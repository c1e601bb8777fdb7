#pragma once

#include "output/TextLayouts.h"

class Form1;

// Puts the rows into the record grid as five columns; cells a row does not give are left empty.
void setGrid(Form1 &form, const CellRows &rows);
