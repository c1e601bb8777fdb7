#pragma once

#include "output/TextLayouts.h"

class Form1;
class GridControl;

// What the views show, read once at the moment a save or printout needs it.
QStringList realtimeReadingLines(const Form1 &form);
CellRows gridCells(const GridControl &grid);
