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

} // namespace
