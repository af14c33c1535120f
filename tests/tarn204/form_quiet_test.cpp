// What the income-level form does to its widgets when nobody asks: an idle form paints nothing,
// and the checks before a save walk the table without moving the grid.
#include "tests/tarn204/form_session.h"

#include <QApplication>
#include <QEvent>
#include <QItemSelectionModel>
#include <chrono>
#include <map>
#include <thread>

#include "grid/db_grid.h"

namespace qm::testing {
namespace {

std::string SearchAnswer(int rows) {
    std::string body =
        "<rs typ=\"recordset\" tbname=\"TB_MEMAC\" fields=\"MEMAC_ID:NUMBER:22:0 MEMAC001:VARCHAR2:4 "
        "MEMAC002:VARCHAR2:30 MEMAC003:NUMBER:12:0 MEMAC004:NUMBER:12:0 FLAG:NUMBER:1:0\">";
    for (int i = 1; i <= rows; ++i) {
        const std::string n = std::to_string(i);
        body += "<r MEMAC_ID=\"" + n + "\" MEMAC001=\"" + n + "\" MEMAC002=\"L" + n + "\" MEMAC003=\"" + n +
                "\" MEMAC004=\"" + n + "\" FLAG=\"0\"/>";
    }
    return Answer(0, "", body + "</rs>");
}

// Lets posted messages and Qt events run.
void Pump(int rounds = 3) {
    for (int i = 0; i < rounds; ++i) {
        DeliverPostedMessages();
        QApplication::processEvents();
    }
}

// Counts paint events per widget and children added under one widget (editors open that way).
class EventCounter : public QObject {
public:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++Paints[object];
        if (event->type() == QEvent::ChildAdded && object == Watched) ++Children;
        return false;
    }
    std::map<QObject*, int> Paints;
    QObject* Watched = nullptr;
    int Children = 0;
};

// The form compiled in, so that the test can watch its table and grid.
class FormQuietTest : public FormSession {
protected:
    FormQuietTest() { hosting = Hosting::InProcess; }
    void TearDown() override {
        qApp->removeEventFilter(&counter);
        FormSession::TearDown();
    }
    void Search(int rows) {
        host.SearchAnswer = SearchAnswer(rows);
        Run("search");
        Pump();
    }

    EventCounter counter;
};

TEST_F(FormQuietTest, SettledFormPaintsNothingMore) {
    Search(20);
    ASSERT_TRUE(WidgetOfHandle(id)->isVisible()); // else nothing would paint at all
    Pump(20);                                     // settle: the first paints, layouts and posted activation
    qApp->installEventFilter(&counter);
    Pump(50);
    for (const auto& [object, paints] : counter.Paints)
        EXPECT_LE(paints, 1) << object->objectName().toStdString() << " "
                             << object->metaObject()->className();
}

TEST_F(FormQuietTest, ChecksBeforeASaveLeaveTheGridAlone) {
    Search(5000);
    TQmDBGrid* grid = Inside()->dbgrdMain;
    TMemTable& main = Main();
    // The clerk types into the grid: a moved current row would open an editor there.
    host.MainWindow()->activateWindow();
    Run("new");
    grid->setFocus();
    main.FieldByName("MEMAC001")->SetAsString("NEW");
    main.FieldByName("MEMAC002")->SetAsString("Top");
    Pump();

    int rowChanges = 0;
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, [&] { ++rowChanges; });
    counter.Watched = grid->viewport();
    qApp->installEventFilter(&counter);
    int editorsAtSend = -1, rowChangesAtSend = -1;
    host.DuringExecute = [&] {
        editorsAtSend = counter.Children;
        rowChangesAtSend = rowChanges;
    };
    host.ExecuteAnswer = Answer(
        0, "",
        "<rs typ=\"recordset\" tbname=\"TB_MEMAC\"><k tbname=\"TB_MEMAC\" rn=\"5001\" id=\"9001\"/></rs>");
    Queue({1});
    Run("save");
    host.DuringExecute = nullptr;

    ASSERT_EQ(Executes().size(), 1u);
    EXPECT_EQ(editorsAtSend, 0);
    EXPECT_EQ(rowChangesAtSend, 0);
    // The table and the grid still agree on the row afterwards, and the key came back.
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"保存成功！", 1}}));
    EXPECT_EQ(Inside()->EditState(), esBrowse);
    EXPECT_EQ(main.RecordCount(), 5001);
    EXPECT_EQ(grid->currentIndex().row() + 1, main.RecNo());
    main.Last();
    EXPECT_EQ(main.FieldByName("MEMAC_ID")->AsInteger(), 9001);
}

// Every turn of this pump lasts long enough for the next due check to pump again, so a walk that
// lets messages run turns it once every few hundred rows.
int gTurns = 0;
bool gInputHeldBack = true;
PumpFunction gInnerPump = nullptr;
void SlowPump() {
    ++gTurns;
    gInputHeldBack = gInputHeldBack && OperationRunning();
    std::this_thread::sleep_for(std::chrono::milliseconds(6));
    if (gInnerPump) gInnerPump();
}

// 修改 remembers the accepted rows and 取消 puts them back and finds the current row again: both
// go over every row, letting messages run with user input held back, and the form ends as it was.
TEST_F(FormQuietTest, UpdateAndCancelLetMessagesRunOverALargeTable) {
    constexpr int kRows = 5000;
    Search(kRows);
    TMemTable& main = Main();
    main.Last(); // the cancel looks for this row's key after all the others
    Pump();
    gInnerPump = CurrentPump();
    SetPump(&SlowPump);
    gTurns = 0;
    Run("update");
    const int updateTurns = gTurns;
    main.Edit();
    main.FieldByName("MEMAC002")->SetAsString("changed");
    main.Post();
    Queue({6}); // discard the change
    gTurns = 0;
    Run("cancel");
    const int cancelTurns = gTurns;
    SetPump(gInnerPump);

    // A pump is due every 256 rows at most; the first may fall just after one run before.
    EXPECT_GE(updateTurns, kRows / 256 / 2);
    EXPECT_GE(cancelTurns, kRows / 256 / 2);
    EXPECT_TRUE(gInputHeldBack);
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Inside()->EditState(), esBrowse);
    EXPECT_EQ(main.RecordCount(), kRows);
    EXPECT_EQ(main.ChangeCount(), 0);
    EXPECT_EQ(main.RecNo(), kRows);
    EXPECT_EQ(main.FieldByName("MEMAC002")->AsString(), "L5000");
    Pump();
    EXPECT_EQ(grid->currentIndex().row() + 1, main.RecNo());
}

} // namespace
} // namespace qm::testing
