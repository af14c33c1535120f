#include <gtest/gtest.h>

#include "dataset/errors.h"
#include "protocol/field_list.h"

namespace qm {
namespace {

TEST(FieldList, DescriptionGivesTypeAndSize) {
    struct Case {
        const char* description;
        TFieldType type;
        int size;
    } cases[] = {
        {"ID:NUMBER:10:2", ftFloat, 0},
        {"ID:NUMBER:10:0", ftLargeint, 0},
        {"ID:NUMBER:10", ftLargeint, 0},
        {"ID:NUMBER", ftLargeint, 0},
        {"ID:integer::3", ftFloat, 0},
        {"ID:NUMERIC:5:0:", ftLargeint, 0},
        {"NAME:NVARCHAR2", ftString, 255},
        {"NAME:CLOB", ftString, 1000},
        {"NAME:CHAR:0", ftString, 255},
        {"NAME:VARCHAR2:30", ftString, 30},
        {"NAME:varchar2:4:", ftString, 4},
        {"NAME", ftString, 1000},
        {"D:DATE:7", ftDate, 0},
        {"D:DATETIME", ftDate, 0},
        {"D:DATE2", ftString, 1000},
        {"NAME:CHAR:8:x:y:z", ftString, 8}, // parts after the fourth are ignored
        {"N:NUMBER:7:", ftLargeint, 0},
        {"D:DATE::", ftDate, 0},
    };
    for (const auto& c : cases) {
        const TFieldDef def = ParseFieldDescription(c.description);
        EXPECT_EQ(def.DataType, c.type) << c.description;
        EXPECT_EQ(def.Size, c.size) << c.description;
        EXPECT_FALSE(def.Required);
    }
    EXPECT_EQ(ParseFieldDescription("MEMAC_ID:NUMBER:22:0").Name, "MEMAC_ID");
}

TEST(FieldList, BadDescriptionRaisesConversionError) {
    for (const char* description :
         {":NUMBER", ":", "NAME:VARCHAR2:x", "NAME:VARCHAR2:-1", "NAME:CHAR:1048577", "ID:NUMBER:10:x",
          "ID:NUMBER:10:-2", "ID:NUMBER:10:99999999999", "N:X:1.5",
          // a number's or date's size is read as strictly as a text's
          "N:NUMBER:abc:0", "N:INTEGER:-1", "N:NUMERIC:1.5:2", "D:DATE:x", "D:DATETIME:99999999999"})
        EXPECT_THROW(ParseFieldDescription(description), EConvertError) << description;
    EXPECT_EQ(ParseFieldDescription("NAME:CHAR:1048576").Size, 1048576);
}

TEST(FieldList, ListKeepsOrderSkipsEmptyDescriptions) {
    TFieldDefs defs;
    ParseFieldList(" A:NUMBER:10:2  B:NUMBER C:VARCHAR2:3 ", defs);
    ASSERT_EQ(defs.Count(), 3);
    EXPECT_EQ(defs[0].Name, "A");
    EXPECT_EQ(defs[0].DataType, ftFloat);
    EXPECT_EQ(defs[1].DataType, ftLargeint); // missing parts are empty, not taken from A
    EXPECT_EQ(defs[2].Size, 3);

    TFieldDefs none;
    ParseFieldList("", none);
    EXPECT_EQ(none.Count(), 0);
}

} // namespace
} // namespace qm
