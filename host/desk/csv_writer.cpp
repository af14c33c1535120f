// The CSV writer: the bytes formatted into one buffer by hand and written in large blocks.
#include "host/desk/replacing_file.h"
#include "host/desk/table_export.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace qm::desk {

namespace {

constexpr std::size_t kBlock = 1 << 18;

// Whether a text holds a byte that makes a field quoted: a separator, a quote or a line break.
// Eight bytes at a time, as most fields hold none.
bool NeedsQuotes(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
    auto holds = [](std::uint64_t word, unsigned char byte) {
        const std::uint64_t x = word ^ (kOnes * byte);
        return (x - kOnes) & ~x & kHighs;
    };
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if (holds(word, ',') | holds(word, '"') | holds(word, '\r') | holds(word, '\n')) return true;
    }
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
    }
    return false;
}

// Formats into one buffer of bytes and hands it to the file in large blocks.
class CsvOut {
public:
    explicit CsvOut(const std::string& path)
        : FPath(path), FFile(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)) {
        if (FFile < 0) Fail();
        FBuffer.reserve(kBlock + (kBlock >> 2));
    }
    ~CsvOut() {
        if (FFile >= 0) ::close(FFile);
    }
    void Put(std::string_view text) { FBuffer.append(text); }
    // A field: quoted when it holds a separator, a quote or a line break, quotes doubled.
    void Field(std::string_view text) {
        if (!NeedsQuotes(text)) {
            FBuffer.append(text);
            return;
        }
        FBuffer.push_back('"');
        for (const char c : text) {
            if (c == '"') FBuffer.push_back('"');
            FBuffer.push_back(c);
        }
        FBuffer.push_back('"');
    }
    // The end of a row: a full block goes to the file.
    void EndRow() {
        FBuffer.append("\r\n");
        if (FBuffer.size() >= kBlock) Flush();
    }
    void Close() {
        Flush();
        const int failed = ::close(FFile);
        FFile = -1;
        if (failed != 0) Fail();
    }

private:
    void Flush() {
        const char* at = FBuffer.data();
        std::size_t left = FBuffer.size();
        while (left > 0) {
            const ssize_t n = ::write(FFile, at, left);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) Fail();
            at += n;
            left -= static_cast<std::size_t>(n);
        }
        FBuffer.clear();
    }
    [[noreturn]] void Fail() const { throw std::runtime_error(CannotWrite(FPath, std::strerror(errno))); }

    std::string FPath;
    int FFile;
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
    out.EndRow();
    std::vector<std::string_view> cells;
    const std::size_t rows = table.RowCount();
    for (std::size_t r = 0; r < rows; ++r) {
        if (progress && r % kProgressStep == 0 && !progress(r, rows)) return false;
        table.Row(r, cells);
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (c) out.Put(",");
            out.Field(cells[c]);
        }
        out.EndRow();
    }
    out.Close();
    if (progress) progress(rows, rows);
    return true;
}

} // namespace qm::desk
