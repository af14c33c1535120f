// The income-level form's commands with a recording host and queued message-box answers.
#include <gtest/gtest.h>

#include "controls/flat_panel.h"
#include "dataset/mem_table.h"
#include "dialog/dialog_api.h"
#include "grid/db_grid.h"
#include "modules/tarn204/dm/tarn204_dm.h"
#include "modules/tarn204/tarn204_form.h"
#include "protocol/qm_protocol.h"
#include "tests/framework/fake_host.h"

namespace qm::test {
namespace {

const std::string kSearch = FakeHost::Answer(
    0, "",
    "<rs typ=\"recordset\" tbname=\"TB_MEMAC\" fields=\"MEMAC_ID:NUMBER:22:0 MEMAC001:VARCHAR2:4 "
    "MEMAC002:VARCHAR2:30 MEMAC003:NUMBER:12:0 MEMAC004:NUMBER:12:0 CREATE_USER:VARCHAR2:12 "
    "USER_GROUP:VARCHAR2:12 CREATE_DATE:DATE:7 MODIFIER:VARCHAR2:12 MODI_DATE:DATE:7 FLAG:NUMBER:1:0\">"
    "<r MEMAC_ID=\"10\" MEMAC001=\"01\" MEMAC002=\"Low\" MEMAC003=\"0\" MEMAC004=\"2999\" "
    "CREATE_USER=\"u001\" "
    "USER_GROUP=\"g01\" CREATE_DATE=\"2008-06-02 00:00:00\" FLAG=\"0\"/></rs>");

class Tarn204FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::string(QM_TEST_BIN_DIR) + "/";
        ASSERT_TRUE(dialog.Load(folder));
        dialog.ClearQueue();
        dialog.SetStrict(1);
        context.UserName = SysAllocStringUtf8("u002");
        context.UserGroup = SysAllocStringUtf8("g01");
        context.AppPath = SysAllocStringUtf8(folder);
        host.Registers.push_back(
            "<quelmar><status><code>0</code></status><rs typ=\"integer\">7</rs></quelmar>");
        form = TfrmChildBase::Create<TfrmTarn204>(host.Parent.get());
        form->SetFormId(form->Handle());
        SendMessage(form->Handle(), WM_QM_CONTEXT, reinterpret_cast<WPARAM>(&context),
                    reinterpret_cast<LPARAM>("MEM:TB_MEMAC"));
        form->show();
        Pump();
        host.Searches.push_back(kSearch);
        form->RunBaseCommand(4);
        host.Log.clear();
    }
    void TearDown() override {
        delete form;
        for (BSTR s : {context.UserName, context.UserGroup, context.AppPath})
            SysFreeString(s);
        EXPECT_EQ(dialog.PendingAnswers(), 0);
        dialog.SetStrict(0);
        dialog.ClearQueue();
    }
    std::vector<std::string> Boxes() {
        std::vector<std::string> out;
        for (int i = seenBoxes; i < dialog.CallCount(); ++i)
            out.push_back(dialog.CallText(i));
        seenBoxes = dialog.CallCount();
        return out;
    }
    TMemTable& Main() { return *form->Dm()->mtblMain; }
    void NewRow(const char* code, const char* name) {
        form->RunBaseCommand(0);
        if (code) Main().FieldByName("MEMAC001")->SetAsString(code);
        if (name) Main().FieldByName("MEMAC002")->SetAsString(name);
    }

    std::string folder;
    qm::dialog::DialogApi dialog;
    THostContext context{};
    FakeHost host;
    TfrmTarn204* form = nullptr;
    int seenBoxes = 0;
};

TEST_F(Tarn204FormTest, ActivationRegistersAndSearchLoads) {
    EXPECT_EQ(form->FuncId(), 7);
    EXPECT_EQ(form->EditState(), esBrowse);
    EXPECT_EQ(Main().RecordCount(), 1);
    EXPECT_EQ(Main().QmTableName, "TB_MEMAC");
    EXPECT_EQ(Main().PKName, "MEMAC_ID");
    EXPECT_EQ(Main().FKName, "");
    EXPECT_EQ(form->Dm()->mtblMainDelta->QmTableName, "TB_MEMAC");
    EXPECT_EQ(form->Dm()->mtblMainDelta->PKName, "MEMAC_ID");
    EXPECT_EQ(form->Dm()->mtblMainDelta->FKName, "");
}

TEST_F(Tarn204FormTest, SaveChecksThenSends) {
    Boxes();
    struct Case {
        const char* code;
        const char* name;
        const char* box;
    } cases[] = {
        {"02", nullptr, "[收入等级名称] 不得为空！"},
        {"  ", "Mid", "[收入等级代码] 不得为空！"},
        {"01", "Mid", "[收入等级代码] 不得有重复值！"},
    };
    for (const Case& c : cases) {
        NewRow(c.code, c.name);
        dialog.QueueAnswer(1);
        form->RunBaseCommand(3);
        EXPECT_EQ(Boxes(), std::vector<std::string>{c.box});
        EXPECT_EQ(form->EditState(), esEdit);
        EXPECT_TRUE(host.Of(WM_QM_EXECUTE).empty());
        // A search asks before it drops the unsaved row, then puts the table back as the host has it.
        host.Searches.push_back(kSearch);
        dialog.QueueAnswer(6);
        form->RunBaseCommand(4);
        EXPECT_EQ(Boxes(), std::vector<std::string>{"有未保存的修改，确定放弃吗？"});
        EXPECT_EQ(Main().RecordCount(), 1);
    }
}

