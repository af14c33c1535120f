// Rows kept in arenas, and rows shared between tables, must read as rows of their own.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "allocated_bytes.h"
#include "dataset/errors.h"
#include "dataset/mem_table.h"
#include "dataset/row_storage.h"
#include "table_fixture.h"

namespace qm {
namespace {

TEST(RowArena, HandsOutAlignedBytesThatDoNotOverlap) {
    const std::size_t sizes[] = {0, 1, 7, 8, 100, 5000, 3 * 1024 * 1024, 3};
    TRowArena arena;
    std::vector<std::byte*> blocks;
    std::size_t total = 0;
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        std::byte* at = arena.Allocate(sizes[i]);
        ASSERT_NE(at, nullptr);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(at) % 8, 0u) << sizes[i];
        std::memset(at, static_cast<int>(i + 1), sizes[i]);
        blocks.push_back(at);
        total += sizes[i];
    }
    for (std::size_t i = 0; i < std::size(sizes); ++i)
        for (std::size_t b = 0; b < sizes[i]; ++b)
            ASSERT_EQ(std::to_integer<std::size_t>(blocks[i][b]), i + 1)
                << "allocation " << i << " overwritten";
    EXPECT_GE(arena.BytesHeld(), total);
}

// Quiet rows (kept in the arena), a posted row and an edited quiet row (kept on their own).
std::unique_ptr<TMemTable> MixedSource() {
    auto source = test::MakeTable(false);
    for (const auto& [id, name] : std::vector<std::pair<int, std::string>>{{1, "a"}, {2, "收入"}, {3, "c"}}) {
        EXPECT_TRUE(source->BeginQuietRow());
        source->FieldByName("ID")->SetAsInteger(id);
        source->FieldByName("NAME")->SetAsString(name);
        source->PostQuietRow();
    }
    test::AddRows(*source, {{4, "d"}});
    source->SetRecNo(3);
    source->Edit();
    source->FieldByName("NAME")->SetAsString("cc");
    source->Post();
    return source;
}

std::unique_ptr<TMemTable> CopyAll(TMemTable& source) {
    auto target = test::MakeTable();
    for (source.First(); !source.Eof(); source.Next())
        target->AppendCopy(source, true);
    return target;
}

TEST(SharedRows, TargetKeepsItsValuesWhateverTheSourceDoes) {
    const std::vector<std::string> names{"a", "收入", "cc", "d"};
    const std::pair<const char*, std::function<void(std::unique_ptr<TMemTable>&)>> endings[] = {
        {"emptied", [](auto& s) { s->EmptyTable(); }},
        {"closed", [](auto& s) { s->Close(); }},
        {"destroyed", [](auto& s) { s.reset(); }},
        {"edited",
         [](auto& s) {
             s->First();
             s->Edit();
             s->FieldByName("NAME")->SetAsString("zz");
             s->Post();
         }},
    };
    for (const auto& [what, ending] : endings) {
        SCOPED_TRACE(what);
        auto source = MixedSource();
        auto target = CopyAll(*source);
        ending(source);
        EXPECT_EQ(test::Names(*target), names);
        target->Last();
        EXPECT_EQ(target->FieldByName("ID")->AsInteger(), 4);
        EXPECT_EQ(target->ChangeCount(), 0);
    }
}

TEST(SharedRows, EditsAndDeletesInTheTargetLeaveTheSourceAlone) {
    auto source = MixedSource();
    auto target = CopyAll(*source);
    target->First();
    target->Edit();
    target->FieldByName("NAME")->SetAsString("new");
    target->Post();
    target->Next();
    target->Delete();
    EXPECT_EQ(test::Names(*target), (std::vector<std::string>{"new", "cc", "d"}));
    EXPECT_EQ(target->ChangeCount(), 2);
    EXPECT_EQ(test::Names(*source), (std::vector<std::string>{"a", "收入", "cc", "d"}));
    source.reset();
    target->First();
    EXPECT_EQ(target->FieldByName("NAME")->AsString(), "new");
    target->EmptyTable();
    EXPECT_EQ(target->RecordCount(), 0);
}

