// What the income-level form does to its widgets when nobody asks: an idle form paints nothing,
// and the checks before a save walk the table without moving the grid.
#include <gtest/gtest.h>

#include <QEvent>
#include <QItemSelectionModel>
#include <chrono>
#include <map>
#include <thread>

#include "dataset/mem_table.h"
#include "dialog/dialog_api.h"
#include "grid/db_grid.h"
#include "modules/tarn204/dm/tarn204_dm.h"
#include "modules/tarn204/tarn204_form.h"
#include "tests/framework/fake_host.h"

namespace qm::test {
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
    return FakeHost::Answer(0, "", body + "</rs>");
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

class FormQuietTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::string(QM_TEST_BIN_DIR) + "/";
        ASSERT_TRUE(dialog.Load(folder));
        dialog.ClearQueue();
        dialog.SetStrict(1);
        context.UserName = SysAllocStringUtf8("u002");
        context.UserGroup = SysAllocStringUtf8("g01");
        context.AppPath = SysAllocStringUtf8(folder);
        colors.ShowTitle = 1;
        colors.TitleColor = 0x123456;
        colors.FormColor = 0x654321;
        colors.PanelColor = 0x00FF0000;
        host.Registers.push_back(
            "<quelmar><status><code>0</code></status><rs typ=\"integer\">7</rs></quelmar>");
        form = TfrmChildBase::Create<TfrmTarn204>(host.Parent.get());
        form->SetFormId(form->Handle());
        SendMessage(form->Handle(), WM_QM_CONTEXT, reinterpret_cast<WPARAM>(&context),
                    reinterpret_cast<LPARAM>("MEM:TB_MEMAC"));
        SendMessage(form->Handle(), WM_QM_COLORS, reinterpret_cast<WPARAM>(&colors), 0);
        form->show();
        Pump();
    }
    void TearDown() override {
        qApp->removeEventFilter(&counter);
        delete form;
        for (BSTR s : {context.UserName, context.UserGroup, context.AppPath})
            SysFreeString(s);
        EXPECT_EQ(dialog.PendingAnswers(), 0);
        dialog.SetStrict(0);
        dialog.ClearQueue();
    }
    void Search(int rows) {
        host.Searches.push_back(SearchAnswer(rows));
        form->RunBaseCommand(4);
        Pump();
    }

    std::string folder;
    qm::dialog::DialogApi dialog;
    THostContext context{};
    THostColors colors{};
    FakeHost host;
    TfrmTarn204* form = nullptr;
    EventCounter counter;
};

TEST_F(FormQuietTest, SettledFormPaintsNothingMore) {
    Search(20);
    Pump(20); // settle: the first paints, layouts and posted activation
    qApp->installEventFilter(&counter);
    Pump(50);
    for (const auto& [object, paints] : counter.Paints)
        EXPECT_LE(paints, 1) << object->objectName().toStdString() << " "
                             << object->metaObject()->className();
}

TEST_F(FormQuietTest, ChecksBeforeASaveLeaveTheGridAlone) {
    Search(5000);
    TQmDBGrid* grid = form->dbgrdMain;
    TMemTable& main = *form->Dm()->mtblMain;
    // The clerk types into the grid: a moved current row would open an editor there.
    host.Parent->activateWindow();
    form->RunBaseCommand(0);
    grid->setFocus();
    main.FieldByName("MEMAC001")->SetAsString("NEW");
    main.FieldByName("MEMAC002")->SetAsString("Top");
    Pump();

    int rowChanges = 0;
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, [&] { ++rowChanges; });
    counter.Watched = grid->viewport();
    qApp->installEventFilter(&counter);
    int editorsAtSend = -1, rowChangesAtSend = -1;
    host.OnExecute = [&] {
        editorsAtSend = counter.Children;
        rowChangesAtSend = rowChanges;
    };
    host.Executes.push_back(FakeHost::Answer(
        0, "",
        "<rs typ=\"recordset\" tbname=\"TB_MEMAC\"><k tbname=\"TB_MEMAC\" rn=\"5001\" id=\"9001\"/></rs>"));
    dialog.QueueAnswer(1);
    form->RunBaseCommand(3);

    ASSERT_EQ(host.Of(WM_QM_EXECUTE).size(), 1u);
    EXPECT_EQ(editorsAtSend, 0);
    EXPECT_EQ(rowChangesAtSend, 0);
    // The table and the grid still agree on the row afterwards, and the key came back.
    EXPECT_EQ(form->EditState(), esBrowse);
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
    TMemTable& main = *form->Dm()->mtblMain;
    main.Last(); // the cancel looks for this row's key after all the others
    Pump();
    gInnerPump = CurrentPump();
    SetPump(&SlowPump);
    gTurns = 0;
    form->RunBaseCommand(1);
    const int updateTurns = gTurns;
    main.Edit();
    main.FieldByName("MEMAC002")->SetAsString("changed");
    main.Post();
    dialog.QueueAnswer(6); // discard the change
    gTurns = 0;
    form->RunBaseCommand(5);
    const int cancelTurns = gTurns;
    SetPump(gInnerPump);

    // A pump is due every 256 rows at most; the first may fall just after one run before.
    EXPECT_GE(updateTurns, kRows / 256 / 2);
    EXPECT_GE(cancelTurns, kRows / 256 / 2);
    EXPECT_TRUE(gInputHeldBack);
    EXPECT_EQ(form->EditState(), esBrowse);
    EXPECT_EQ(main.RecordCount(), kRows);
    EXPECT_EQ(main.ChangeCount(), 0);
    EXPECT_EQ(main.RecNo(), kRows);
    EXPECT_EQ(main.FieldByName("MEMAC002")->AsString(), "L5000");
    Pump();
    EXPECT_EQ(form->dbgrdMain->currentIndex().row() + 1, main.RecNo());
}

} // namespace
} // namespace qm::test
