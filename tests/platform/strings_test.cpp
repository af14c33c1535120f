#include <gtest/gtest.h>

#include "platform/platform.h"

namespace qm {
namespace {

TEST(SharedString, AllocationKeepsByteLengthAndTerminator) {
    struct Case {
        std::u16string text;
    } cases[] = {{u""}, {u"a"}, {u"收入等级"}, {std::u16string(u"a\0b", 3)}, {std::u16string(1000, u'x')}};
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

TEST(Utf, ConversionTable) {
    struct Case {
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"", u""},
        {"abc", u"abc"},
        {"提示：", u"提示："},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},  // outside the BMP: a surrogate pair
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
        {"a\xFF" "b", u"a\uFFFDb"},
        {"\xC0\xAF", u"\uFFFD\uFFFD"},           // overlong
        {"\xE6\x94", u"\uFFFD\uFFFD"},           // truncated at the end
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
        {"\x80x", u"\uFFFDx"},                   // stray continuation byte
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace qm
