#include <gtest/gtest.h>

#include "platform/platform.h"

namespace qm {
namespace {

TEST(Text, CountsAndWidths) {
    struct Case {
        const char* text;
        std::size_t chars, width;
    } cases[] = {{"", 0, 0}, {"abc", 3, 3}, {"收入", 2, 4}, {"A级", 2, 3}, {"提示：", 3, 6}, {"\xFF", 1, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(CharCount(c.text), c.chars) << c.text;
        EXPECT_EQ(ByteWidth(c.text), c.width) << c.text;
    }
}

TEST(Text, TrimAndCase) {
    EXPECT_EQ(Trim("  a b\t\r\n"), "a b");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim(" 收入 "), "收入");
    EXPECT_EQ(UpperCase("tb_memac收"), "TB_MEMAC收");
    EXPECT_EQ(LowerCase("TB_Memac"), "tb_memac");
    EXPECT_TRUE(SameText("Command1", "cOMMAND1"));
    EXPECT_FALSE(SameText("Command1", "Command10"));
}

TEST(Text, ExcerptKeepsShortValuesAndCutsLongOnesAtACharacter) {
    const std::string thirty(30, 'x');
    std::string han; // 31 three-byte characters: a byte cut would split one
    for (int i = 0; i < 31; ++i)
        han += "级";
    struct Case {
        std::string text, excerpt;
    } cases[] = {
        {"", ""},
        {thirty, thirty},
        {thirty + "y", thirty + "…（共 31 个字符）"},
        {han, han.substr(0, 90) + "…（共 31 个字符）"},
        {std::string(100000, 'a'), std::string(30, 'a') + "…（共 100000 个字符）"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Excerpt(c.text), c.excerpt) << c.text.size();
}

} // namespace
} // namespace qm
