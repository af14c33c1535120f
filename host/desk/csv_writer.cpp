// The CSV writer: the bytes formatted straight into one buffer and written in large blocks.
#include "host/desk/replacing_file.h"
#include "host/desk/table_export.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace qm::desk {

namespace {

constexpr std::size_t kBlock = 1 << 18;
// Room a field copied eight bytes at a time may write past its end.
constexpr std::size_t kSlack = 8;

bool Special(char c) {
    return c == ',' || c == '"' || c == '\r' || c == '\n';
}

// Whether eight bytes hold a separator, a quote or a line break.
bool HoldsSpecial(std::uint64_t word) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
    auto holds = [word](unsigned char byte) {
        const std::uint64_t x = word ^ (kOnes * byte);
        return (x - kOnes) & ~x & kHighs;
    };
    return (holds(',') | holds('"') | holds('\r') | holds('\n')) != 0;
}

// Formats rows into a buffer of bytes and hands it to the file in large blocks.
class CsvOut {
public:
    explicit CsvOut(const std::string& path)
        : FPath(path), FFile(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)) {
        if (FFile < 0) Fail();
        Grow(kBlock);
    }
    ~CsvOut() {
        if (FFile >= 0) ::close(FFile);
    }
    void Put(std::string_view bytes) {
        Reserve(bytes.size());
        std::memcpy(FAt, bytes.data(), bytes.size());
        FAt += bytes.size();
    }
    // One line: fields separated by commas, ended by CRLF.
    void Row(const std::vector<std::string_view>& cells) {
        std::size_t most = 2;
        for (const std::string_view cell : cells)
            most += 2 * cell.size() + 3;
        Reserve(most);
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (c) *FAt++ = ',';
            Field(cells[c]);
        }
        *FAt++ = '\r';
        *FAt++ = '\n';
        if (FAt - FStart >= static_cast<std::ptrdiff_t>(kBlock)) Flush();
    }
    void Close() {
        Flush();
        const int failed = ::close(FFile);
        FFile = -1;
        if (failed != 0) Fail();
    }

private:
    // A field: quoted when it holds a separator, a quote or a line break, quotes doubled. Copied
    // while it is looked at, eight bytes at a time, as most fields are copied as they are.
    void Field(std::string_view text) {
        const char* from = text.data();
        const std::size_t size = text.size();
        std::size_t i = 0;
        for (; i + 8 <= size; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, from + i, 8);
            if (HoldsSpecial(word)) return Quoted(text);
            std::memcpy(FAt + i, &word, 8);
        }
        for (; i < size; ++i) {
            if (Special(from[i])) return Quoted(text);
            FAt[i] = from[i];
        }
        FAt += size;
    }
    void Quoted(std::string_view text) {
        char* out = FAt;
        *out++ = '"';
        for (const char c : text) {
            if (c == '"') *out++ = '"';
            *out++ = c;
        }
        *out++ = '"';
        FAt = out;
    }
    // Room for `bytes` more, and the slack past them.
    void Reserve(std::size_t bytes) {
        if (static_cast<std::size_t>(FEnd - FAt) >= bytes + kSlack) return;
        Flush();
        if (FSize < bytes + kSlack) Grow(bytes + kSlack);
    }
    void Grow(std::size_t size) {
        FSize = std::max(size, kBlock) + kBlock / 4;
        FBuffer = std::make_unique_for_overwrite<char[]>(FSize);
        FStart = FAt = FBuffer.get();
        FEnd = FStart + FSize;
    }
    void Flush() {
        const char* at = FStart;
        while (at < FAt) {
            const ssize_t n = ::write(FFile, at, static_cast<std::size_t>(FAt - at));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) Fail();
            at += n;
        }
        FAt = FStart;
    }
    [[noreturn]] void Fail() const { throw std::runtime_error(CannotWrite(FPath, std::strerror(errno))); }

    std::string FPath;
    int FFile;
    std::unique_ptr<char[]> FBuffer;
    std::size_t FSize = 0;
    char* FStart = nullptr;
    char* FAt = nullptr;
    char* FEnd = nullptr;
};

} // namespace

bool WriteCsv(const TableSource& table, const std::string& path, const ExportProgress& progress) {
    CsvOut out(path);
    out.Put("\xEF\xBB\xBF"); // lets a spreadsheet read the Chinese labels as UTF-8
    std::vector<std::string_view> cells;
    for (const TableColumn& column : table.Columns())
        cells.push_back(column.Label);
    out.Row(cells);
    const std::size_t rows = table.RowCount();
    for (std::size_t r = 0; r < rows; ++r) {
        if (progress && r % kProgressStep == 0 && !progress(r, rows)) return false;
        table.Row(r, cells);
        out.Row(cells);
    }
    out.Close();
    if (progress) progress(rows, rows);
    return true;
}

} // namespace qm::desk
