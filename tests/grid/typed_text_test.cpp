// The rules a typed text meets before it is written: a length counted in characters, the range of
// an integer field, and the full-width forms an input method types.
#include <gtest/gtest.h>

#include "dataset/mem_table.h"
#include "grid/typed_text.h"

namespace qm {
namespace {

class TypedText : public ::testing::Test {
protected:
    void SetUp() override {
        Table.FieldDefs().Add("CODE", ftString, 4, false);
        Table.FieldDefs().Add("LOW", ftInteger, 0, false);
        Table.FieldDefs().Add("BIG", ftLargeint, 0, false);
        Table.CreateDataSet();
        Table.FieldByName("CODE")->SetDisplayLabel("代码");
        Table.FieldByName("LOW")->SetDisplayLabel("下限");
    }
    TMemTable Table;
};

TEST_F(TypedText, LengthCountsCharactersNotBytes) {
    const TField& code = *Table.FieldByName("CODE");
    struct Case {
        const char* Text;
        const char* Refusal;
    };
    for (const Case& c :
         {Case{"ABCD", ""}, Case{"收入代码", ""}, Case{"😀😀ab", ""}, Case{"ABCDE", "[代码] 最多 4 个字符！"},
          Case{"收入代码长", "[代码] 最多 4 个字符！"}})
        EXPECT_EQ(LengthRefusal(code, c.Text), c.Refusal) << c.Text;
    EXPECT_EQ(LengthRefusal(*Table.FieldByName("LOW"), "123456789"), "");
}

TEST_F(TypedText, IntegersBeyondTheFieldsRangeAreNamed) {
    struct Case {
        const char* Field;
        const char* Text;
        const char* Refusal;
    };
    const Case cases[] = {
        {"LOW", "2147483647", ""},
        {"LOW", " +002147483647 ", ""},
        {"LOW", "-2147483648", ""},
        {"LOW", "2147483648", "[下限] 超出范围（最大 2147483647）！"},
        {"LOW", "99999999999999999999999", "[下限] 超出范围（最大 2147483647）！"},
        {"LOW", "-2147483649", "[下限] 超出范围（最小 -2147483648）！"},
        {"LOW", "12a", ""}, // not a number at all: the type's own refusal says so
        {"LOW", "-", ""},
        {"BIG", "9223372036854775807", ""},
        {"BIG", "9223372036854775808", "[BIG] 超出范围（最大 9223372036854775807）！"},
        {"CODE", "99999999999", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RangeRefusal(*Table.FieldByName(c.Field), c.Text), c.Refusal) << c.Field << " " << c.Text;
}

// A NUL would cut the value where it stands without a word: every control character but tab and
// newline is refused, named by its code point.
TEST(ControlRefusal, NamesTheFirstControlCharacter) {
    using namespace std::string_literals;
    struct Case {
        std::string Text;
        const char* Code; // null: taken
    };
    const Case cases[] = {{"a\tb\nc", nullptr},
                          {"收入", nullptr},
                          {"ab\0cd"s, "U+0000"},
                          {"x\ry", "U+000D"},
                          {"\x7F", "U+007F"},
                          {"a\xC2\x85"
                           "b",
                           "U+0085"},
                          {"\xC2\xA0", nullptr}};
    for (const Case& c : cases) {
        const std::string why = ControlRefusal("名称", c.Text);
        if (!c.Code)
            EXPECT_EQ(why, "") << c.Text;
        else
            EXPECT_EQ(why, std::string("[名称] 的值含有控制字符（") + c.Code + "），只允许制表符和换行！");
    }
}

TEST(PlainNumberText, FullWidthDigitsSignsAndSpacesBecomeAscii) {
    struct Case {
        const char* Typed;
        const char* Plain;
    };
    for (const Case& c :
         {Case{"１００", "100"}, Case{"－５", "-5"}, Case{"＋１．５", "+1.5"}, Case{"　７", " 7"},
          Case{"12", "12"}, Case{"１a２", "1a2"}, Case{"ｚ", "ｚ"}, Case{"收入", "收入"}})
        EXPECT_EQ(PlainNumberText(c.Typed), c.Plain) << c.Typed;
}

} // namespace
} // namespace qm
