#include <gtest/gtest.h>

#include <functional>

#include "dataset/data_source.h"
#include "table_fixture.h"

namespace qm {
namespace {

using test::AddRows;
using test::MakeTable;
using Strings = std::vector<std::string>;

// Records what it hears; row-level notifications keep their positions.
class RecordingLink : public TDataLink {
public:
    Strings Log;

protected:
    void ActiveChanged() override { Log.push_back("active"); }
    void LayoutChanged() override { Log.push_back("layout"); }
    void DataSetChanged() override { Log.push_back("changed"); }
    void RowInserted(int pos) override { Log.push_back("inserted " + std::to_string(pos)); }
    void RowRemoved(int pos) override { Log.push_back("removed " + std::to_string(pos)); }
    void RecordChanged(TField* f) override {
        Log.push_back("record " + (f ? f->FieldName() : std::string("*")));
    }
    void DataSetScrolled(int d) override { Log.push_back("scrolled " + std::to_string(d)); }
    void EditingChanged() override { Log.push_back("state"); }
    void RowsComing(int count) override { Log.push_back("coming " + std::to_string(count)); }
};

TEST(DataLink, HearsEveryKindOfChange) {
    auto t = MakeTable();
    AddRows(*t, {{1, "a"}});
    TDataSource ds;
    ds.SetDataSet(t.get());
    RecordingLink link;
    link.SetDataSource(&ds);
    EXPECT_TRUE(link.Active());
    link.Log.clear();

    t->Append();
    t->FieldByName("NAME")->SetAsString("b");
    EXPECT_TRUE(link.Editing());
    t->Post();
    t->First();
    t->Delete();
    t->FieldByName("NAME")->SetDisplayLabel("名称");
    t->Close();
    EXPECT_EQ(link.Log, (Strings{"state", "inserted 1", "record NAME", "state", "record *", "scrolled -1",
                                 "removed 0", "layout", "active"}));
}

TEST(DataLink, DisabledControlsHearOneResetAtTheEnd) {
    auto t = MakeTable();
    TDataSource ds;
    ds.SetDataSet(t.get());
    RecordingLink link;
    link.SetDataSource(&ds);
    link.Log.clear();
    t->DisableControls();
    t->DisableControls();
    AddRows(*t, {{1, "a"}, {2, "b"}});
    EXPECT_TRUE(t->ControlsDisabled());
    t->EnableControls();
    EXPECT_TRUE(link.Log.empty());
    t->EnableControls();
    EXPECT_EQ(link.Log, (Strings{"state", "changed"}));
}

// Rows announced are heard at once, as what they are and nothing more: not while controls are
// disabled, nor later when they are enabled again, and not as a change of the data.
TEST(DataLink, AnnouncedRowsAreOnlyAnAnnouncement) {
    auto t = MakeTable();
    AddRows(*t, {{1, "a"}});
    TDataSource ds;
    ds.SetDataSet(t.get());
    int data = 0;
    ds.OnDataChange = [&](TObject*) { ++data; };
    RecordingLink link;
    link.SetDataSource(&ds);
    link.Log.clear();
    t->AnnounceRows(5);
    EXPECT_EQ(link.Log, (Strings{"coming 5"}));
    EXPECT_EQ(data, 0);
    link.Log.clear();
    t->DisableControls();
    t->AnnounceRows(7);
    t->EnableControls();
    EXPECT_TRUE(link.Log.empty());
}

// A walk that only moves the cursor is followed as one move, so a grid keeps its rows and editor;
// any change to the rows still means reading everything again.
TEST(DataLink, DisabledWalkIsFollowedOnceAsWhatItDid) {
    struct Case {
        const char* name;
        std::function<void(TMemTable&)> walk;
        Strings heard;
    } cases[] = {
        {"cursor back where it was",
         [](TMemTable& t) {
             const TBookmark mark = t.GetBookmark();
             for (t.First(); !t.Eof(); t.Next())
                 t.FieldByName("NAME")->AsString();
             t.GotoBookmark(mark);
         },
         {"scrolled 0"}},
        {"cursor moved to the end", [](TMemTable& t) { t.Last(); }, {"scrolled 0"}},
        {"a value changed on the way",
         [](TMemTable& t) {
             t.First();
             t.Edit();
             t.FieldByName("NAME")->SetAsString("z");
             t.Post();
             t.Next();
         },
         {"state", "changed"}},
        {"nothing at all", [](TMemTable&) {}, {}},
    };
    for (const Case& c : cases) {
        auto t = MakeTable();
        AddRows(*t, {{1, "a"}, {2, "b"}, {3, "c"}});
        t->SetRecNo(2);
        TDataSource ds;
        ds.SetDataSet(t.get());
        RecordingLink link;
        link.SetDataSource(&ds);
        link.Log.clear();
        t->DisableControls();
        c.walk(*t);
        t->EnableControls();
        EXPECT_EQ(link.Log, c.heard) << c.name;
    }
}

TEST(DataLink, DetachesSafelyWhicheverDiesFirst) {
    RecordingLink link;
    {
        auto t = MakeTable();
        TDataSource ds;
        ds.SetDataSet(t.get());
        link.SetDataSource(&ds);
        t.reset(); // the table goes first
        EXPECT_EQ(ds.DataSet(), nullptr);
        EXPECT_FALSE(link.Active());
    }
    EXPECT_EQ(link.DataSource(), nullptr); // then the source
    auto t = MakeTable();
    {
        TDataSource ds;
        ds.SetDataSet(t.get());
        RecordingLink shortLived;
        shortLived.SetDataSource(&ds);
    }
    AddRows(*t, {{1, "a"}}); // nobody left to notify
    EXPECT_EQ(t->RecordCount(), 1);
}

TEST(DataSource, DisabledSourceIsSilentAndEventsFire) {
    auto t = MakeTable();
    TDataSource ds;
    ds.SetDataSet(t.get());
    int states = 0, data = 0;
    ds.OnStateChange = [&](TObject*) { ++states; };
    ds.OnDataChange = [&](TObject*) { ++data; };
    AddRows(*t, {{1, "a"}});
    EXPECT_EQ(states, 2);
    EXPECT_GT(data, 0);
    ds.SetEnabled(false);
    states = data = 0;
    AddRows(*t, {{2, "b"}});
    EXPECT_EQ(states + data, 0);
}

} // namespace
} // namespace qm
