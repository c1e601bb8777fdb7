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

void Form1::RecordDataHandle(uint8_t offset, int16_t first, int16_t count) {
    Q_ASSERT(first >= 0 && count >= 1 && offset + RecordSize * count <= RxFrameSize);
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
        const StoredRecord blocks =
            storedRecord(state.RxFrame.data() + offset + RecordSize * record, state.ItemName, state.UnitName);
        for (int blockIndex = 0; blockIndex < BlocksPerRecord; ++blockIndex) {
            const ShownReading &block = blocks[size_t(blockIndex)];
            DataGrid->setTextMatrix(nameRow, blockIndex + 1, block.item);
            DataGrid->setTextMatrix(nameRow + 1, blockIndex + 1, block.value + block.unit);
        }
    }
}

void Form1::emptyGridRows(int fromRow, int toRow) {
    for (int col = 0; col < DataGrid->Cols(); ++col)
        for (int row = fromRow; row < toRow; ++row)
            DataGrid->setTextMatrix(row, col, QString());
}
