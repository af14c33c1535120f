// Writing a table to CSV or .xlsx, all or nothing.
#pragma once

#include "host/desk/table_source.h"

#include <cstddef>
#include <functional>
#include <string>

namespace qm::desk {

enum class ExportFormat { Csv, Xlsx };

// From the file name's extension, ignoring case; false for any other.
bool FormatFromPath(const std::string& path, ExportFormat& format);

// Told the rows written so far, now and then; returns false to stop the export.
using ExportProgress = std::function<bool(std::size_t done, std::size_t total)>;

struct ExportResult {
    bool Written = false;
    bool Cancelled = false;
    std::string Error; // a clerk's sentence naming the file, when neither written nor cancelled
};

// Writes the header row of labels and every row to `path`. The target is replaced only once the
// whole file is written: on an error or a cancel it stays as it was and nothing else is left.
ExportResult ExportTable(const TableSource& table, const std::string& path, ExportFormat format,
                         const ExportProgress& progress = {});

// The two writers, to an already opened place; both throw std::runtime_error on a failed write.
// CSV: UTF-8 with a byte-order mark, comma-separated, CRLF line ends, quoted where needed.
bool WriteCsv(const TableSource& table, const std::string& path, const ExportProgress& progress);
// .xlsx: numbers as numbers, dates as dates, the header row bold and frozen.
bool WriteXlsx(const TableSource& table, const std::string& path, const ExportProgress& progress);

// How often the progress is told, in rows.
constexpr std::size_t kProgressStep = 1000;

} // namespace qm::desk
