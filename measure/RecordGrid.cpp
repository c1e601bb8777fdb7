// The record grid: its layout, and the records of a download written two rows each.
#include "app/Form1.h"

#include "measure/GridControl.h"
#include "measure/StoredRecords.h"

namespace {

constexpr int InitialRows = 2;
constexpr int GridCols = 5;
constexpr int ColWidthTwips = 1500;
constexpr int CentredAlignment = 4;
constexpr int InitialRowHeightTwips = 300;
constexpr int RowsPerRecord = 2;

} // namespace

void Form1::GridInit() {
    DataGrid->setTwipsGeometry(1000, 1440, 8000, 7075);
    DataGrid->setRows(InitialRows);
    DataGrid->setCols(GridCols);
    for (int col = 0; col < DataGrid->Cols(); ++col) {
        DataGrid->setColWidth(col, ColWidthTwips);
        DataGrid->setColAlignment(col, CentredAlignment);
    }
    for (int row = 0; row < DataGrid->Rows(); ++row)
        DataGrid->setRowHeightTwips(row, InitialRowHeightTwips);
    emptyGridRows(0, DataGrid->Rows());
    DataGrid->setTextMatrix(0, 0, QStringLiteral("NO."));
}

void Form1::RecordDataHandle(int16_t first, const std::vector<ShownBlocks> &records) {
    const int count = int(records.size());
    // A download holding a single record leaves the row count as it was.
    if (first != 0 || count != 1) {
        const int rowsBefore = DataGrid->Rows();
        const int rowsAfter = (first + count) * RowsPerRecord;
        DataGrid->setRows(rowsAfter);
        emptyGridRows(rowsBefore, rowsAfter);
    }
    for (int record = 0; record < count; ++record) {
        const int number = first + record + 1;
        const int nameRow = (number - 1) * RowsPerRecord;
        DataGrid->setTextMatrix(nameRow, 0, QStringLiteral("NO.%1").arg(number));
        for (size_t blockIndex = 0; blockIndex < records[size_t(record)].size(); ++blockIndex) {
            const std::optional<ShownReading> &block = records[size_t(record)][blockIndex];
            const int col = int(blockIndex) + 1;
            DataGrid->setTextMatrix(nameRow, col, recordItemCell(block));
            DataGrid->setTextMatrix(nameRow + 1, col, recordReadingCell(block));
        }
    }
}

void Form1::emptyGridRows(int fromRow, int toRow) {
    for (int col = 0; col < DataGrid->Cols(); ++col)
        for (int row = fromRow; row < toRow; ++row)
            DataGrid->setTextMatrix(row, col, QString());
}
