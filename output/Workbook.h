#pragma once

#include "output/TextLayouts.h"

#include <QString>

// Saves the cells as a workbook whose first worksheet holds cell (row, column) in worksheet cell
// (row + 1, column + 1), as centred text; empty cells are written too, centred and blank.
// Returns why it could not be saved, or an empty text; a failed save changes no file.
QString saveWorkbook(const QString &path, const CellRows &rows);