TEST_F(Tarn204FormTest, AcceptedSaveAppliesKeysAndBrowses) {
    NewRow("02", "Mid");
    host.Executes.push_back(FakeHost::Answer(
        0, "", "<rs typ=\"recordset\" tbname=\"TB_MEMAC\"><k tbname=\"TB_MEMAC\" rn=\"2\" id=\"11\"/></rs>"));
    dialog.QueueAnswer(1);
    form->RunBaseCommand(3);
    EXPECT_EQ(Boxes().back(), "保存成功！");
    ASSERT_EQ(host.Of(WM_QM_EXECUTE).size(), 1u);
    EXPECT_EQ(form->EditState(), esBrowse);
    Main().Last();
    EXPECT_EQ(Main().FieldByName("MEMAC_ID")->AsInteger(), 11);
    EXPECT_EQ(Main().ChangeCount(), 0);
}

TEST_F(Tarn204FormTest, RefusedOrUnreadableAnswersKeepTheChanges) {
    struct Case {
        std::string answer;
        const char* status;
    } cases[] = {
        {FakeHost::Answer(3, "重复"), "重复"},
        {"<quelmar><status><info>x</info></status></quelmar>", "主机应答无法读取！"},
        {"not xml", "主机应答无法读取！"},
        {"", "主机应答无法读取！"},
    };
    NewRow("02", "Mid");
    for (const Case& c : cases) {
        host.Log.clear();
        host.Executes.push_back(c.answer);
        form->RunBaseCommand(3);
        EXPECT_EQ(host.Statuses(), std::vector<std::string>{c.status});
        EXPECT_EQ(form->EditState(), esEdit);
        EXPECT_EQ(Main().RecordCount(), 2);
        EXPECT_GT(Main().ChangeCount(), 0);
    }
}

// Each answer's info stands alone: a refusal without one shows its own code, never the reason an
// earlier answer gave.
TEST_F(Tarn204FormTest, ARefusalWithoutInfoShowsItsOwnCode) {
    struct Case {
        std::string answer;
        const char* status;
    } cases[] = {
        {FakeHost::Answer(3, "重复"), "重复"},
        {"<quelmar><status><code>5</code></status></quelmar>", "主机拒绝了请求（代码 5）"},
        {FakeHost::Answer(4, ""), "主机拒绝了请求（代码 4）"},
    };
    NewRow("02", "Mid");
    for (const Case& c : cases) {
        host.Log.clear();
        host.Executes.push_back(c.answer);
        form->RunBaseCommand(3);
        EXPECT_EQ(host.Statuses(), std::vector<std::string>{c.status}) << c.answer;
    }
    host.Log.clear();
    host.Searches.push_back("<quelmar><status><code>2</code></status></quelmar>");
    dialog.QueueAnswer(7); // keep the unsaved row: nothing is searched
    form->RunBaseCommand(4);
    EXPECT_TRUE(host.Statuses().empty());
    dialog.QueueAnswer(6);
    form->RunBaseCommand(4);
    EXPECT_EQ(host.Statuses(), std::vector<std::string>{"主机拒绝了请求（代码 2）"});
    EXPECT_EQ(Main().RecordCount(), 1); // the unsaved row is gone, the accepted one stays
    EXPECT_EQ(Main().ChangeCount(), 0);
}

TEST_F(Tarn204FormTest, DeleteConfirmedRefusedAndRefusedByHost) {
    dialog.QueueAnswer(7); // no
    form->RunBaseCommand(2);
    EXPECT_EQ(Main().RecordCount(), 1);
    EXPECT_TRUE(host.Of(WM_QM_EXECUTE).empty());

    // Refused by the host: reported, and the row is back, unchanged and not sent again.
    dialog.QueueAnswer(6);
    host.Executes.push_back(FakeHost::Answer(3, "被引用"));
    form->RunBaseCommand(2);
    EXPECT_EQ(host.Statuses(), std::vector<std::string>{"被引用"});
    EXPECT_EQ(Main().RecordCount(), 1);
    EXPECT_EQ(Main().ChangeCount(), 0);
    EXPECT_EQ(Main().FieldByName("MEMAC001")->AsString(), "01");
    EXPECT_EQ(form->Dm()->mtblMainDelta->RecordCount(), 0);
    EXPECT_TRUE(form->Protocol()->DeleteMode);

    Boxes();
    dialog.QueueAnswer(6);
    dialog.QueueAnswer(1);
    host.Executes.push_back(FakeHost::Answer(0));
    form->RunBaseCommand(2);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"您确定要删除该笔数据吗？", "删除成功！"}));
    EXPECT_EQ(form->Dm()->mtblMainDelta->RecordCount(), 0);
    EXPECT_EQ(form->EditState(), esBrowse);
}

