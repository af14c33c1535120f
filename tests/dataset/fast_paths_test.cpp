// The shortcuts for bulk work must give what the general paths give.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "dataset/errors.h"
#include "dataset/mem_table.h"
#include "table_fixture.h"

namespace qm {
namespace {

using test::MakeTable;

struct TextCase {
    const char* field;
    const char* text;
    std::optional<std::string> stored; // nullopt: EConvertError
};

TEST(FastPaths, PlainTextsReadAsTheGeneralConversion) {
    const TextCase cases[] = {
        {"ID", "-0012", "-12"},
        {"ID", "123456789012345678", "123456789012345678"},
        {"ID", "1234567890123456789", "1234567890123456789"}, // 19 digits: the general path
        {"ID", "+7", "7"},
        {"ID", " 7 ", "7"},
        {"ID", "-", std::nullopt},
        {"ID", "1x", std::nullopt},
        {"QTY", "2147483647", "2147483647"},
        {"QTY", "2147483648", std::nullopt},
        {"QTY", "-2147483649", std::nullopt},
        {"DAY", "2008-06-02", "2008-06-02"},
        {"DAY", "2008-6-2", "2008-06-02"},
        {"DAY", "2008-02-30", std::nullopt},
        {"DAY", "2008-13-01", std::nullopt},
        {"STAMP", "2008-06-18", "2008-06-18"},
        {"STAMP", "2008-06-18 13:05:09", "2008-06-18 13:05:09"},
    };
    auto t = MakeTable();
    t->Append();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " <- '" + c.text + "'");
        TField* f = t->FieldByName(c.field);
        f->Clear();
        if (!c.stored) {
            EXPECT_THROW(f->SetAsString(c.text), EConvertError);
            EXPECT_TRUE(f->IsNull());
            continue;
        }
        f->SetAsString(c.text);
        EXPECT_EQ(f->AsString(), *c.stored);
    }
}

// A source row of the same layout is taken whole, with the status and number given.
TEST(FastPaths, AppendRowCopyTakesTheRowWithItsStatus) {
    auto source = MakeTable();
    test::AddRows(*source, {{1, "ab"}, {2, "收入"}});
    auto target = MakeTable(false);
    for (source->First(); !source->Eof(); source->Next())
        ASSERT_TRUE(target->AppendRowCopy(*source, usModified, source->RecNo()));
    EXPECT_EQ(target->State(), dsBrowse);
    EXPECT_EQ(target->RecNo(), 2);
    EXPECT_EQ(test::Names(*target), (std::vector<std::string>{"ab", "收入"}));
    target->First();
    EXPECT_EQ(target->UpdateStatus(), usModified);
    EXPECT_EQ(target->SourceRowNo(), 1);
    EXPECT_TRUE(target->FieldByName("DAY")->IsNull());
    EXPECT_EQ(target->ChangeCount(), 2);
}

TEST(FastPaths, AppendRowCopyDeclinesWhatItCannotCopyAsIs) {
    auto source = MakeTable();
    test::AddRows(*source, {{1, "ab"}});
    source->First();

    auto other = std::make_unique<TMemTable>();
    other->FieldDefs().Add("ID", ftInteger); // another type than the source's
    other->CreateDataSet();
    EXPECT_FALSE(other->AppendRowCopy(*source, usInserted, 1));

    auto handled = MakeTable();
    handled->FieldByName("NAME")->OnChange = [](TField*) {};
    EXPECT_FALSE(handled->AppendRowCopy(*source, usInserted, 1));

    auto posting = MakeTable();
    posting->BeforePost = [](TMemTable*) {};
    EXPECT_FALSE(posting->AppendRowCopy(*source, usInserted, 1));

    auto target = MakeTable();
    source->Edit(); // a pending edit is not a stored row
    EXPECT_FALSE(target->AppendRowCopy(*source, usInserted, 1));
    for (auto* t : {other.get(), handled.get(), posting.get(), target.get()})
        EXPECT_EQ(t->RecordCount(), 0);
}

// AppendCopy takes a row of wider integers as it is, unless a value does not fit.
TEST(FastPaths, AppendCopyNarrowsIntegersOrRaises) {
    TMemTable wide, narrow;
    wide.FieldDefs().Add("N", ftLargeint);
    wide.FieldDefs().Add("S", ftString, 10);
    wide.CreateDataSet();
    narrow.FieldDefs().Add("N", ftInteger);
    narrow.FieldDefs().Add("S", ftString, 10);
    narrow.CreateDataSet();
    for (const std::int64_t n : {std::int64_t{-5}, std::int64_t{1} << 40}) {
        wide.Append();
        wide.Fields(0)->SetAsLargeInt(n);
        wide.Fields(1)->SetAsString("s");
        wide.Post();
    }
    wide.First();
    narrow.AppendCopy(wide);
    EXPECT_EQ(narrow.Fields(0)->AsInteger(), -5);
    EXPECT_EQ(narrow.Fields(1)->AsString(), "s");
    wide.Next();
    EXPECT_THROW(narrow.AppendCopy(wide), EConvertError);
    EXPECT_EQ(narrow.RecordCount(), 1);
}

TEST(FastPaths, QuietRowsAreStoredAsAppendAndPostStoreThem) {
    for (const bool cached : {false, true}) {
        auto t = MakeTable(cached);
        test::AddRows(*t, {{1, "a"}});
        ASSERT_TRUE(t->BeginQuietRow());
        t->FieldByName("ID")->SetAsString("2");
        t->FieldByName("NAME")->SetAsString("b");
        t->PostQuietRow();
        EXPECT_EQ(t->State(), dsBrowse);
        EXPECT_EQ(t->RecNo(), 2);
        EXPECT_EQ(t->UpdateStatus(), cached ? usInserted : usUnmodified);
        EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 2);
        EXPECT_EQ(test::Names(*t), (std::vector<std::string>{"a", "b"}));

        ASSERT_TRUE(t->BeginQuietRow());
        t->FieldByName("NAME")->SetAsString("dropped");
        t->CancelQuietRow();
        EXPECT_EQ(t->RecordCount(), 2);
    }
    auto watched = MakeTable();
    watched->AfterPost = [](TMemTable*) {};
    EXPECT_FALSE(watched->BeginQuietRow());
    watched->Append();
    EXPECT_FALSE(watched->BeginQuietRow()); // not while a row is being edited
}

// A debug build stops at a quiet row used out of turn, before a half-filled row can be stored.
TEST(FastPathsDeathTest, QuietRowOutOfTurnStopsADebugBuild) {
#ifdef NDEBUG
    GTEST_SKIP() << "checked in debug builds";
#else
    auto t = MakeTable();
    EXPECT_DEATH(t->CancelQuietRow(), "dropped only after it was begun");
    EXPECT_DEATH(
        {
            if (t->BeginQuietRow()) t->Append();
        },
        "posted or dropped before the table changes state");
#endif
}

} // namespace
} // namespace qm
