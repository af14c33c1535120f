// The CSV writer: one buffer filled by hand and written in large blocks.
#include "host/desk/replacing_file.h"
#include "host/desk/table_export.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace qm::desk {

namespace {

constexpr std::size_t kBlock = 1 << 16;

class CsvOut {
public:
    explicit CsvOut(const std::string& path) : FPath(path), FFile(std::fopen(path.c_str(), "wb")) {
        if (!FFile) Fail();
        FBuffer.reserve(kBlock * 2);
    }
    ~CsvOut() {
        if (FFile) std::fclose(FFile);
    }
    void Put(std::string_view text) {
        FBuffer.append(text);
        if (FBuffer.size() >= kBlock) Flush();
    }
    // A field: quoted when it holds a separator, a quote or a line break, quotes doubled.
    void Field(std::string_view text) {
        if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
            FBuffer.append(text);
        } else {
            FBuffer.push_back('"');
            for (std::size_t from = 0;;) {
                const std::size_t quote = text.find('"', from);
                FBuffer.append(text.substr(from, quote == std::string_view::npos ? quote : quote + 1 - from));
                if (quote == std::string_view::npos) break;
                FBuffer.push_back('"');
                from = quote + 1;
            }
            FBuffer.push_back('"');
        }
        if (FBuffer.size() >= kBlock) Flush();
    }
    void Close() {
        Flush();
        const int failed = std::fclose(FFile);
        FFile = nullptr;
        if (failed != 0) Fail();
    }

private:
    void Flush() {
        if (!FBuffer.empty() && std::fwrite(FBuffer.data(), 1, FBuffer.size(), FFile) != FBuffer.size())
            Fail();
        FBuffer.clear();
    }
    [[noreturn]] void Fail() const { throw std::runtime_error(CannotWrite(FPath, std::strerror(errno))); }

    std::string FPath;
    std::FILE* FFile;
    std::string FBuffer;
};

} // namespace

bool WriteCsv(const TableSource& table, const std::string& path, const ExportProgress& progress) {
    CsvOut out(path);
    out.Put("\xEF\xBB\xBF"); // lets a spreadsheet read the Chinese labels as UTF-8
    const std::vector<TableColumn>& columns = table.Columns();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (c) out.Put(",");
        out.Field(columns[c].Label);
    }
    out.Put("\r\n");
    std::vector<std::string> cells;
    const std::size_t rows = table.RowCount();
    for (std::size_t r = 0; r < rows; ++r) {
        if (progress && r % kProgressStep == 0 && !progress(r, rows)) return false;
        table.Row(r, cells);
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (c) out.Put(",");
            out.Field(cells[c]);
        }
        out.Put("\r\n");
    }
    out.Close();
    if (progress) progress(rows, rows);
    return true;
}

} // namespace qm::desk
