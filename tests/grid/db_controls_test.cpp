#include <QLineEdit>
#include <QTest>

#include "grid/db_controls.h"
#include "grid_fixture.h"

namespace qm::gridtest {
namespace {

using DbControlsTest = GridTest;

TEST_F(DbControlsTest, EditShowsTheCurrentRowAndWritesBack) {
    Fill(3);
    TQmDBEdit edit;
    edit.SetDataSource(&source);
    edit.SetDataField("NAME");
    EXPECT_EQ(edit.Text(), "name 1");
    table.SetRecNo(3);
    EXPECT_EQ(edit.Text(), "name 3");
    ASSERT_NE(edit.LineEditor(), nullptr);
    edit.LineEditor()->selectAll();
    QTest::keyClicks(edit.LineEditor(), "x");
    EXPECT_EQ(table.State(), dsEdit);
    EXPECT_EQ(table.FieldByName("NAME")->AsString(), "x");
    EXPECT_EQ(edit.LineEditor()->maxLength(), 20);
}

TEST_F(DbControlsTest, ReadOnlyFlagAndFieldForTheWalk) {
    Fill(1);
    table.FieldByName("CODE")->SetReadOnly(true);
    TQmDBEdit edit;
    TQmDBControl& control = edit;
    control.SetDataSource(&source);
    control.SetDataField("CODE");
    EXPECT_EQ(control.DataSource(), &source);
    EXPECT_EQ(control.DataField(), "CODE");
    control.SetDataReadOnly(true);
    EXPECT_TRUE(edit.ReadOnly());
    EXPECT_TRUE(edit.Field()->ReadOnly());
}

TEST_F(DbControlsTest, MemoAndComboFollowTheRow) {
    Fill(2);
    TQmDBMemo memo;
    memo.SetDataSource(&source);
    memo.SetDataField("NAME");
    TQmDBComboBox combo;
    combo.SetItems({"C1", "C2"});
    combo.SetDataSource(&source);
    combo.SetDataField("CODE");
    table.SetRecNo(2);
    EXPECT_EQ(memo.Text(), "name 2");
    EXPECT_EQ(combo.Text(), "C2");
    combo.SetText("C1"); // by code: the same path as a choice
    EXPECT_EQ(table.FieldByName("CODE")->AsString(), "C1");
}

} // namespace
} // namespace qm::gridtest
