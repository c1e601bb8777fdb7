#include "support/GridFill.h"

#include "app/Form1.h"
#include "measure/GridControl.h"

void setGrid(Form1 &form, const CellRows &rows) {
    form.DataGrid->setRows(int(rows.size()));
    form.DataGrid->setCols(5);
    for (size_t row = 0; row < rows.size(); ++row)
        for (int column = 0; column < 5; ++column)
            form.DataGrid->setTextMatrix(int(row), column, rows[row].value(column));
}
