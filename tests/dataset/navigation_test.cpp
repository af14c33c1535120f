#include <gtest/gtest.h>

#include "dataset/errors.h"
#include "table_fixture.h"

namespace qm {
namespace {

using test::AddRows;
using test::MakeTable;
using test::Names;
using Strings = std::vector<std::string>;

TEST(Navigation, EmptyTableIsAtBothEnds) {
    auto t = MakeTable();
    EXPECT_TRUE(t->IsEmpty());
    EXPECT_TRUE(t->Bof() && t->Eof());
    t->First();
    EXPECT_TRUE(t->Bof() && t->Eof());
    t->Next();
    t->Last();
    EXPECT_TRUE(t->Bof() && t->Eof());
    EXPECT_EQ(t->RecNo(), 0);
    EXPECT_TRUE(t->FieldByName("ID")->IsNull());
    EXPECT_THROW(t->Delete(), EDatabaseError);
}

TEST(Navigation, WalkBothWays) {
    auto t = MakeTable();
    AddRows(*t, {{1, "a"}, {2, "b"}, {3, "c"}});
    EXPECT_EQ(Names(*t), (Strings{"a", "b", "c"}));
    EXPECT_TRUE(t->Eof());
    EXPECT_EQ(t->RecNo(), 3); // stays on the last row
    Strings back;
    for (t->Last(); !t->Bof(); t->Prior())
        back.push_back(t->FieldByName("NAME")->AsString());
    EXPECT_EQ(back, (Strings{"c", "b", "a"}));
    t->SetRecNo(2);
    EXPECT_EQ(t->FieldByName("NAME")->AsString(), "b");
    t->SetRecNo(9); // out of range: stays
    EXPECT_EQ(t->RecNo(), 2);
}

TEST(Navigation, InsertGoesBeforeCurrentAndMovingPosts) {
    auto t = MakeTable();
    AddRows(*t, {{1, "a"}, {3, "c"}});
    t->SetRecNo(2);
    t->Insert();
    t->FieldByName("NAME")->SetAsString("b");
    EXPECT_EQ(t->RecNo(), 2);
    t->First(); // posts the pending row
    EXPECT_EQ(t->State(), dsBrowse);
    EXPECT_EQ(Names(*t), (Strings{"a", "b", "c"}));
    t->Append(); // nothing typed: moving away drops it
    t->First();
    EXPECT_EQ(t->RecordCount(), 3);
}

TEST(Navigation, DeleteKeepsPositionAndEndsLoops) {
    auto t = MakeTable();
    AddRows(*t, {{1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}});
    t->First();
    while (!t->Eof()) {
        if (t->FieldByName("ID")->AsInteger() % 2 == 0)
            t->Delete();
        else
            t->Next();
    }
    EXPECT_EQ(Names(*t), (Strings{"a", "c"}));
}

TEST(Navigation, BookmarksSurviveInsertsAndDeletes) {
    auto t = MakeTable();
    AddRows(*t, {{1, "a"}, {2, "b"}, {3, "c"}});
    t->SetRecNo(3);
    TBookmark c = t->GetBookmark();
    t->First();
    TBookmark a = t->GetBookmark();
    t->Insert();
    t->FieldByName("NAME")->SetAsString("first");
    t->Post();
    t->GotoBookmark(c);
    EXPECT_EQ(t->FieldByName("NAME")->AsString(), "c");
    EXPECT_EQ(t->RecNo(), 4);
    t->GotoBookmark(a);
    t->Delete();
    EXPECT_FALSE(t->BookmarkValid(a));
    EXPECT_THROW(t->GotoBookmark(a), EDatabaseError);
    EXPECT_FALSE(t->BookmarkValid(TBookmark()));
}

TEST(Filter, HidesRowsWithOtherText) {
    auto t = MakeTable();
    AddRows(*t, {{1, "a"}, {2, "b"}, {1, "c"}});
    t->SetFilter("ID=1");
    t->SetFiltered(true);
    EXPECT_EQ(t->RecordCount(), 2);
    EXPECT_EQ(Names(*t), (Strings{"a", "c"}));
    t->Last();
    EXPECT_EQ(t->RecNo(), 2);

    t->SetFilter("ID=7");
    EXPECT_TRUE(t->IsEmpty());
    EXPECT_TRUE(t->Bof() && t->Eof());

    t->SetFilter("NAME=b");
    t->First();
    t->Edit();
    t->FieldByName("NAME")->SetAsString("x");
    t->Post(); // no longer matches
    EXPECT_TRUE(t->IsEmpty());

    t->SetFiltered(false);
    EXPECT_EQ(t->RecordCount(), 3);
}

TEST(Filter, BadFiltersRaise) {
    auto t = MakeTable();
    t->SetFilter("NOPE=1");
    EXPECT_THROW(t->SetFiltered(true), EDatabaseError);
    EXPECT_FALSE(t->Filtered());
    t->SetFilter("ID");
    EXPECT_THROW(t->SetFiltered(true), EDatabaseError);
    t->SetFilter("");
    t->SetFiltered(true); // an empty filter hides nothing
    AddRows(*t, {{1, "a"}});
    EXPECT_EQ(t->RecordCount(), 1);
}

TEST(Events, OrderOfTableEvents) {
    auto t = std::make_unique<TMemTable>();
    t->FieldDefs().Add("ID", ftInteger);
    t->SetCachedUpdates(true);
    Strings log;
    auto rec = [&](const char* name) { return [&log, name](TMemTable*) { log.push_back(name); }; };
    t->AfterOpen = rec("AfterOpen");
    t->AfterScroll = rec("AfterScroll");
    t->AfterInsert = rec("AfterInsert");
    t->BeforePost = rec("BeforePost");
    t->AfterPost = rec("AfterPost");
    t->AfterEdit = rec("AfterEdit");
    t->BeforeDelete = rec("BeforeDelete");
    t->AfterDelete = rec("AfterDelete");
    t->CreateDataSet();
    t->Append();
    t->Fields(0)->SetAsInteger(1);
    t->Post();
    t->Edit();
    t->Post();
    t->Delete();
    EXPECT_EQ(
        log, (Strings{"AfterOpen", "AfterScroll", "AfterInsert", "AfterScroll", "BeforePost", "AfterPost",
                      "AfterEdit", "BeforePost", "AfterPost", "BeforeDelete", "AfterDelete", "AfterScroll"}));
}

TEST(Lifecycle, ReopenKeepsFieldsAndDropsRows) {
    auto t = MakeTable();
    TField* name = t->FieldByName("NAME");
    name->SetDisplayLabel("名称");
    AddRows(*t, {{1, "a"}});
    t->Close();
    EXPECT_EQ(t->RecordCount(), 0);
    t->Open();
    EXPECT_EQ(t->FieldByName("NAME"), name);
    EXPECT_EQ(name->DisplayLabel(), "名称");
    EXPECT_TRUE(t->IsEmpty());

    TMemTable copy;
    copy.CopyFieldDefs(*t);
    copy.CreateDataSet();
    EXPECT_EQ(copy.FieldCount(), t->FieldCount());
    EXPECT_EQ(copy.Fields(4)->DataType(), ftDate);
    EXPECT_THROW(copy.ClearFields(), EDatabaseError);
    copy.Close();
    copy.ClearFields();
    EXPECT_EQ(copy.FieldCount(), 0);
}

} // namespace
} // namespace qm