// A copy of a copy refers to the first table's bytes as well: only the row list is allocated, and
// the values outlive both tables they came from.
TEST(SharedRows, ACopyOfACopyTakesNoRowBytes) {
    constexpr int kRows = 1000;
    const std::string text(200, 'x');
    const std::pair<const char*, std::function<void(TMemTable&, TMemTable&)>> copies[] = {
        {"AppendCopy", [](TMemTable& to, TMemTable& from) { to.AppendCopy(from, true); }},
        {"AppendRowCopy",
         [](TMemTable& to, TMemTable& from) {
             ASSERT_TRUE(to.AppendRowCopy(from, usModified, from.RecNo()));
         }},
    };
    for (const auto& [what, copy] : copies) {
        SCOPED_TRACE(what);
        auto source = test::MakeTable(false);
        for (int i = 0; i < kRows; ++i) {
            ASSERT_TRUE(source->BeginQuietRow());
            source->FieldByName("ID")->SetAsInteger(i);
            source->FieldByName("NAME")->SetAsString(text);
            source->PostQuietRow();
        }
        auto middle = CopyAll(*source);
        auto last = test::MakeTable(false);
        last->ReserveRows(kRows);
        const std::size_t before = test::AllocatedBytes();
        for (middle->First(); !middle->Eof(); middle->Next())
            copy(*last, *middle);
        EXPECT_LT(test::AllocatedBytes() - before, kRows * text.size() / 10);
        source.reset();
        middle.reset();
        ASSERT_EQ(last->RecordCount(), kRows);
        last->Last();
        EXPECT_EQ(last->FieldByName("ID")->AsInteger(), kRows - 1);
        EXPECT_EQ(last->FieldByName("NAME")->AsString(), text);
    }
}

TEST(SharedRows, CopyingATableFromItselfDoublesItsRows) {
    auto t = MixedSource();
    const int count = t->RecordCount();
    for (int i = 0; i < count; ++i) {
        t->SetRecNo(i + 1);
        t->AppendCopy(*t, true);
    }
    EXPECT_EQ(test::Names(*t), (std::vector<std::string>{"a", "收入", "cc", "d", "a", "收入", "cc", "d"}));
}

TEST(SharedRows, MemoryUsedCountsArenaRows) {
    auto t = test::MakeTable(false);
    const std::size_t empty = t->MemoryUsed();
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(t->BeginQuietRow());
        t->FieldByName("NAME")->SetAsString("name");
        t->PostQuietRow();
    }
    const std::size_t full = t->MemoryUsed();
    EXPECT_GE(full - empty, 1000u * (8 * 8 + 4)); // a slot per field and the text
    t->EmptyTable();
    EXPECT_LE(t->MemoryUsed() + 1000u * (8 * 8 + 4), full); // the rows' bytes are given back
}

// A whole table taken aside and put back: the same rows, values and statuses, the source's cursor
// untouched while copying, and what was there before gone after the move.
TEST(WholeTable, CopiedAsideAndMovedBack) {
    auto table = MixedSource(); // quiet, posted and edited rows: every place a row can live
    table->SetRecNo(2);
    auto aside = test::MakeTable(false);
    aside->AppendAllRows(*table);
    EXPECT_EQ(table->RecNo(), 2);
    EXPECT_EQ(aside->RecNo(), 4);
    EXPECT_EQ(test::Names(*aside), (std::vector<std::string>{"a", "收入", "cc", "d"}));
    EXPECT_EQ(aside->ChangeCount(), 0);

    // The table changes in every way a clerk can change it, then takes the rows back.
    table->SetCachedUpdates(true);
    table->First();
    table->Delete();
    table->Edit();
    table->FieldByName("NAME")->SetAsString("zz");
    table->Post();
    const TBookmark before = table->GetBookmark();
    table->Append();
    table->FieldByName("NAME")->SetAsString("new");
    table->TakeRows(*aside);

    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(table->RecNo(), 1);
    EXPECT_EQ(table->ChangeCount(), 0);
    EXPECT_FALSE(table->BookmarkValid(before));
    EXPECT_EQ(aside->RecordCount(), 0);
    aside.reset();
    EXPECT_EQ(test::Names(*table), (std::vector<std::string>{"a", "收入", "cc", "d"}));
    table->Last();
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 4);
}

TEST(WholeTable, RefusesTablesOfOtherFields) {
    auto table = MixedSource();
    TMemTable other;
    other.FieldDefs().Add("ID", ftLargeint);
    other.CreateDataSet();
    EXPECT_THROW(other.AppendAllRows(*table), EDatabaseError);
    EXPECT_THROW(table->TakeRows(other), EDatabaseError);
    EXPECT_EQ(table->RecordCount(), 4);
    table->Edit();
    auto aside = test::MakeTable(false);
    EXPECT_THROW(aside->AppendAllRows(*table), EDatabaseError); // a pending edit is not a stored row
    EXPECT_EQ(aside->RecordCount(), 0);
}

} // namespace
} // namespace qm
