#include <gtest/gtest.h>

#include "dataset/mem_table.h"
#include "protocol/protocol.h"

namespace qm {
namespace {

TEST(QmParam, SettersStoreTextAndType) {
    TQmParam p;
    EXPECT_EQ(p.ParamType, ptNone);
    p.SetInteger(-12);
    EXPECT_EQ(p.Value, "-12");
    EXPECT_EQ(p.ParamType, ptInteger);
    p.SetFloat(0.5);
    EXPECT_EQ(p.Value, "0.5");
    EXPECT_EQ(p.ParamType, ptDouble);
    p.SetFloat(1.0 / 3.0);
    EXPECT_EQ(p.Value, "0.333333333333333"); // 15 significant digits
    p.SetString("a&b");
    EXPECT_EQ(p.Value, "a&b");
    EXPECT_EQ(p.ParamType, ptString);
}

TEST(QmParam, AsIntegerReadsDecimalTextOnly) {
    struct Case {
        const char* value;
        std::int32_t expected;
    } cases[] = {{"42", 42}, {"-7", -7}, {"", 0}, {"12abc", 0}, {"1.5", 0}, {"99999999999", 0}};
    for (const auto& c : cases) {
        TQmParam p;
        p.Value = c.value;
        EXPECT_EQ(p.AsInteger(), c.expected) << c.value;
    }
}

TEST(QmProtocol, FindKeyTakesLastMatchIgnoringCase) {
    TQmProtocol protocol;
    EXPECT_EQ(protocol.FindKey("TB_MEMAC", 3), 0);
    auto add = [&](const char* table, int rn, int id) {
        TQmRowId& key = protocol.RowId(protocol.AddRowId());
        key.TableName = table;
        key.RowNo = rn;
        key.Id = id;
    };
    add("TB_MEMAC", 3, 13);
    add("TB_OTHER", 3, 99);
    add("TB_MEMAC", 3, 14);
    EXPECT_EQ(protocol.FindKey("tb_memac", 3), 14);
    EXPECT_EQ(protocol.FindKey("TB_MEMAC", 4), 0);
    std::int32_t id = -1;
    EXPECT_FALSE(protocol.FindKey("TB_NONE", 3, id));
    EXPECT_EQ(id, -1);
    add("TB_ZERO", 1, 0);
    EXPECT_TRUE(protocol.FindKey("tb_zero", 1, id));
    EXPECT_EQ(id, 0);
}

TEST(QmProtocol, AddTableCopiesModesAtThatMoment) {
    TQmProtocol protocol;
    EXPECT_EQ(protocol.CopyMode, cmCurrentRow);
    protocol.DeleteMode = true;
    protocol.SetCopyMode(cmAllRows);
    TQmTable& first = protocol.Table(protocol.AddTable());
    EXPECT_TRUE(first.DeleteMode);
    EXPECT_EQ(first.CopyMode, cmAllRows);
    protocol.DeleteMode = false; // does not reach tables already added
    EXPECT_TRUE(first.DeleteMode);
    protocol.SetCopyMode(cmChangedRows); // does
    EXPECT_EQ(first.CopyMode, cmChangedRows);
}

TEST(QmProtocol, SetCopyModeToCurrentValueTouchesNoTable) {
    TQmProtocol protocol;
    TQmTable& table = protocol.Table(protocol.AddTable());
    table.CopyMode = cmAllRows;
    protocol.SetCopyMode(cmCurrentRow);
    EXPECT_EQ(table.CopyMode, cmAllRows);
}

TEST(QmProtocol, ClearKeepsStatusKeysAndModes) {
    TQmProtocol protocol;
    ASSERT_TRUE(protocol.ReadXml("<quelmar><status><code>5</code><info>no</info></status>"
                                 "<rs typ=\"recordset\"><r rn=\"1\" id=\"2\" tbname=\"T\"/></rs>"
                                 "<rs typ=\"string\">x</rs></quelmar>"));
    protocol.DeleteMode = true;
    protocol.AddVariable();
    protocol.Clear();
    EXPECT_EQ(protocol.ParamCount(), 0);
    EXPECT_EQ(protocol.TableCount(), 0);
    EXPECT_EQ(protocol.VariableCount(), 0);
    EXPECT_EQ(protocol.StatusCode, 5);
    EXPECT_EQ(protocol.StatusInfo, "no");
    EXPECT_EQ(protocol.RowIdCount(), 1);
    EXPECT_TRUE(protocol.DeleteMode);
}

TEST(QmProtocol, IndexOutsideAListRaisesListError) {
    TQmProtocol protocol;
    protocol.AddParam();
    EXPECT_NO_THROW(protocol.Param(0));
    EXPECT_THROW(protocol.Param(1), EListError);
    EXPECT_THROW(protocol.Param(-1), EListError);
    EXPECT_THROW(protocol.Table(0), EListError);
    EXPECT_THROW(protocol.RowId(0), EListError);
    EXPECT_THROW(protocol.Variable(0), EListError);
}

TEST(QmTable, NewTableIsEmptyAndInactive) {
    TQmTable table;
    EXPECT_FALSE(table.Rows().Active());
    EXPECT_FALSE(table.Deleted().Active());
    EXPECT_EQ(table.ChildCount(), 0);
    EXPECT_FALSE(table.IsChild);
    EXPECT_EQ(table.Parent, nullptr);
    EXPECT_EQ(table.CopyMode, cmCurrentRow);
}

TEST(QmTable, AddChildAttachesWithParentAndModes) {
    TQmTable table;
    table.DeleteMode = true;
    table.CopyMode = cmChangedRows;
    TQmTable& child = table.Child(table.AddChild());
    EXPECT_TRUE(child.IsChild);
    EXPECT_EQ(child.Parent, &table);
    EXPECT_TRUE(child.DeleteMode);
    EXPECT_EQ(child.CopyMode, cmChangedRows);
    table.ClearChildren();
    EXPECT_EQ(table.ChildCount(), 0);
    EXPECT_THROW(table.Child(0), EListError);
}

} // namespace
} // namespace qm
