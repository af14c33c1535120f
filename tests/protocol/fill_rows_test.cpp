#include <gtest/gtest.h>

#include "dataset/mem_table.h"
#include "memac_fixture.h"
#include "protocol/protocol.h"

namespace qm {
namespace {

// Worked-example table: 1 unchanged, 2 modified, 3 inserted; current row 2.
struct Source {
    TMemTable main, deleted;
    Source() {
        test::MakeWorkedExample(main, deleted);
        main.FieldByName("MEMAC002")->SetIsJoin(true);
        main.FieldByName("FLAG")->SetNotNull(true);
        main.QmTableName = "tb_memac";
        main.FKName = "tb_x:x_id";
        main.SetRecNo(2);
    }
};

TEST(FillRows, CopyModeChoosesRows) {
    struct Case {
        std::uint8_t mode;
        bool child;
        std::vector<int> sourceRows;
    } cases[] = {
        {cmAllRows, false, {1, 2, 3}},
        {cmChangedRows, false, {2, 3}},
        {cmCurrentRow, false, {2}},
        {cmCurrentRow, true, {1, 2, 3}}, // a child takes every row
    };
    for (const auto& c : cases) {
        Source src;
        TQmTable parent;
        TQmTable& table = c.child ? parent.Child(parent.AddChild()) : parent;
        table.CopyMode = c.mode;
        FillRows(table, src.main);
        TMemTable& rows = table.Rows();
        ASSERT_EQ(rows.RecordCount(), static_cast<int>(c.sourceRows.size())) << int(c.mode);
        EXPECT_EQ(rows.RecNo(), 1);
        for (int expectedNo : c.sourceRows) {
            EXPECT_EQ(rows.SourceRowNo(), expectedNo);
            src.main.SetRecNo(expectedNo);
            EXPECT_EQ(rows.UpdateStatus(), src.main.UpdateStatus());
            EXPECT_EQ(rows.FieldByName("MEMAC001")->AsString(), src.main.FieldByName("MEMAC001")->AsString());
            rows.Next();
        }
    }
}

TEST(FillRows, CopiesNamesUpperCaseAndFlagsByPosition) {
    Source src;
    TQmTable table;
    FillRows(table, src.main);
    TMemTable& rows = table.Rows();
    EXPECT_EQ(rows.QmTableName, "TB_MEMAC");
    EXPECT_EQ(rows.FKName, "TB_X:X_ID");
    EXPECT_EQ(rows.PKName, "MEMAC_ID");
    EXPECT_TRUE(rows.CachedUpdates());
    EXPECT_TRUE(rows.FieldByName("MEMAC_ID")->IsKey());
    EXPECT_TRUE(rows.FieldByName("MEMAC002")->IsJoin());
    EXPECT_TRUE(rows.FieldByName("FLAG")->NotNull());
    EXPECT_FALSE(rows.FieldByName("MEMAC001")->IsKey());
}

TEST(FillRows, AllRowsLeavesSourcePastItsEndAndPostsPendingEdit) {
    Source src;
    src.main.SetRecNo(1);
    src.main.Edit();
    src.main.FieldByName("MEMAC001")->SetAsString("09");
    TQmTable table;
    table.CopyMode = cmAllRows;
    FillRows(table, src.main);
    EXPECT_TRUE(src.main.Eof());
    EXPECT_EQ(src.main.State(), dsBrowse);
    table.Rows().First();
    EXPECT_EQ(table.Rows().FieldByName("MEMAC001")->AsString(), "09");
    EXPECT_EQ(table.Rows().UpdateStatus(), usModified);
}

TEST(FillRows, CurrentRowPastEndCopiesNothing) {
    Source src;
    src.main.Last();
    src.main.Next();
    ASSERT_TRUE(src.main.Eof());
    TQmTable table;
    FillRows(table, src.main);
    EXPECT_TRUE(table.Rows().Active());
    EXPECT_EQ(table.Rows().RecordCount(), 0);
}

TEST(FillRows, FillDeletedTakesEveryRowWhateverTheMode) {
    Source src;
    test::AppendRow(src.deleted, {"13"});
    TQmTable table;
    table.CopyMode = cmCurrentRow;
    FillDeleted(table, src.deleted);
    EXPECT_EQ(table.Deleted().RecordCount(), 2);
    EXPECT_EQ(table.Deleted().PKName, "MEMAC_ID");
}

TEST(FillRows, ClosedSourceIsReopenedAndClosedAgain) {
    TMemTable closed;
    closed.FieldDefs().Add("A", ftInteger);
    TQmTable table;
    table.CopyMode = cmAllRows;
    FillRows(table, closed);
    EXPECT_FALSE(closed.Active());
    EXPECT_EQ(table.Rows().FieldCount(), 1);
    EXPECT_EQ(table.Rows().RecordCount(), 0);
}

TEST(FillRows, CopyingATableOntoItselfCopiesNothing) {
    TQmTable table;
    table.Rows().FieldDefs().Add("A", ftInteger);
    table.Rows().CreateDataSet();
    test::AppendRow(table.Rows(), {"1"});
    table.CopyMode = cmAllRows;
    FillRows(table, table.Rows());
    EXPECT_EQ(table.Rows().RecordCount(), 1);
}

} // namespace
} // namespace qm
