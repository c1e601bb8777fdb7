#include "output/Workbook.h"

#include "output/SaveFile.h"

#include <QFile>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <cerrno>
#include <system_error>

namespace {

lxw_error writeCells(lxw_workbook *workbook, const CellRows &rows) {
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);
    lxw_format *centred = workbook_add_format(workbook);
    if (!sheet || !centred)
        return LXW_ERROR_MEMORY_MALLOC_FAILED;
    format_set_align(centred, LXW_ALIGN_CENTER);
    for (size_t row = 0; row < rows.size(); ++row)
        for (int column = 0; column < rows[row].size(); ++column) {
            const QByteArray text = rows[row][column].toUtf8();
            const auto sheetRow = lxw_row_t(row);
            const auto sheetColumn = lxw_col_t(column);
            const lxw_error error =
                text.isEmpty()
                    ? worksheet_write_blank(sheet, sheetRow, sheetColumn, centred)
                    : worksheet_write_string(sheet, sheetRow, sheetColumn, text.constData(), centred);
            if (error != LXW_NO_ERROR)
                return error;
        }
    return LXW_NO_ERROR;
}

} // namespace

QString saveWorkbook(const QString &path, const CellRows &rows) {
    // The library writes only to a file name of its own; it writes a temporary file, whose bytes
    // then replace the chosen file in one step.
    QTemporaryFile scratch;
    if (!scratch.open())
        return scratch.errorString();
    scratch.close();
    lxw_workbook *workbook = workbook_new(QFile::encodeName(scratch.fileName()).constData());
    if (!workbook)
        return QStringLiteral("The workbook cannot be created.");
    const lxw_error cellError = writeCells(workbook, rows);
    errno = 0;
    const lxw_error closeError = workbook_close(workbook);
    const int systemError = errno;
    const lxw_error error = cellError != LXW_NO_ERROR ? cellError : closeError;
    if (error != LXW_NO_ERROR) {
        // The library's text names only the step; the system's says why (a full disk, say).
        const QString reason = QString::fromUtf8(lxw_strerror(error));
        return systemError == 0 ? reason
                                : reason + QLatin1Char(' ') +
                                      QString::fromLocal8Bit(std::generic_category().message(systemError));
    }
    if (!scratch.open())
        return scratch.errorString();
    return saveBytes(path, scratch.readAll());
}
