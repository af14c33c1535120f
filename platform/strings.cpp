// Shared wide strings and the UTF-8 / UTF-16 conversions behind them.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include <sys/mman.h>
#include <unistd.h>

#include "platform/internal.h"
#include "platform/shared_text.h"

namespace qm {
namespace {

std::atomic<std::size_t> gLiveStrings{0};

// Strings at least this long are freed on a thread of their own.
constexpr std::uint32_t kFreedAsideBytes = 32u << 20;

constexpr char32_t kReplacement = 0xFFFD;

// Answers are mostly ASCII: both conversions test eight bytes, or eight UTF-16 units, at a time.
constexpr std::uint64_t kAsciiBytes = 0x8080808080808080ull;
constexpr std::uint64_t kAsciiUnits = 0xFF80FF80FF80FF80ull;

bool AsciiBytes(const unsigned char* in) {
    std::uint64_t block;
    std::memcpy(&block, in, sizeof block);
    return (block & kAsciiBytes) == 0;
}

bool AsciiUnits(const char16_t* in) {
    std::uint64_t block;
    std::memcpy(&block, in, sizeof block);
    return (block & kAsciiUnits) == 0;
}

bool HighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool LowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Decodes one code point at text[i], advancing i; malformed input yields U+FFFD for one byte.
char32_t DecodeUtf8(std::string_view text, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int extra;
    char32_t cp;
    char32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        extra = 1, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        extra = 2, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        extra = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    std::size_t j = i + 1;
    for (int k = 0; k < extra; ++k, ++j) {
        if (j >= text.size()) {
            ++i;
            return kReplacement;
        }
        const auto b = static_cast<unsigned char>(text[j]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i = j;
    return cp;
}

// Writes cp as UTF-8 at out and returns the position after it.
char* PutUtf8(char* out, char32_t cp) {
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

// Converts into out, which has room for utf8.size() code units (UTF-16 never needs more), and
// returns the number written. Answers are mostly ASCII, so runs of it are copied directly.
std::size_t ConvertUtf8(std::string_view utf8, char16_t* out) {
    char16_t* const begin = out;
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t n = utf8.size();
    std::size_t i = 0;
    while (i < n) {
        for (; i + 8 <= n && AsciiBytes(bytes + i); i += 8, out += 8)
            for (int k = 0; k < 8; ++k)
                out[k] = bytes[i + k];
        while (i < n && bytes[i] < 0x80)
            *out++ = bytes[i++];
        if (i >= n) break;
        const char32_t cp = DecodeUtf8(utf8, i);
        if (cp >= 0x10000) {
            const char32_t v = cp - 0x10000;
            *out++ = static_cast<char16_t>(0xD800 + (v >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + (v & 0x3FF));
        } else {
            *out++ = static_cast<char16_t>(cp);
        }
    }
    return static_cast<std::size_t>(out - begin);
}

} // namespace

BSTR SysAllocString(std::u16string_view text) {
    const std::size_t bytes = text.size() * sizeof(char16_t);
    if (bytes > std::numeric_limits<std::uint32_t>::max() - 8) return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(sizeof(std::uint32_t) + bytes + sizeof(char16_t)));
    if (!block) return nullptr;
    const auto len = static_cast<std::uint32_t>(bytes);
    std::memcpy(block, &len, sizeof len);
    auto* chars = reinterpret_cast<char16_t*>(block + sizeof(std::uint32_t));
    if (bytes) std::memcpy(chars, text.data(), bytes);
    chars[text.size()] = u'\0';
    ++gLiveStrings;
    return chars;
}

namespace {

// Converts utf8 into a new shared string, in pieces; after each piece, release(bytes done) may
// let go of the source read so far.
template <class Release> BSTR ConvertIntoShared(std::string_view utf8, Release&& release) {
    // Converted straight into the shared block: a search answer can be tens of megabytes.
    const std::size_t room = utf8.size() * sizeof(char16_t);
    if (room > std::numeric_limits<std::uint32_t>::max() - 8) return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(sizeof(std::uint32_t) + room + sizeof(char16_t)));
    if (!block) return nullptr;
    auto* chars = reinterpret_cast<char16_t*>(block + sizeof(std::uint32_t));
    constexpr std::size_t kPiece = 1 << 20;
    std::size_t units = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t end = std::min(utf8.size(), i + kPiece);
        // A piece ends before a byte that starts a character, never inside a sequence.
        while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
            ++end;
        units += ConvertUtf8(utf8.substr(i, end - i), chars + units);
        i = end;
        release(i);
    }
    chars[units] = u'\0';
    const auto len = static_cast<std::uint32_t>(units * sizeof(char16_t));
    std::memcpy(block, &len, sizeof len);
    // Text beyond ASCII needs fewer units than bytes: the spare room goes back, which a shrinking
    // realloc does in place.
    if (units < utf8.size()) {
        if (void* smaller = std::realloc(block, sizeof(std::uint32_t) + len + sizeof(char16_t)))
            block = static_cast<unsigned char*>(smaller);
    }
    ++gLiveStrings;
    return reinterpret_cast<char16_t*>(block + sizeof(std::uint32_t));
}

} // namespace

BSTR SysAllocStringUtf8(std::string_view utf8) {
    return ConvertIntoShared(utf8, [](std::size_t) {});
}

BSTR SysAllocStringUtf8Taken(std::string&& utf8) {
    // The pages of the source behind the conversion go back to the system as it advances, so that
    // a long answer is never held whole in both encodings. Its first page stays: the allocator
    // keeps its own bookkeeping next to it, and frees the rest with it below.
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(utf8.data());
    std::uintptr_t released = (start / page + 1) * page;
    BSTR text = ConvertIntoShared(utf8, [&](std::size_t done) {
        const std::uintptr_t upto = (start + done) / page * page;
        if (upto <= released) return;
        ::madvise(reinterpret_cast<void*>(released), upto - released, MADV_DONTNEED);
        released = upto;
    });
    std::string().swap(utf8);
    return text;
}

namespace {

// Smaller blocks gain little, and a heap that shares them would hold its memory in 2 MB pieces.
constexpr std::size_t kHugeBlockBytes = 8u << 20;

} // namespace

void AdviseHugePages(void* block, std::size_t bytes) {
    if (!block || bytes < kHugeBlockBytes) return;
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    // The first page stays as it is: the allocator keeps its bookkeeping there.
    const std::uintptr_t from = (start / page + 1) * page;
    const std::uintptr_t end = (start + bytes) / page * page;
    if (end > from) ::madvise(reinterpret_cast<void*>(from), end - from, MADV_HUGEPAGE);
}

SharedTextBuilder::~SharedTextBuilder() {
    std::free(FBlock);
}

char16_t* SharedTextBuilder::Chars() const {
    return reinterpret_cast<char16_t*>(FBlock + sizeof(std::uint32_t));
}

void SharedTextBuilder::Reserve(std::size_t units) {
    if (FBlock && FRoom - FUnits >= units) return;
    // Grows at least by half, so that pieces without a reservation stay amortised; a large block
    // is remapped by realloc, not copied.
    const std::size_t room = std::max(FUnits + units, FRoom + FRoom / 2);
    if (room > (std::numeric_limits<std::size_t>::max() - 16) / sizeof(char16_t)) throw std::bad_alloc();
    const std::size_t bytes = sizeof(std::uint32_t) + (room + 1) * sizeof(char16_t);
    void* grown = std::realloc(FBlock, bytes);
    if (!grown) throw std::bad_alloc();
    FBlock = static_cast<unsigned char*>(grown);
    FRoom = room;
    // The text is written once front to back: see AdviseHugePages.
    AdviseHugePages(FBlock, bytes);
}

void SharedTextBuilder::Append(std::string_view utf8) {
    Reserve(utf8.size());
    FUnits += ConvertUtf8(utf8, Chars() + FUnits);
}

std::size_t SharedTextBuilder::Insert(std::size_t at, std::string_view utf8) {
    at = std::min(at, FUnits);
    const std::u16string wide = Utf8ToUtf16(utf8);
    Reserve(wide.size());
    std::memmove(Chars() + at + wide.size(), Chars() + at, (FUnits - at) * sizeof(char16_t));
    std::memcpy(Chars() + at, wide.data(), wide.size() * sizeof(char16_t));
    FUnits += wide.size();
    return wide.size();
}

BSTR SharedTextBuilder::Take() {
    const std::size_t units = FUnits;
    FUnits = 0;
    if (units * sizeof(char16_t) > std::numeric_limits<std::uint32_t>::max() - 8) return nullptr;
    if (!FBlock) Reserve(0);
    unsigned char* block = std::exchange(FBlock, nullptr);
    const std::size_t room = std::exchange(FRoom, 0);
    const auto len = static_cast<std::uint32_t>(units * sizeof(char16_t));
    std::memcpy(block, &len, sizeof len);
    reinterpret_cast<char16_t*>(block + sizeof(std::uint32_t))[units] = u'\0';
    // What was reserved beyond the text goes back; a shrinking realloc does it in place.
    if (units < room) {
        if (void* smaller = std::realloc(block, sizeof(std::uint32_t) + len + sizeof(char16_t)))
            block = static_cast<unsigned char*>(smaller);
    }
    ++gLiveStrings;
    return reinterpret_cast<char16_t*>(block + sizeof(std::uint32_t));
}

void SysFreeString(BSTR text) {
    if (!text) return;
    void* block = reinterpret_cast<unsigned char*>(text) - sizeof(std::uint32_t);
    --gLiveStrings;
    // Giving back the pages of a search answer of hundreds of megabytes takes the system tens of
    // milliseconds: the window's thread does not wait for it. The pages go in slices first, which
    // leaves the address space open to the window's own faults meanwhile; unmapping the emptied
    // block then holds it only for a moment.
    const std::uint32_t bytes = SysStringByteLen(text);
    if (bytes >= kFreedAsideBytes) {
        try {
            std::thread([block, bytes] {
                const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
                const auto start = reinterpret_cast<std::uintptr_t>(block);
                // The first page stays: the allocator keeps its bookkeeping next to the block.
                std::uintptr_t from = (start / page + 1) * page;
                const std::uintptr_t end = (start + bytes) / page * page;
                constexpr std::uintptr_t kSlice = 4u << 20;
                for (; from + kSlice <= end; from += kSlice)
                    ::madvise(reinterpret_cast<void*>(from), kSlice, MADV_DONTNEED);
                std::free(block);
            }).detach();
            return;
        } catch (const std::system_error&) {
        }
    }
    std::free(block);
}

std::uint32_t SysStringByteLen(const char16_t* text) {
    if (!text) return 0;
    std::uint32_t len;
    std::memcpy(&len, reinterpret_cast<const unsigned char*>(text) - sizeof len, sizeof len);
    return len;
}

std::uint32_t SysStringLen(const char16_t* text) {
    return SysStringByteLen(text) / sizeof(char16_t);
}

std::size_t LiveSharedStrings() {
    return gLiveStrings.load();
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out(utf8.size(), u'\0');
    out.resize(ConvertUtf8(utf8, out.data()));
    return out;
}

std::size_t Utf8Size(std::u16string_view utf16) {
    const char16_t* in = utf16.data();
    const std::size_t n = utf16.size();
    std::size_t bytes = 0;
    std::size_t i = 0;
    while (i < n) {
        for (; i + 8 <= n && AsciiUnits(in + i) && AsciiUnits(in + i + 4); i += 8)
            bytes += 8;
        if (i >= n) break;
        const char16_t c = in[i++];
        if (c < 0x80)
            bytes += 1;
        else if (c < 0x800)
            bytes += 2;
        else if (HighSurrogate(c) && i < n && LowSurrogate(in[i]))
            bytes += 4, ++i;
        else
            bytes += 3; // an unpaired surrogate becomes U+FFFD, three bytes too
    }
    return bytes;
}

char* Utf16ToUtf8(std::u16string_view utf16, char* out) {
    const char16_t* in = utf16.data();
    const std::size_t n = utf16.size();
    std::size_t i = 0;
    while (i < n) {
        for (; i + 8 <= n && AsciiUnits(in + i) && AsciiUnits(in + i + 4); i += 8, out += 8)
            for (int k = 0; k < 8; ++k)
                out[k] = static_cast<char>(in[i + k]);
        if (i >= n) break;
        char32_t cp = in[i++];
        if (cp < 0x80) {
            *out++ = static_cast<char>(cp);
            continue;
        }
        if (HighSurrogate(cp) && i < n && LowSurrogate(in[i])) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i] - 0xDC00);
            ++i;
        } else if (HighSurrogate(cp) || LowSurrogate(cp)) {
            cp = kReplacement;
        }
        out = PutUtf8(out, cp);
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    // The exact size first: answers are large, and over-allocating three bytes a unit costs more
    // than a second pass over mostly ASCII text.
    std::string out(Utf8Size(utf16), '\0');
    Utf16ToUtf8(utf16, out.data());
    return out;
}

std::string BstrToUtf8(const char16_t* text) {
    if (!text) return {};
    return Utf16ToUtf8(std::u16string_view(text, SysStringLen(text)));
}

namespace detail {
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
    return DecodeUtf8(text, i);
}
} // namespace detail

} // namespace qm
