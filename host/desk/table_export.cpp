#include "host/desk/table_export.h"

#include "host/desk/replacing_file.h"

#include <stdexcept>
#include <strings.h>

namespace qm::desk {

bool FormatFromPath(const std::string& path, ExportFormat& format) {
    auto endsWith = [&path](const char* ext) {
        const std::size_t n = std::char_traits<char>::length(ext);
        return path.size() > n && strcasecmp(path.c_str() + path.size() - n, ext) == 0;
    };
    if (endsWith(".csv")) {
        format = ExportFormat::Csv;
        return true;
    }
    if (endsWith(".xlsx")) {
        format = ExportFormat::Xlsx;
        return true;
    }
    return false;
}

ExportResult ExportTable(const TableSource& table, const std::string& path, ExportFormat format,
                         const ExportProgress& progress) {
    ExportResult result;
    try {
        ReplacingFile file(path);
        const bool complete = format == ExportFormat::Csv ? WriteCsv(table, file.TempPath(), progress)
                                                          : WriteXlsx(table, file.TempPath(), progress);
        if (!complete) {
            result.Cancelled = true;
            return result;
        }
        file.Commit();
        result.Written = true;
    } catch (const std::exception& e) {
        result.Error = e.what();
    }
    return result;
}

} // namespace qm::desk
