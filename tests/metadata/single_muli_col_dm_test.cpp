// The single-table data module: its components and the copy of deleted rows into the delta table.
#include <gtest/gtest.h>

#include "dataset/data_source.h"
#include "dataset/mem_table.h"
#include "metadata/qm_tb_field.h"
#include "metadata/single_muli_col_dm.h"

namespace qm {
namespace {

// A data module bound by hand to three fields: ID, NAME, AMOUNT.
struct Tracked {
    // Both tables get the same definitions; the delta table is created first, as the binding does.
    void Bind(TFieldType deltaNameType = ftString) {
        for (TMemTable* t : {Dm.mtblMain, Dm.mtblMainDelta}) {
            t->FieldDefs().Add("ID", ftInteger);
            t->FieldDefs().Add("NAME", t == Dm.mtblMain ? ftString : deltaNameType, 10);
            t->FieldDefs().Add("AMOUNT", ftFloat);
        }
        Dm.mtblMainDelta->CreateDataSet();
        Dm.mtblMain->CreateDataSet();
    }
    void AddRow(int id, const char* name, bool merge = true) {
        TMemTable* t = Dm.mtblMain;
        t->Append();
        t->FieldByName("ID")->SetAsInteger(id);
        t->FieldByName("NAME")->SetAsString(name);
        t->Post();
        if (merge) t->MergeChangeLog();
    }
    void GoTo(int id) {
        for (Dm.mtblMain->First(); !Dm.mtblMain->Eof(); Dm.mtblMain->Next())
            if (Dm.mtblMain->FieldByName("ID")->AsInteger() == id) return;
        FAIL() << "no row " << id;
    }
    std::vector<std::string> DeltaRow() const {
        std::vector<std::string> row;
        for (int i = 0; i < Dm.mtblMainDelta->FieldCount(); ++i)
            row.push_back(Dm.mtblMainDelta->Fields(i)->IsNull() ? "<null>"
                                                                : Dm.mtblMainDelta->Fields(i)->AsString());
        return row;
    }

