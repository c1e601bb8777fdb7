#include "cli/DownloadOutput.h"

#include "measure/CsvRows.h"
#include "output/SaveFile.h"
#include "output/TextLayouts.h"
#include "output/Workbook.h"

#include <cerrno>
#include <system_error>

std::optional<DownloadFormat> downloadFormatFor(const QString &path) {
    if (path == QLatin1String("-"))
        return DownloadFormat::CsvOnStandardOutput;
    const auto endsWith = [&path](const char *extension) {
        return path.size() > qsizetype(qstrlen(extension)) &&
               path.endsWith(QLatin1String(extension), Qt::CaseInsensitive);
    };
    if (endsWith(".txt"))
        return DownloadFormat::RecordText;
    if (endsWith(".xls") || endsWith(".xlsx"))
        return DownloadFormat::Workbook;
    if (endsWith(".csv"))
        return DownloadFormat::Csv;
    return std::nullopt;
}

QByteArray downloadBytes(DownloadFormat format, const std::vector<ShownBlocks> &records) {
    if (format == DownloadFormat::RecordText)
        return recordTable(recordTableCells(records), TextLayout::TextFile).text().toLocal8Bit();
    QByteArray csv = csvRecordHeader();
    for (size_t index = 0; index < records.size(); ++index)
        csv += csvRecordRows(int(index + 1), records[index]);
    return csv;
}

QString writeDownload(const QString &path, DownloadFormat format, const std::vector<ShownBlocks> &records,
                      std::FILE *standardOutput) {
    switch (format) {
    case DownloadFormat::Workbook:
        return saveWorkbook(path, recordTableCells(records));
    case DownloadFormat::RecordText:
    case DownloadFormat::Csv:
        return saveBytes(path, downloadBytes(format, records));
    case DownloadFormat::CsvOnStandardOutput:
        break;
    }
    const QByteArray csv = downloadBytes(format, records);
    errno = 0;
    if (std::fwrite(csv.constData(), 1, size_t(csv.size()), standardOutput) != size_t(csv.size()) ||
        std::fflush(standardOutput) != 0)
        return QString::fromLocal8Bit(std::generic_category().message(errno));
    return QString();
}