TEST_F(Tarn204FormTest, CancelDropsAPostedNewRowAfterAsking) {
    NewRow("02", "Mid");
    Main().Post();
    Main().First(); // the new row was posted and left
    dialog.QueueAnswer(7);
    form->RunBaseCommand(5);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"将放弃 1 条未保存的修改，确定吗？"});
    EXPECT_EQ(Main().RecordCount(), 2); // no: nothing changes
    EXPECT_EQ(form->EditState(), esInsert);
    dialog.QueueAnswer(6);
    form->RunBaseCommand(5);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"将放弃 1 条未保存的修改，确定吗？"});
    EXPECT_EQ(Main().RecordCount(), 1);
    EXPECT_EQ(Main().ChangeCount(), 0);
    EXPECT_EQ(form->EditState(), esBrowse);
    NewRow("03", "Top");
    form->RunBaseCommand(5); // only the row still being inserted: dropped without a question
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Main().RecordCount(), 1);
}

TEST_F(Tarn204FormTest, CloseWhileEditingAsks) {
    form->RunBaseCommand(1);
    dialog.QueueAnswer(7);
    EXPECT_EQ(SendMessage(form->Handle(), WM_QM_CLOSE, 0, 0), 1);
    EXPECT_FALSE(form->Closed());
    dialog.QueueAnswer(6);
    host.Releases.push_back(FakeHost::Answer(0));
    EXPECT_EQ(SendMessage(form->Handle(), WM_QM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(form->Closed());
    EXPECT_EQ(form->DataModule(), nullptr);
    EXPECT_EQ(host.Of(WM_QM_RELEASE).size(), 1u);
}

TEST_F(Tarn204FormTest, SecondSaveAndCloseDuringASaveDoNothing) {
    NewRow("02", "Mid");
    LRESULT closeAnswer = -1;
    host.OnExecute = [&] {
        form->RunBaseCommand(3);
        closeAnswer = SendMessage(form->Handle(), WM_QM_CLOSE, 0, 0);
    };
    host.Executes.push_back(FakeHost::Answer(0));
    dialog.QueueAnswer(1);
    form->RunBaseCommand(3);
    EXPECT_EQ(host.Of(WM_QM_EXECUTE).size(), 1u);
    EXPECT_EQ(closeAnswer, 1);
    EXPECT_FALSE(form->Closed());
}

TEST_F(Tarn204FormTest, RecordMovesFollowTheTable) {
    NewRow("02", "Mid");
    Main().Post();
    form->RunBaseCommand(5);
    form->RunBaseCommand(6);
    EXPECT_EQ(Main().RecNo(), 1);
    form->RunBaseCommand(9);
    EXPECT_EQ(Main().RecNo(), 2);
    form->RunBaseCommand(7);
    EXPECT_EQ(Main().RecNo(), 1);
    form->RunBaseCommand(8);
    EXPECT_EQ(Main().RecNo(), 2);
}

} // namespace
} // namespace qm::test

namespace qm::test {
namespace {

TEST_F(Tarn204FormTest, PanelColourReachesPanelAndFixedCellsOnly) {
    THostColors colors{};
    colors.ShowTitle = 1;
    colors.TitleColor = 0x123456;
    colors.FormColor = 0x654321;
    colors.PanelColor = 0x00FF0000;
    SendMessage(form->Handle(), WM_QM_COLORS, reinterpret_cast<WPARAM>(&colors), 0);
    EXPECT_EQ(form->pnlMain->Color(), 0x00FF0000u);
    EXPECT_FALSE(form->pnlMain->ParentColor());
    EXPECT_EQ(form->dbgrdMain->Style().FixedColor, 0x00FF0000u);
    EXPECT_EQ(form->dbgrdMain->Style().EvenRowColor, 16762052u);
    EXPECT_EQ(form->dbgrdMain->Style().OddRowColor, 16768477u);
    // The title text keeps its design colour; the rest of the title bar takes the host's.
    EXPECT_EQ(form->TitleBar()->pnlFormTileMid->Color(), 0xA56E3Au);
    EXPECT_EQ(form->TitleBar()->pnlFormTitleLeft->Color(), 0x123456u);
}

TEST_F(Tarn204FormTest, TitleTextDoesNotDragButDoubleClickToggles) {
    form->pnlFormTileMidMouseDown();
    EXPECT_FALSE(form->Dragging());
    const std::int32_t before = form->MaxToggle();
    form->TitleBar()->pnlFormTileMid->OnDblClick();
    EXPECT_NE(form->MaxToggle(), before);
    // Only the close button shows.
    EXPECT_TRUE(form->TitleBar()->pnlFormTitleMinBtn->isHidden());
    EXPECT_TRUE(form->TitleBar()->pnlFormTitleMaxBtn->isHidden());
    EXPECT_FALSE(form->TitleBar()->pnlFormTitleCloseBtn->isHidden());
}

} // namespace
} // namespace qm::test
