// The data-aware date-time edit, number edit and check box against a small table.
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include "grid/db_value_controls.h"
#include "grid_fixture.h"

namespace qm::gridtest {
namespace {

class DbValueControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        table.FieldDefs().Add("D", ftDate);
        table.FieldDefs().Add("DT", ftDateTime);
        table.FieldDefs().Add("T", ftTime);
        table.FieldDefs().Add("N", ftFloat);
        table.FieldDefs().Add("I", ftInteger);
        table.FieldDefs().Add("B", ftBoolean);
        table.FieldDefs().Add("FLAG", ftInteger);
        table.CreateDataSet();
        source.SetDataSet(&table);
        AddRow({"2008-06-02", "2008-06-02 10:30:00", "08:15:00", "12.5", "7", "True", "1"});
        AddRow({"", "", "", "", "", "", ""});
        AddRow({"2024-12-31", "2024-12-31 23:59:00", "23:00:00", "-3", "0", "False", "0"});
        table.First();
    }
    void AddRow(const std::vector<std::string>& values) {
        table.Append();
        for (std::size_t i = 0; i < values.size(); ++i)
            if (!values[i].empty()) table.Fields(static_cast<int>(i))->SetText(values[i]);
        table.Post();
    }
    template <class Control> void Bind(Control& c, const char* field) {
        c.SetDataSource(&source);
        c.SetDataField(field);
    }
    static void Type(QLineEdit* line, const char* text) {
        line->selectAll();
        QTest::keyClicks(line, text);
        QTest::keyClick(line, Qt::Key_Return);
    }
    TMemTable table;
    TDataSource source;
};

TEST_F(DbValueControlsTest, EditsShowTheCurrentRowWhateverItHolds) {
    TQmDBDateEdit date, dateTime, time;
    TQmDBNumberEdit number, whole;
    Bind(date, "D");
    Bind(dateTime, "DT");
    Bind(time, "T");
    Bind(number, "N");
    Bind(whole, "I");
    struct Case {
        int recNo;
        const char *date, *dateTime, *time, *number, *whole;
    } cases[] = {
        {1, "2008-06-02", "2008-06-02", "08:15:00", "12.5", "7"},
        {2, "", "", "", "", ""}, // nulls leave the edits empty
        {3, "2024-12-31", "2024-12-31", "23:00:00", "-3", "0"},
    };
    for (const Case& c : cases) {
        table.SetRecNo(c.recNo);
        EXPECT_EQ(date.Text(), c.date) << c.recNo;
        EXPECT_EQ(dateTime.Text(), c.dateTime) << c.recNo;
        EXPECT_EQ(time.Text(), c.time) << c.recNo;
        EXPECT_EQ(number.Text(), c.number) << c.recNo;
        EXPECT_EQ(whole.Text(), c.whole) << c.recNo;
    }
    EXPECT_EQ(time.Kind(), TDateTimeKind::dtkTime);
    EXPECT_EQ(whole.DecimalPlaces(), 0);
    EXPECT_EQ(number.DecimalPlaces(), -1);
}

TEST_F(DbValueControlsTest, TypedValuesReachTheFieldAndKeepTheOtherPart) {
    TQmDBDateEdit date, dateTime, time;
    TQmDBNumberEdit number;
    Bind(date, "D");
    Bind(dateTime, "DT");
    Bind(time, "T");
    Bind(number, "N");
    Type(dateTime.LineEditor(), "2009-01-05");
    EXPECT_EQ(table.State(), dsEdit);
    EXPECT_EQ(table.FieldByName("DT")->Text(), "2009-01-05 10:30:00"); // the time of day stays
    Type(time.LineEditor(), "09:45:00");
    EXPECT_EQ(table.FieldByName("T")->Text(), "09:45:00");
    Type(date.LineEditor(), "2010-07-08");
    EXPECT_EQ(table.FieldByName("D")->Text(), "2010-07-08");
    Type(number.LineEditor(), "-4.25");
    EXPECT_DOUBLE_EQ(table.FieldByName("N")->AsFloat(), -4.25);
    number.LineEditor()->clear();
    EXPECT_TRUE(table.FieldByName("N")->IsNull()); // an emptied edit empties the field
    table.Post();
    table.SetRecNo(3);
    EXPECT_EQ(dateTime.Text(), "2024-12-31"); // the next row shows, nothing written to it
    EXPECT_EQ(table.FieldByName("DT")->Text(), "2024-12-31 23:59:00");
}

TEST_F(DbValueControlsTest, CheckBoxMapsValuesBothWays) {
    TQmDBCheckBox boolean, flag;
    Bind(boolean, "B");
    flag.SetValueChecked("1");
    flag.SetValueUnchecked("0");
    Bind(flag, "FLAG");
    struct Case {
        int recNo;
        TCheckBoxState boolean, flag;
    } cases[] = {
        {1, TCheckBoxState::cbChecked, TCheckBoxState::cbChecked},
        {2, TCheckBoxState::cbGrayed, TCheckBoxState::cbGrayed}, // null
        {3, TCheckBoxState::cbUnchecked, TCheckBoxState::cbUnchecked},
    };
    for (const Case& c : cases) {
        table.SetRecNo(c.recNo);
        EXPECT_EQ(boolean.State(), c.boolean) << c.recNo;
        EXPECT_EQ(flag.State(), c.flag) << c.recNo;
    }
    // A value that is neither shows grayed and is not rewritten by showing it.
    table.SetRecNo(1);
    table.Edit();
    table.FieldByName("FLAG")->SetText("5");
    EXPECT_EQ(flag.State(), TCheckBoxState::cbGrayed);
    EXPECT_EQ(table.FieldByName("FLAG")->Text(), "5");
    table.Post();
    // The user's click writes the mapped value.
    table.SetRecNo(3);
    flag.CheckEditor()->click(); // the user's path, as a mouse click takes it
    EXPECT_EQ(table.FieldByName("FLAG")->Text(), "1");
    boolean.CheckEditor()->click();
    EXPECT_TRUE(table.FieldByName("B")->AsBoolean());
}

TEST_F(DbValueControlsTest, ReadOnlyControlsWriteNothing) {
    TQmDBNumberEdit number;
    TQmDBCheckBox flag;
    flag.SetValueChecked("1");
    flag.SetValueUnchecked("0");
    Bind(number, "N");
    Bind(flag, "FLAG");
    for (TQmDBControl* c : std::initializer_list<TQmDBControl*>{&number, &flag})
        c->SetDataReadOnly(true);
    EXPECT_TRUE(number.DataReadOnly());
    EXPECT_TRUE(flag.DataReadOnly());
    QTest::keyClicks(number.LineEditor(), "9");
    flag.CheckEditor()->click(); // the user's path, as a mouse click takes it
    EXPECT_EQ(table.State(), dsBrowse);
    EXPECT_EQ(table.FieldByName("N")->Text(), "12.5");
    EXPECT_EQ(flag.State(), TCheckBoxState::cbChecked);
}

} // namespace
} // namespace qm::gridtest
