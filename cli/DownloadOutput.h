#pragma once

// The downloaded records in the format the output's name asks for.

#include "measure/StoredRecords.h"

#include <QString>

#include <cstdio>
#include <optional>

enum class DownloadFormat {
    RecordText,         // .txt: the window's record text file
    Workbook,           // .xls, .xlsx: the window's workbook
    Csv,                // .csv: one row per reading
    CsvOnStandardOutput // -
};

// The format a file name's extension names (in any case), or nothing for another name.
std::optional<DownloadFormat> downloadFormatFor(const QString &path);

// The bytes of a text format: the record text, or the CSV with its header.
QByteArray downloadBytes(DownloadFormat format, const std::vector<ShownBlocks> &records);

// Writes the records to `path` in `format`, or to `standardOutput` for the CSV on standard
// output. A file is written whole or not at all: a failure leaves no new file and an existing one
// as it was. Returns why it failed, or an empty text.
QString writeDownload(const QString &path, DownloadFormat format, const std::vector<ShownBlocks> &records,
                      std::FILE *standardOutput);
