#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/shared_text.h"

#include <string>
#include <vector>

namespace qm {
namespace {

TEST(SharedString, AllocationKeepsByteLengthAndTerminator) {
    struct Case {
        std::u16string text;
    } cases[] = {{u""},
                 {u"a"},
                 {u"收入等级"},
                 {std::u16string(u"a\0b", 3)},
                 {std::u16string(1000, u'x')},
                 {std::u16string(20u << 20, u'x')}}; // freed on a thread of its own
    for (const auto& c : cases) {
        const std::size_t before = LiveSharedStrings();
        BSTR s = SysAllocString(c.text);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(SysStringByteLen(s), c.text.size() * 2);
        EXPECT_EQ(SysStringLen(s), c.text.size());
        EXPECT_EQ(s[c.text.size()], u'\0');
        EXPECT_EQ(std::u16string(s, SysStringLen(s)), c.text);
        EXPECT_EQ(LiveSharedStrings(), before + 1);
        SysFreeString(s);
        EXPECT_EQ(LiveSharedStrings(), before);
    }
}

TEST(SharedString, NullIsTheEmptyText) {
    const std::size_t before = LiveSharedStrings();
    SysFreeString(nullptr);
    EXPECT_EQ(LiveSharedStrings(), before);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    EXPECT_EQ(BstrToUtf8(nullptr), "");
}

TEST(SharedString, Utf8RoundTrip) {
    BSTR s = SysAllocStringUtf8("保存成功！ok");
    EXPECT_EQ(SysStringLen(s), 7u);
    EXPECT_EQ(BstrToUtf8(s), "保存成功！ok");
    SysFreeString(s);
}

// A long text converted while it is let go of reads exactly as one converted whole, whichever
// byte of a character, a pair or an invalid sequence falls on the edge of a piece.
TEST(SharedString, TakenTextConvertsAsAWhole) {
    const std::string pattern = "收a\xF0\x9F\x98\x80\xFF\xE6\x94"
                                "b<\"&";
    std::string body;
    while (body.size() < (3u << 20))
        body += pattern;
    for (const std::size_t shift : {0, 1, 2, 3, 5, 7}) {
        const std::string text = std::string(shift, 'x') + body;
        BSTR whole = SysAllocStringUtf8(text);
        const std::size_t before = LiveSharedStrings();
        std::string source = text;
        BSTR taken = SysAllocStringUtf8Taken(std::move(source));
        EXPECT_TRUE(source.empty());
        EXPECT_EQ(LiveSharedStrings(), before + 1);
        ASSERT_EQ(SysStringLen(taken), SysStringLen(whole)) << shift;
        EXPECT_EQ(std::u16string_view(taken, SysStringLen(taken)),
                  std::u16string_view(whole, SysStringLen(whole)))
            << shift;
        EXPECT_EQ(taken[SysStringLen(taken)], u'\0');
        SysFreeString(taken);
        SysFreeString(whole);
    }
}

// Text built from pieces of whole characters, with an insertion before what followed, reads as
// the same text converted whole; the reserved room beyond it is not part of it.
TEST(SharedString, BuiltFromPiecesReadsAsOneConversion) {
    const std::string head = "<i>注", tail = "</i>";
    std::vector<std::string> pieces = {"a", "收\xF0\x9F\x98\x80", "\xFF<&>", ""};
    std::string body(3u << 20, 'x');
    body[100] = '\xE6', body[101] = '\x94', body[102] = '\xB6';
    pieces.push_back(body);
    for (const bool reserved : {false, true}) {
        SCOPED_TRACE(reserved);
        const std::size_t before = LiveSharedStrings();
        SharedTextBuilder built;
        if (reserved) built.Reserve(8u << 20);
        built.Append(head);
        const std::size_t mark = built.Size();
        std::string whole = head;
        for (const std::string& piece : pieces) {
            built.Append(piece);
            whole += piece;
        }
        built.Append(tail);
        whole += tail;
        EXPECT_EQ(built.Insert(mark, "意：😀"), 4u);
        whole.insert(head.size(), "意：😀");
        BSTR text = built.Take();
        EXPECT_EQ(LiveSharedStrings(), before + 1);
        EXPECT_EQ(built.Size(), 0u);
        const std::u16string expected = Utf8ToUtf16(whole);
        ASSERT_EQ(SysStringLen(text), expected.size());
        EXPECT_TRUE(std::u16string_view(text, SysStringLen(text)) == expected);
        EXPECT_EQ(text[SysStringLen(text)], u'\0');
        SysFreeString(text);
    }
    SharedTextBuilder empty;
    BSTR none = empty.Take();
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(SysStringLen(none), 0u);
    EXPECT_EQ(none[0], u'\0');
    SysFreeString(none);
    SharedTextBuilder cleared;
    cleared.Append("gone");
    cleared.Clear();
    cleared.Append("kept");
    BSTR kept = cleared.Take();
    EXPECT_TRUE(std::u16string_view(kept, SysStringLen(kept)) == u"kept");
    SysFreeString(kept);
}

TEST(Utf, ConversionTable) {
    struct Case {
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"", u""},
        {"abc", u"abc"},
        {"提示：", u"提示："},
        {"\xF0\x9F\x98\x80", u"\U0001F600"}, // outside the BMP: a surrogate pair
        {"\xC3\xA9", u"\u00E9"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
        EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8) << c.utf8;
    }
}

TEST(Utf, InvalidBytesBecomeReplacementCharacters) {
    struct Case {
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"a\xFF"
         "b",
         u"a\uFFFDb"},
        {"\xC0\xAF", u"\uFFFD\uFFFD"},           // overlong
        {"\xE6\x94", u"\uFFFD\uFFFD"},           // truncated at the end
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"}, // encoded surrogate
        {"\x80x", u"\uFFFDx"},                   // stray continuation byte
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

// ASCII is taken eight units at a time: a unit of any other kind at every place in and around such
// a block, and at the very end, converts as it does alone.
TEST(Utf, NonAsciiAnywhereAroundAsciiBlocks) {
    struct Case {
        const char* what;
        std::u16string utf16;
        std::string utf8;
        bool roundTrip; // false where the UTF-16 is invalid and becomes U+FFFD
    } cases[] = {
        {"two bytes", u"\u00E9", "\xC3\xA9", true},
        {"three bytes", u"收", "收", true},
        {"pair", u"\U0001F600", "\xF0\x9F\x98\x80", true},
        {"DEL is ASCII", u"\x7F", "\x7F", true},
        {"first non-ASCII", u"\x80", "\xC2\x80", true},
        {"lone high", std::u16string(1, char16_t(0xD800)), "\xEF\xBF\xBD", false},
        {"lone low", std::u16string(1, char16_t(0xDC00)), "\xEF\xBF\xBD", false},
        {"low before high", std::u16string{char16_t(0xDC00), char16_t(0xD800)}, "\xEF\xBF\xBD\xEF\xBF\xBD",
         false},
    };
    for (const Case& c : cases) {
        for (const std::size_t before : {0, 1, 7, 8, 9, 15, 16, 17}) {
            for (const std::size_t after : {0, 1, 8, 9}) {
                const std::u16string utf16 =
                    std::u16string(before, u'a') + c.utf16 + std::u16string(after, u'z');
                const std::string utf8 = std::string(before, 'a') + c.utf8 + std::string(after, 'z');
                const std::string where = std::string(c.what) + " after " + std::to_string(before) +
                                          ", before " + std::to_string(after);
                EXPECT_EQ(Utf16ToUtf8(utf16), utf8) << where;
                EXPECT_EQ(Utf8Size(utf16), utf8.size()) << where;
                if (c.roundTrip) {
                    EXPECT_EQ(Utf8ToUtf16(utf8), utf16) << where;
                }
            }
        }
    }
    // A malformed byte inside a block of eight stops the block where it stands.
    for (const std::size_t at : {0, 3, 7, 8, 12}) {
        std::string bytes(16, 'q');
        bytes[at] = '\xFF';
        std::u16string wide(16, u'q');
        wide[at] = u'\uFFFD';
        EXPECT_EQ(Utf8ToUtf16(bytes), wide) << at;
    }
}

} // namespace
} // namespace qm
