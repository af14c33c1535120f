// Export and print live in a library of their own, beside the programs: the spreadsheet writer
// (with the crypto library it brings) and Qt's print support are loaded on their first use, not
// with every start of the host.
#pragma once

#include "host/desk/grid_printer.h"
#include "host/desk/table_export.h"

#include <string>

class QWidget;

namespace qm::desk {

inline constexpr char kOutputFileName[] = "libqmdeskout.so";
inline constexpr char kOutputEntry[] = "QmDeskOutput";

struct OutputApi {
    bool (*FormatFromPath)(const std::string& path, ExportFormat& format);
    ExportResult (*ExportTable)(const TableSource& table, const std::string& path, ExportFormat format,
                                const ExportProgress& progress);
    // The rows as PDF, the file replaced whole; false with a clerk's sentence.
    bool (*PrintPdf)(const GridTable& table, const PrintHeading& heading, const std::string& path,
                     std::string& why);
    // The print preview over `owner`, until it is closed.
    void (*Preview)(const GridTable& table, const PrintHeading& heading, QWidget& owner);
};

using OutputEntry = const OutputApi* (*)();

// The library beside the program, loaded at the first call and kept; null with a clerk's sentence
// when it cannot be used.
const OutputApi* Output(std::string& why);

} // namespace qm::desk