    TSingleMuliColDm Dm;
};

class DeltaTracking : public ::testing::Test, protected Tracked {};

TEST_F(DeltaTracking, ComponentsAreOwnedNamedAndWired) {
    ASSERT_EQ(Dm.ComponentCount(), 4);
    EXPECT_EQ(Dm.Components(0), Dm.tbfldMain);
    EXPECT_EQ(Dm.Components(1), Dm.mtblMain);
    EXPECT_EQ(Dm.Components(2), Dm.dsMain);
    EXPECT_EQ(Dm.Components(3), Dm.mtblMainDelta);
    EXPECT_EQ(Dm.FindComponent("tbfldMain"), Dm.tbfldMain);
    EXPECT_EQ(Dm.FindComponent("mtblMain"), Dm.mtblMain);
    EXPECT_EQ(Dm.FindComponent("dsMain"), Dm.dsMain);
    EXPECT_EQ(Dm.FindComponent("mtblMainDelta"), Dm.mtblMainDelta);
    EXPECT_EQ(Dm.dsMain->DataSet(), Dm.mtblMain);
    EXPECT_TRUE(Dm.mtblMain->CachedUpdates());
    EXPECT_FALSE(Dm.mtblMainDelta->CachedUpdates());
    EXPECT_EQ(Dm.tbfldMain->TbFields().Count(), 0);
    EXPECT_FALSE(Dm.tbfldMain->ActiveXml2Fields());

    // The stored skeleton document imports to nothing.
    ASSERT_FALSE(Dm.tbfldMain->XML().empty());
    EXPECT_TRUE(Dm.tbfldMain->Xml2Fields());
    EXPECT_EQ(Dm.tbfldMain->TbFields().Count(), 0);
    EXPECT_EQ(Dm.tbfldMain->TableName, "");
}

TEST_F(DeltaTracking, DeletedRowsAreCopiedUnlessNeverSaved) {
    struct Case {
        const char* name;
        bool merged;                            // the row came from the store
        const char* edit;                       // a posted edit of NAME before the delete, or null
        std::vector<std::string> expectedDelta; // empty: nothing tracked
    };
    const Case cases[] = {
        {"loaded", true, nullptr, {"2", "b", "<null>"}},
        {"loaded and edited", true, "edited", {"2", "edited", "<null>"}},
        {"appended, never saved", false, nullptr, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tracked m;
        m.Bind();
        m.AddRow(1, "a");
        m.AddRow(2, "b", c.merged);
        m.GoTo(2);
        if (c.edit) {
            m.Dm.mtblMain->Edit();
            m.Dm.mtblMain->FieldByName("NAME")->SetAsString(c.edit);
            m.Dm.mtblMain->Post();
        }
        m.Dm.mtblMain->Delete();
        EXPECT_EQ(m.Dm.mtblMain->RecordCount(), 1);
        if (c.expectedDelta.empty()) {
            EXPECT_EQ(m.Dm.mtblMainDelta->RecordCount(), 0);
        } else {
            ASSERT_EQ(m.Dm.mtblMainDelta->RecordCount(), 1);
            EXPECT_EQ(m.DeltaRow(), c.expectedDelta);
            EXPECT_EQ(m.Dm.mtblMainDelta->State(), dsBrowse);
        }
    }
}

TEST_F(DeltaTracking, TwoDeletesLeaveTwoDeltaRowsUntilEmptied) {
    Bind();
    AddRow(1, "a");
    AddRow(2, "b");
    AddRow(3, "c");
    GoTo(1);
    Dm.mtblMain->Delete();
    GoTo(3);
    Dm.mtblMain->Delete();
    ASSERT_EQ(Dm.mtblMainDelta->RecordCount(), 2);
    Dm.mtblMainDelta->First();
    EXPECT_EQ(DeltaRow()[0], "1");
    Dm.mtblMainDelta->Next();
    EXPECT_EQ(DeltaRow()[0], "3");
    // An accepted save merges the main table and empties the delta table.
    Dm.mtblMain->MergeChangeLog();
    Dm.mtblMainDelta->EmptyTable();
    EXPECT_EQ(Dm.mtblMainDelta->RecordCount(), 0);
    EXPECT_EQ(Dm.mtblMain->RecordCount(), 1);
}

TEST_F(DeltaTracking, RowBeingInsertedIsOnlyCancelled) {
    Bind();
    AddRow(1, "a");
    Dm.mtblMain->Append();
    Dm.mtblMain->Delete();
    EXPECT_EQ(Dm.mtblMain->RecordCount(), 1);
    EXPECT_EQ(Dm.mtblMainDelta->RecordCount(), 0);
}

TEST_F(DeltaTracking, DeltaWithoutFieldsRecordsNothing) {
    Dm.mtblMain->FieldDefs().Add("ID", ftInteger);
    Dm.mtblMain->CreateDataSet();
    Dm.mtblMain->Append();
    Dm.mtblMain->FieldByName("ID")->SetAsInteger(1);
    Dm.mtblMain->Post();
    Dm.mtblMain->MergeChangeLog();
    Dm.mtblMain->Delete();
    EXPECT_TRUE(Dm.mtblMain->IsEmpty());
    EXPECT_FALSE(Dm.mtblMainDelta->Active());
}

TEST_F(DeltaTracking, RefusedValueStopsTheDeleteAndLeavesNoHalfRow) {
    Bind(ftInteger); // the delta's NAME cannot hold text
    AddRow(1, "abc");
    EXPECT_ANY_THROW(Dm.mtblMain->Delete());
    EXPECT_EQ(Dm.mtblMain->RecordCount(), 1);
    EXPECT_EQ(Dm.mtblMainDelta->State(), dsBrowse);
    EXPECT_EQ(Dm.mtblMainDelta->RecordCount(), 0);
}

TEST_F(DeltaTracking, OpeningMainTableOpensClosedDeltaOnly) {
    Bind();
    AddRow(1, "a");
    Dm.mtblMain->Delete();
    ASSERT_EQ(Dm.mtblMainDelta->RecordCount(), 1);
    Dm.mtblMain->Close();
    Dm.mtblMain->Open();
    EXPECT_EQ(Dm.mtblMainDelta->RecordCount(), 1); // open delta untouched

    Dm.mtblMainDelta->Close();
    Dm.mtblMain->Close();
    Dm.mtblMain->Open();
    EXPECT_TRUE(Dm.mtblMainDelta->Active());
    EXPECT_EQ(Dm.mtblMainDelta->FieldCount(), 3);
    EXPECT_EQ(Dm.mtblMainDelta->RecordCount(), 0);
}

TEST_F(DeltaTracking, DeltaClosedWithDefinitionsIsOpenedForTheCopy) {
    Bind();
    AddRow(1, "a");
    Dm.mtblMainDelta->Close();
    Dm.mtblMain->Delete();
    EXPECT_TRUE(Dm.mtblMainDelta->Active());
    EXPECT_EQ(Dm.mtblMainDelta->RecordCount(), 1);
}

} // namespace
} // namespace qm
