// Saving the record table: as a column-aligned text file or as a workbook.
#include "app/Form1.h"

#include "output/CommonDialog.h"
#include "output/SaveFile.h"
#include "output/ViewContent.h"
#include "output/Workbook.h"

void Form1::SaveRecords() {
    if (!showSaveDialog(QStringLiteral("txt格式 (*.txt)|*.txt|excel格式 (*.xls)|*.xls|"),
                        QStringLiteral(".txt"), QStringLiteral(".xls"), false))
        return;
    const QString path = CommonDialog1->FileName;
    if (CommonDialog1->FilterIndex > 1) {
        ExportToExcel(path);
        return;
    }
    const QString failure =
        saveBytes(path, recordTable(gridCells(*DataGrid), TextLayout::TextFile).text().toLocal8Bit());
    if (!failure.isEmpty())
        reportSaveError(path, failure);
}

void Form1::ExportToExcel(const QString &path) {
    const QString failure = saveWorkbook(path, gridCells(*DataGrid));
    if (!failure.isEmpty())
        reportSaveError(path, failure);
}
