// Sorting at the host window: a header click orders the rows shown, new rows saved under a sort
// get their own keys, a search keeps the order, and the script steps reach the same path.
#include "clerk_fixture.h"

#include <QHeaderView>
#include <QToolButton>
#include <sstream>

namespace qm::host::testing {
namespace {

constexpr int kKey = 0; // grid columns: the hidden key first, then code, name, lower, upper
constexpr int kCode = 1;
constexpr int kName = 2;
constexpr int kLower = 3;

using Codes = std::vector<std::string>;

class ClerkViewSort : public ClerkTest {
protected:
    void ClickHeader(int column) {
        QHeaderView* header = Grid()->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        Settle();
    }
    Codes Shown(int column = kCode) const {
        Codes out;
        for (int row = 0; row < Rows(); ++row)
            out.push_back(Cell(row, column).toStdString());
        return out;
    }
};

TEST_F(ClerkViewSort, NewRowsSavedUnderASortGetTheirOwnKeys) {
    Open();
    ClickHeader(kName);
    ClickHeader(kName); // names in reverse pinyin order
    EXPECT_EQ(Shown(), (Codes{"04", "02", "03", "06", "05", "01"}));
    Key(Qt::Key_N, Qt::ControlModifier);
    for (const char* text : {"A1", "甲级", "100", "200", "A2", "乙级", "300", "400"}) {
        Type(QString::fromUtf8(text));
        Key(Qt::Key_Return);
    }
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(LastBox(), "保存成功！") << BoxLog();
    EXPECT_EQ(Rows(), 8);
    EXPECT_EQ(Grid()->horizontalHeader()->sortIndicatorSection(), kName);
    for (int row = 0; row < Rows(); ++row) {
        const std::string code = Cell(row, kCode).toStdString();
        const std::string key = Grid()->model()->index(row, kKey).data(Qt::EditRole).toString().toStdString();
        EXPECT_EQ(Query("SELECT MEMAC_ID FROM TB_MEMAC WHERE MEMAC001='" + code + "'"), Codes{key})
            << "row " << row << " (" << code << ")";
    }
    EXPECT_EQ(Query("SELECT MEMAC002 FROM TB_MEMAC WHERE MEMAC001 IN ('A1','A2') ORDER BY MEMAC001"),
              (Codes{"甲级", "乙级"}));
}

TEST_F(ClerkViewSort, ASearchKeepsTheOrderAndTheCurrentRowFollowsTheClerk) {
    Open();
    ClickHeader(kLower);
    ClickHeader(kLower);
    EXPECT_EQ(Shown(), (Codes{"06", "05", "04", "03", "02", "01"}));
    EXPECT_EQ(CurrentRow(), 5) << "the current row stays current: 01, shown last";
    Key(Qt::Key_Home, Qt::ControlModifier);
    Key(Qt::Key_Down);
    Key(Qt::Key_F2);
    Type("X5");
    Key(Qt::Key_Down);
    EXPECT_EQ(Cell(1, kCode), "X5") << "the row typed into is the one shown";
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Query("SELECT MEMAC001 FROM TB_MEMAC WHERE MEMAC003=20000"), Codes{"X5"});
    Key(Qt::Key_F3);
    EXPECT_EQ(Shown(), (Codes{"06", "X5", "04", "03", "02", "01"}));
    ClickHeader(kLower);
    EXPECT_EQ(Shown(), (Codes{"01", "02", "03", "04", "06", "X5"})) << "the store's order, by code";
    EXPECT_FALSE(Grid()->horizontalHeader()->isSortIndicatorShown());
}

TEST_F(ClerkViewSort, TheToolbarWalksTheRowsAsShown) {
    Open();
    ClickHeader(kLower);
    ClickHeader(kLower);
    ASSERT_EQ(Shown(), (Codes{"06", "05", "04", "03", "02", "01"}));
    const struct {
        const char* Button;
        int Row;
    } steps[] = {{"首条", 0}, {"下条", 1}, {"下条", 2}, {"上条", 1}, {"末条", 5}, {"下条", 5}, {"上条", 4}};
    for (const auto& step : steps) {
        ClickToolbar(step.Button);
        EXPECT_EQ(CurrentRow(), step.Row) << step.Button;
    }
    ClickToolbar("修改");
    Type("Y2");
    ClickToolbar("首条");
    EXPECT_EQ(Cell(4, kCode), "Y2") << "the row walked to is the row typed into";
    EXPECT_EQ(CurrentRow(), 0);
}

TEST_F(ClerkViewSort, ScriptStepsSortFilterAndCheckTheOrder) {
    Open();
    const auto steps = ParseScript("sort MEMAC003 desc\n"
                                   "expect-order MEMAC001 06,05,04\n"
                                   "filter 中\n"
                                   "expect-rows 3\n"
                                   "expect-order MEMAC001 04,03,02\n"
                                   "filter\n"
                                   "expect-rows 6\n"
                                   "sort MEMAC003 none\n"
                                   "expect-order MEMAC001 01,02,03,04,05,06\n");
    std::ostringstream log;
    ScriptRunner runner(*Window, &Boxes, log);
    EXPECT_TRUE(runner.Run(steps)) << log.str();
    const auto wrong = ParseScript("sort MEMAC003 asc\nexpect-order MEMAC001 02,01\n");
    EXPECT_FALSE(runner.Run(wrong));
    EXPECT_NE(log.str().find("MEMAC001 shows 01,02 from the first row"), std::string::npos) << log.str();
}

} // namespace
} // namespace qm::host::testing
