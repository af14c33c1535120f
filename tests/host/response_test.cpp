// Values written into an answer: markup and control characters escaped, foreign bytes replaced,
// and plain runs around them kept whole.
#include <gtest/gtest.h>

#include <string>

#include "host/store/response.h"

namespace {

TEST(AppendEscaped, EscapesMarkupAndControlsAndReplacesForeignBytes) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"", ""},
        {"plain 0123", "plain 0123"},
        {"&start", "&amp;start"},
        {"mid<dle>", "mid&lt;dle&gt;"},
        {"end\"", "end&quot;"},
        {"a\nb\rc\td", "a&#10;b&#13;c&#9;d"},
        {"x\x01y\x1f", "x y "},
        {"低收入&高", "低收入&amp;高"},
        {"ab\xff"
         "cd",
         "ab\xEF\xBF\xBD"
         "cd"},
        {"\xe4\xbd", "\xEF\xBF\xBD\xEF\xBF\xBD"}, // a cut-off sequence: each byte replaced
    };
    for (const Case& c : cases) {
        std::string out = "<";
        qm::host::AppendEscaped(out, c.in);
        EXPECT_EQ(out, std::string("<") + c.out) << c.in;
    }
}

// A search writes a text value in the pass that checks it: the same bytes as AppendEscaped where
// the text is clean, its characters counted (a reference or a Chinese character is one), and text
// that is not clean, or longer than its column, refused without being written whole.
TEST(AppendClean, WritesCleanTextAsEscapedAndCountsItsCharacters) {
    constexpr std::size_t kRefused = std::string_view::npos;
    constexpr std::size_t kAny = kRefused - 1;
    struct Case {
        const char* in;
        std::size_t max;
        std::size_t chars;
    };
    const Case cases[] = {
        {"", kAny, 0},
        {"plain 0123", kAny, 10},
        {"a&b<c>d\"e", 9, 9},
        {"a&b<c>d\"e", 8, kRefused},
        {"a\nb\rc\td", kAny, 7},
        {"低收入&高", 5, 5},
        {"低收入&高", 4, kRefused},
        {"\xF0\x9F\x98\x80x", 2, 2}, // four bytes, one character
        {"x\x01y", kAny, kRefused},
        {"\x7F", kAny, 1},
        {"ab\xff", kAny, kRefused},
        {"\xe4\xbd", kAny, kRefused},           // cut off
        {"\xC0\xAF", kAny, kRefused},           // overlong
        {"\xED\xA0\x80", kAny, kRefused},       // a surrogate
        {"ok\xF4\x90\x80\x80", kAny, kRefused}, // past U+10FFFF
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        std::string written = "<", escaped = "<";
        EXPECT_EQ(qm::host::AppendClean(written, c.in, c.max), c.chars);
        if (c.max == kAny) {
            EXPECT_EQ(qm::host::CleanLength(c.in), c.chars);
        }
        if (c.chars == kRefused) continue;
        EXPECT_NE(qm::host::CleanLength(c.in), kRefused);
        qm::host::AppendEscaped(escaped, c.in);
        EXPECT_EQ(written, escaped);
    }
    // A value far past its column stops being written at the limit.
    std::string written;
    EXPECT_EQ(qm::host::AppendClean(written, std::string(100000, 'x') + "&", 30), kRefused);
    EXPECT_LT(written.size(), 100u);
}

} // namespace
