#include <gtest/gtest.h>

#include "dataset/errors.h"
#include "table_fixture.h"

namespace qm {
namespace {

using test::AddRows;
using test::MakeTable;
using test::Names;

// Rows loaded as a search does: outside the change log.
void Load(TMemTable& t, const std::vector<std::pair<int, std::string>>& rows) {
    auto src = MakeTable(false);
    AddRows(*src, rows);
    for (src->First(); !src->Eof(); src->Next())
        t.AppendCopy(*src);
}

TEST(ChangeLog, StatusesFollowEdits) {
    auto t = MakeTable();
    Load(*t, {{1, "a"}, {2, "b"}, {3, "c"}});
    EXPECT_EQ(t->ChangeCount(), 0);

    t->First();
    EXPECT_EQ(t->UpdateStatus(), usUnmodified);
    t->Edit();
    t->FieldByName("NAME")->SetAsString("A");
    EXPECT_EQ(t->UpdateStatus(), usUnmodified); // not posted yet
    t->Post();
    EXPECT_EQ(t->UpdateStatus(), usModified);

    t->Append();
    t->FieldByName("ID")->SetAsInteger(4);
    EXPECT_EQ(t->UpdateStatus(), usUnmodified); // a new row before its post
    t->Post();
    EXPECT_EQ(t->UpdateStatus(), usInserted);
    t->Edit();
    t->FieldByName("NAME")->SetAsString("d");
    t->Post();
    EXPECT_EQ(t->UpdateStatus(), usInserted); // an inserted row stays inserted

    t->SetRecNo(2);
    t->Delete();
    EXPECT_EQ(t->RecordCount(), 3);
    EXPECT_EQ(t->ChangeCount(), 3);

    t->Last();
    t->Delete(); // an inserted row leaves no trace
    EXPECT_EQ(t->ChangeCount(), 2);

    t->MergeChangeLog();
    EXPECT_EQ(t->ChangeCount(), 0);
    EXPECT_EQ(Names(*t), (std::vector<std::string>{"A", "c"}));
    for (t->First(); !t->Eof(); t->Next())
        EXPECT_EQ(t->UpdateStatus(), usUnmodified);
}

TEST(ChangeLog, PostWithoutChangeKeepsStatus) {
    auto t = MakeTable();
    Load(*t, {{1, "a"}});
    t->First();
    t->Edit();
    t->FieldByName("NAME")->SetAsString("a"); // same value
    t->Post();
    EXPECT_EQ(t->UpdateStatus(), usUnmodified);
    EXPECT_EQ(t->ChangeCount(), 0);
}

TEST(ChangeLog, CancelRestoresAndDropsNewRow) {
    auto t = MakeTable();
    Load(*t, {{1, "a"}});
    t->First();
    t->Edit();
    t->FieldByName("NAME")->SetAsString("z");
    t->Cancel();
    EXPECT_EQ(t->FieldByName("NAME")->AsString(), "a");
    EXPECT_EQ(t->UpdateStatus(), usUnmodified);

    t->Append();
    t->FieldByName("NAME")->SetAsString("new");
    EXPECT_EQ(t->RecordCount(), 2);
    t->Cancel();
    EXPECT_EQ(t->RecordCount(), 1);
    EXPECT_EQ(t->FieldByName("NAME")->AsString(), "a");

    // Deleting a row that was never posted only cancels it, without BeforeDelete.
    int deletes = 0;
    t->BeforeDelete = [&](TMemTable*) { ++deletes; };
    t->Append();
    t->Delete();
    EXPECT_EQ(deletes, 0);
    EXPECT_EQ(t->RecordCount(), 1);
    EXPECT_EQ(t->State(), dsBrowse);
}

TEST(ChangeLog, WithoutCachedUpdatesEverythingStaysUnmodified) {
    auto t = MakeTable(false);
    AddRows(*t, {{1, "a"}, {2, "b"}});
    t->First();
    t->Edit();
    t->FieldByName("NAME")->SetAsString("x");
    t->Post();
    EXPECT_EQ(t->UpdateStatus(), usUnmodified);
    t->Delete();
    EXPECT_EQ(t->ChangeCount(), 0);
    EXPECT_EQ(t->RecordCount(), 1);
}

TEST(ChangeLog, AppendWithStatusRemembersSourceRow) {
    auto t = MakeTable();
    const TUpdateStatus statuses[] = {usUnmodified, usModified, usInserted, usDeleted};
    for (int i = 0; i < 4; ++i) {
        t->AppendWithStatus(statuses[i], 10 + i);
        t->FieldByName("ID")->SetAsInteger(i);
        EXPECT_EQ(t->SourceRowNo(), 10 + i);
        t->Post();
    }
    int i = 0;
    for (t->First(); !t->Eof(); t->Next(), ++i) {
        EXPECT_EQ(t->UpdateStatus(), statuses[i]);
        EXPECT_EQ(t->SourceRowNo(), 10 + i);
        EXPECT_EQ(t->FieldByName("ID")->AsInteger(), i);
    }
    EXPECT_EQ(i, 4); // a row that came in as deleted is still walked
    t->MergeChangeLog();
    EXPECT_EQ(t->RecordCount(), 3);
}

TEST(ChangeLog, AppendCopyMatchesNamesConvertsAndLogsNothing) {
    TMemTable src;
    src.FieldDefs().Add("name", ftString, 10);  // other case
    src.FieldDefs().Add("QTY", ftString, 10);   // other type
    src.FieldDefs().Add("EXTRA", ftString, 10); // no namesake
    src.CreateDataSet();
    src.Append();
    src.FieldByName("name")->SetAsString("等级");
    src.FieldByName("QTY")->SetAsString("17");
    src.FieldByName("EXTRA")->SetAsString("x");
    src.Post();

    auto t = MakeTable();
    int events = 0;
    t->BeforePost = t->AfterPost = t->BeforeDelete = [&](TMemTable*) { ++events; };
    t->AppendCopy(src);
    t->AppendCopy(src);
    EXPECT_EQ(events, 0);
    EXPECT_EQ(t->RecordCount(), 2);
    EXPECT_EQ(t->RecNo(), 2);
    EXPECT_EQ(t->ChangeCount(), 0);
    EXPECT_EQ(t->UpdateStatus(), usUnmodified);
    EXPECT_EQ(t->FieldByName("NAME")->AsString(), "等级");
    EXPECT_EQ(t->FieldByName("QTY")->AsInteger(), 17);
    EXPECT_TRUE(t->FieldByName("ID")->IsNull());

    src.Edit();
    src.FieldByName("QTY")->SetAsString("many");
    src.Post();
    EXPECT_THROW(t->AppendCopy(src), EConvertError);
    EXPECT_EQ(t->RecordCount(), 2);
}

TEST(ChangeLog, EmptyTableRaisesNoEventsAndClearsLog) {
    auto t = MakeTable();
    Load(*t, {{1, "a"}, {2, "b"}});
    t->First();
    t->Delete();
    AddRows(*t, {{3, "c"}});
    int events = 0;
    t->BeforePost = t->AfterPost = t->BeforeDelete = [&](TMemTable*) { ++events; };
    t->Append();
    t->FieldByName("ID")->SetAsInteger(9);
    t->EmptyTable();
    EXPECT_EQ(events, 0);
    EXPECT_TRUE(t->IsEmpty());
    EXPECT_EQ(t->ChangeCount(), 0);
    EXPECT_EQ(t->State(), dsBrowse);
    EXPECT_TRUE(t->Bof() && t->Eof());
}

TEST(ChangeLog, BeforePostMayStampOrRefuse) {
    auto t = MakeTable();
    t->BeforePost = [](TMemTable* table) {
        if (table->FieldByName("ID")->IsNull()) throw EDatabaseError("no id");
        table->FieldByName("NAME")->SetAsString("stamped");
    };
    t->Append();
    EXPECT_THROW(t->Post(), EDatabaseError);
    EXPECT_EQ(t->State(), dsInsert);
    t->FieldByName("ID")->SetAsInteger(1);
    t->Post();
    EXPECT_EQ(t->State(), dsBrowse);
    EXPECT_EQ(t->FieldByName("NAME")->AsString(), "stamped");
    EXPECT_EQ(t->UpdateStatus(), usInserted);
}

TEST(ChangeLog, LongTextKeptWholeThroughStore) {
    auto t = MakeTable();
    const std::string longText = "一二三四五六七八九十abc"; // NAME has size 4
    AddRows(*t, {{1, longText}, {2, ""}});
    t->First();
    EXPECT_EQ(t->FieldByName("NAME")->AsString(), longText);
    t->Next();
    EXPECT_FALSE(t->FieldByName("NAME")->IsNull());
}

} // namespace
} // namespace qm
