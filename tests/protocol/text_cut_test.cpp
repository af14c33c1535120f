#include <gtest/gtest.h>

#include "dataset/mem_table.h"
#include "protocol/protocol.h"

namespace qm {
namespace {

TEST(TextCut, CountChar) {
    EXPECT_EQ(CountChar("", ';'), 0u);
    EXPECT_EQ(CountChar("a;b;;", ';'), 3u);
}

TEST(TextCut, NthField) {
    struct Case {
        const char* text;
        int n;
        const char* expected;
    } cases[] = {
        {"a:b:c:", 1, "a"}, {"a:b:c:", 3, "c"}, {"a:b:c:", 4, ""}, {"a:b:c", 3, "c"}, // to the end
        {"abc", 1, ""},                                                               // the whole text
        {"abc:", 1, "abc"}, {":x:", 1, ""},     {":x:", 2, "x"},   {"a::b:", 2, ""},
        {"a:b:", 0, ""},    {"a:b:", 9, ""},    {"", 1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NthField(c.text, ':', c.n), c.expected) << c.text << " #" << c.n;
}

TEST(TextCut, ForeignKeyFieldByParentName) {
    struct Case {
        const char* fkList;
        const char* parent;
        const char* expected;
    } cases[] = {
        {"TB_A:A_ID;TB_B:B_ID", "tb_b", "B_ID"},
        {"TB_A:A_ID;TB_B:B_ID", "TB_A", "A_ID"},
        {"TB_A:A_ID;TB_B:B_ID", "TB_C", ""},
        {"TB_A:A_ID;TB_B:B_ID;", "TB_B", "B_ID"},
        {"TB_A:A:X", "TB_A", "A:X"}, // the part after the first colon
        {"TB_A", "TB_A", ""},
        {"", "TB_A", ""},
    };
    for (const auto& c : cases) {
        TQmTable table;
        table.Rows().FKName = c.fkList;
        EXPECT_EQ(ForeignKeyField(table, c.parent), c.expected) << c.fkList << " / " << c.parent;
    }
}

} // namespace
} // namespace qm
