// The counts of values a table keeps for checks of a few rows against all: after every kind of
// change they must hold what a walk over the rows finds, or a repeated value would go unseen.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "table_fixture.h"

namespace qm {
namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

const char* const kValues[] = {"", "a", "b", "c", "d", "1", "2", "7", "42"};

// What RowsHolding must say for a table without a filter, browsing: the rows holding the value.
int Walked(TMemTable& t, int field, std::string_view value) {
    int n = 0;
    for (int pos = 0; pos < t.RecordCount(); ++pos)
        n += Trimmed(t.TextAt(pos, field)) == value;
    return n;
}

void ExpectInStep(TMemTable& t, const std::string& step) {
    for (const int field : {1, 2})
        for (const char* v : kValues)
            EXPECT_EQ(t.RowsHolding(field, &Trimmed, v), Walked(t, field, v))
                << "after " << step << ", field " << field << ", value '" << v << "'";
}

void Set(TMemTable& t, const char* name, int qty) {
    t.FieldByName("NAME")->SetAsString(name);
    t.FieldByName("QTY")->SetAsInteger(qty);
}

TEST(ValueCounts, KeptInStepWithEveryChangeOfTheRows) {
    auto t = test::MakeTable();
    auto other = test::MakeTable(false);
    test::AddRows(*other, {{9, "c"}, {10, " d "}});
    // Rows as a search loads them, then counted.
    for (const auto& [name, qty] : std::vector<std::pair<const char*, int>>{{"a", 1}, {"b ", 2}, {"a", 1}}) {
        ASSERT_TRUE(t->BeginQuietRow());
        Set(*t, name, qty);
        t->PostQuietRow();
    }
    t->MergeChangeLog();
    ExpectInStep(*t, "a quiet load");

    const std::vector<std::pair<const char*, std::function<void()>>> steps = {
        {"an appended row", [&] { t->Append(), Set(*t, "c", 7), t->Post(); }},
        {"an edited row", [&] { t->First(), t->Edit(), Set(*t, "b", 2), t->Post(); }},
        {"an edit back and forth", [&] { t->Edit(), Set(*t, "d", 7), Set(*t, "b", 2), t->Post(); }},
        {"an inserted row cancelled", [&] { t->Insert(), Set(*t, "a", 1), t->Cancel(); }},
        {"a row inserted and left unposted", [&] { t->Last(), t->Insert(); }},
        {"that row posted blank", [&] { t->Post(); }},
        {"a row deleted into the change log", [&] { t->SetRecNo(2), t->Delete(); }},
        {"the change log merged", [&] { t->MergeChangeLog(); }},
        {"a row deleted outside the log", [&] { t->SetCachedUpdates(false), t->First(), t->Delete(); }},
        {"a row copied", [&] { other->First(), t->AppendCopy(*other, true); }},
        {"a row copied as it is",
         [&] {
             other->Last();
             ASSERT_TRUE(t->AppendRowCopy(*other, usModified, 2));
         }},
        {"a row appended with status deleted",
         [&] { t->AppendWithStatus(usDeleted, 1), Set(*t, "a", 42), t->Post(); }},
        {"that row merged away", [&] { t->SetCachedUpdates(true), t->MergeChangeLog(); }},
        {"every row of another table appended", [&] { t->AppendAllRows(*other); }},
        {"the rows emptied and reloaded",
         [&] {
             t->EmptyTable(), test::AddRows(*t, {{1, "b"}, {2, "b"}});
         }},
        {"the rows taken from another table", [&] { t->TakeRows(*other); }},
        {"closed and opened",
         [&] {
             t->Close(), t->Open(), test::AddRows(*t, {{3, "a"}});
         }},
    };
    for (const auto& [name, step] : steps) {
        step();
        ExpectInStep(*t, name);
        ExpectInStep(*other, std::string(name) + " (the other table)");
    }
}

// Numbers are counted as their text reads, and a pending edit is not a stored value.
TEST(ValueCounts, CountStoredValuesAsTheirText) {
    auto t = test::MakeTable();
    test::AddRows(*t, {{1, "a"}, {2, "a"}});
    EXPECT_EQ(t->RowsHolding(0, &Trimmed, "2"), 1);
    EXPECT_EQ(t->RowsHolding(1, &Trimmed, "a"), 2);
    t->First();
    t->Edit();
    t->FieldByName("NAME")->SetAsString("b");
    EXPECT_EQ(t->RowsHolding(1, &Trimmed, "a"), 2);
    EXPECT_EQ(t->RowsHolding(1, &Trimmed, "b"), 0);
    t->Post();
    EXPECT_EQ(t->RowsHolding(1, &Trimmed, "a"), 1);
    EXPECT_EQ(t->RowsHolding(1, &Trimmed, "b"), 1);
    EXPECT_EQ(t->RowsHolding(-1, &Trimmed, "a"), 0);
    EXPECT_EQ(t->RowsHolding(99, &Trimmed, "a"), 0);
}

} // namespace
} // namespace qm
