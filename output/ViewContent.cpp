#include "output/ViewContent.h"

#include "app/Form1.h"
#include "measure/GridControl.h"

#include <QLabel>

QStringList realtimeReadingLines(const Form1 &form) {
    QStringList items, values;
    for (size_t row = 0; row < form.Lab_testpro.size(); ++row) {
        items << form.Lab_testpro[row]->text();
        values << form.Lab_value[row]->text();
    }
    return readingLines(items, values);
}

CellRows gridCells(const GridControl &grid) {
    CellRows rows(size_t(grid.Rows()));
    for (int row = 0; row < grid.Rows(); ++row)
        for (int column = 0; column < grid.Cols(); ++column)
            rows[size_t(row)] << grid.TextMatrix(row, column);
    return rows;
}
