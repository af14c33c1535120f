// Text in the system code page (UTF-8): counting, widths, trimming and ASCII case rules.
#include "platform/internal.h"

namespace qm {
namespace {

// East Asian wide and full-width ranges: these stood for two bytes in the double-byte code page.
bool IsWide(char32_t cp) {
    return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0x303E) ||
           (cp >= 0x3041 && cp <= 0x33FF) || (cp >= 0x3400 && cp <= 0x4DBF) ||
           (cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0xA000 && cp <= 0xA4CF) ||
           (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
           (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
           (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x20000 && cp <= 0x3FFFD);
}

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::size_t CharCount(std::string_view utf8) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < utf8.size(); ++n)
        detail::NextCodePoint(utf8, i);
    return n;
}

std::size_t ByteWidth(std::string_view utf8) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < utf8.size();)
        n += IsWide(detail::NextCodePoint(utf8, i)) ? 2 : 1;
    return n;
}

// Spaces and control characters go, as the classic trim does.
std::string Trim(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return std::string(text.substr(b, e - b));
}

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = AsciiUpper(c);
    return out;
}

std::string LowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = AsciiLower(c);
    return out;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

std::string Excerpt(std::string_view utf8, std::size_t shown) {
    std::size_t cut = 0, n = 0;
    for (std::size_t i = 0; i < utf8.size(); ++n) {
        if (n == shown) cut = i;
        detail::NextCodePoint(utf8, i);
    }
    if (n <= shown) return std::string(utf8);
    return std::string(utf8.substr(0, cut)) + "…（共 " + std::to_string(n) + " 个字符）";
}

bool IsControlChar(char32_t cp) {
    return (cp < 0x20 && cp != '\t' && cp != '\n') || (cp >= 0x7F && cp <= 0x9F);
}

std::optional<char32_t> FirstControlChar(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        char32_t cp = static_cast<unsigned char>(utf8[i]);
        // C1 controls are the only ones outside ASCII: U+0080..U+009F, encoded C2 80..C2 9F.
        if (cp == 0xC2 && i + 1 < utf8.size())
            cp = static_cast<unsigned char>(utf8[i + 1]);
        else if (cp >= 0x80)
            continue;
        if (IsControlChar(cp)) return cp;
    }
    return std::nullopt;
}

std::string CodePointName(char32_t cp) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out = "U+";
    for (int shift = cp > 0xFFFF ? 20 : 12; shift >= 0; shift -= 4)
        out += digits[(cp >> shift) & 0xF];
    return out;
}

} // namespace qm
