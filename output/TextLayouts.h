#pragma once

#include "output/TabStopWriter.h"

#include <QStringList>

#include <vector>

// The grid's cell texts, row by row.
using CellRows = std::vector<QStringList>;

enum class TextLayout { TextFile, Printout };

// "     " + item caption + "     " + value caption, for the four reading pairs.
QStringList readingLines(const QStringList &itemCaptions, const QStringList &valueCaptions);

// The four reading lines; a printout frames them between a line of 5 and a line of 11 blanks.
TabStopWriter realtimeReadings(const QStringList &lines, TextLayout layout);

// Columns 0 to 3 of every row at character columns 1, 20, 40 and 60. In the text file the value
// rows (odd rows) start their cells one column further left, less the length of their first
// cell; a printout ends with two blanks and a finished line.
TabStopWriter recordTable(const CellRows &rows, TextLayout layout);
