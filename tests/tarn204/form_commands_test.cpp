// The income-level form's commands as a host drives them, through the built module and through
// the same form compiled into the test.
#include "tests/tarn204/form_session.h"

#include <QApplication>
#include <QKeyEvent>

namespace qm::testing {
namespace {

class Commands : public FormSession, public ::testing::WithParamInterface<Hosting> {
protected:
    Commands() { hosting = GetParam(); }
};
INSTANTIATE_TEST_SUITE_P(Hosts, Commands, ::testing::Values(Hosting::Module, Hosting::InProcess),
                         HostingName);

const Box kSaved{"保存成功！", 1};

TEST_P(Commands, NewThenSaveChecksValuesBeforeSending) {
    struct Case {
        const char* code;
        const char* name;
        Box box;
    } cases[] = {
        {"04", nullptr, {"[收入等级名称] 不得为空！", 1}},
        {"   ", "Upper", {"[收入等级代码] 不得为空！", 1}}, // spaces only count as empty
        {"02", "Upper", {"[收入等级代码] 不得有重复值！", 1}},
        {" 02 ", "Upper", {"[收入等级代码] 不得有重复值！", 1}},
    };
    for (const Case& c : cases) {
        Run("new");
        EXPECT_TRUE(Writable());
        FillNewRow(3, c.code, c.name, "10000", "99999");
        Queue({1});
        Run("save");
        EXPECT_EQ(Boxes(), std::vector<Box>{c.box}) << c.code;
        EXPECT_TRUE(Executes().empty());
        EXPECT_TRUE(Writable()); // left in the edit state for a correction
        if (Inside()) {
            EXPECT_EQ(Inside()->EditState(), esEdit);
        }
        Queue({6});
        Run("search"); // back to the host's rows, once the clerk agreed to drop the new one
        EXPECT_EQ(Boxes(), (std::vector<Box>{{"有未保存的修改，确定放弃吗？", 0x104}}));
        EXPECT_EQ(Rows(), 3);
    }
    // Valid values: sent, the host's key written back, and back to browsing.
    Run("new");
    FillNewRow(3, "04", "Upper", "10000", "99999");
    host.ExecuteAnswer = Answer(0, "",
                                "<rs typ=\"recordset\" tbname=\"TB_MEMAC\">"
                                "<k tbname=\"TB_MEMAC\" rn=\"4\" id=\"13\"/></rs>");
    Queue({1});
    Run("save");
    EXPECT_EQ(Boxes(), std::vector<Box>{kSaved});
    const auto sent = Executes();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].FuncId, 7);
    EXPECT_EQ(sent[0].SystemCode, "MEM");
    EXPECT_EQ(sent[0].ActionName, "singleRecordSet");
    EXPECT_NE(sent[0].RequestXml.find("op=\"1\""), std::string::npos);
    EXPECT_EQ(Cell(3, "MEMAC_ID"), "13");
    EXPECT_FALSE(Writable());
    EXPECT_TRUE(Statuses().empty());
    if (Inside()) {
        EXPECT_EQ(Main().ChangeCount(), 0);
    }
}

// The edit state can repeat a code as well as a new row can: the same check runs before sending.
TEST_P(Commands, SaveInTheEditStateRunsTheUniqueCheck) {
    Run("update");
    EXPECT_TRUE(SetCell(1, "MEMAC001", "01"));
    Queue({1});
    Run("save");
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"[收入等级代码] 不得有重复值！", 1}}));
    EXPECT_TRUE(Executes().empty());
}

TEST_P(Commands, RefusedCommandsChangeNothing) {
    Run("update");
    Queue({1, 1});
    Run("new");
    Run("delete");
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"编辑状态无法新增记录！", 1}, {"编辑状态无法删除记录！", 1}}));
    EXPECT_EQ(Rows(), 3);
    Run("cancel");
    Queue({1});
    Run("save");
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"浏览状态无法保存记录！", 1}}));
    EXPECT_TRUE(Executes().empty());
}

TEST_P(Commands, UpdateThenCancelRestoresTheRow) {
    Run("update");
    EXPECT_TRUE(Writable());
    EXPECT_TRUE(SetCell(0, "MEMAC002", "Lowest"));
    EXPECT_EQ(Cell(0, "MEMAC002"), "Lowest");
    Run("cancel");
    EXPECT_EQ(Cell(0, "MEMAC002"), "Low");
    EXPECT_FALSE(Writable());
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(Executes().empty());
}

TEST_P(Commands, DeleteAskedConfirmedRefusedAndRefusedByTheHost) {
    // The user says no: nothing happens.
    Queue({7});
    Run("delete");
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"您确定要删除该笔数据吗？", 0x104}}));
    EXPECT_EQ(Rows(), 3);
    EXPECT_TRUE(Executes().empty());

    // The host refuses: reported, and the row is back where it was.
    host.ExecuteAnswer = Answer(3, "记录已被引用");
    Queue({6});
    Run("delete");
    EXPECT_EQ(Statuses(), std::vector<std::string>{"记录已被引用"});
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(Cell(0, "MEMAC_ID"), "10");
    EXPECT_EQ(Cell(0, "MEMAC001"), "01");
    if (TfrmTarn204* f = Inside()) {
        EXPECT_EQ(Main().ChangeCount(), 0);
        EXPECT_EQ(f->Dm()->mtblMainDelta->RecordCount(), 0); // not sent again
        EXPECT_TRUE(f->Protocol()->DeleteMode);
    }
    auto sent = Executes();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_NE(sent[0].RequestXml.find("op=\"2\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"10\""), std::string::npos)
        << sent[0].RequestXml;
    Boxes();

    // Confirmed and accepted: only this deletion goes.
    host.ExecuteAnswer = Answer(0);
    Queue({6, 1});
    Run("delete");
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"您确定要删除该笔数据吗？", 0x104}, {"删除成功！", 1}}));
    sent = Executes();
    ASSERT_EQ(sent.size(), 1u);
    const std::string& request = sent[0].RequestXml;
    EXPECT_NE(request.find("op=\"2\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"10\""), std::string::npos) << request;
    EXPECT_EQ(request.find("op=\"2\"", request.find("op=\"2\"") + 1), std::string::npos) << request;
    EXPECT_EQ(Rows(), 2);
    EXPECT_FALSE(Writable());
    if (TfrmTarn204* f = Inside()) {
        EXPECT_EQ(f->Dm()->mtblMainDelta->RecordCount(), 0);
    }

    // Accepted deletions are forgotten: the next save sends none.
    Run("update");
    Queue({1});
    Run("save");
    Boxes();
    sent = Executes();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].RequestXml.find("op=\"2\""), std::string::npos);
}

TEST_P(Commands, SearchWhileEditingReplacesTheRows) {
    Run("update");
    EXPECT_TRUE(SetCell(0, "MEMAC002", "Lowest"));
    host.SearchAnswer = SearchAnswer(MemacRow(20, "09", "Only", 1, 2));
    const Box question{"有未保存的修改，确定放弃吗？", 0x104};
    Queue({7}); // keep the change: nothing is searched
    Run("search");
    EXPECT_EQ(Boxes(), std::vector<Box>{question});
    EXPECT_TRUE(Executes().empty());
    EXPECT_EQ(Cell(0, "MEMAC002"), "Lowest");
    EXPECT_TRUE(Writable());
    Queue({6});
    Run("search");
    EXPECT_EQ(Boxes(), std::vector<Box>{question});
    EXPECT_EQ(Rows(), 1);
    if (Inside()) {
        EXPECT_EQ(Main().ChangeCount(), 0);
    }
    EXPECT_EQ(Cell(0, "MEMAC001"), "09");
    EXPECT_FALSE(Writable());
    // A refused or unreadable search keeps the rows and says why.
    host.SearchAnswer = Answer(2, "无权查询");
    Run("search");
    host.SearchAnswer = "<quelmar>";
    Run("search");
    host.SearchAnswer = "<quelmar><status><code>2</code></status></quelmar>";
    Run("search");
    EXPECT_EQ(Statuses(),
              (std::vector<std::string>{"无权查询", "主机应答无法读取！", "主机拒绝了请求（代码 2）"}));
    EXPECT_EQ(Rows(), 1);
}

TEST_P(Commands, CloseWhileEditingAsksFirst) {
    Run("update");
    Queue({7, 7});
    EXPECT_EQ(SendMessage(id, WM_QM_CANCLOSE, 0, 0), 1);
    EXPECT_EQ(SendMessage(id, WM_QM_CLOSE, 0, 0), 1);
    const Box question{"请保存或者取消后再退出当前窗体！\n（是：放弃未保存的修改并关闭；否：回到窗体）",
                       0x104};
    EXPECT_EQ(Boxes(), (std::vector<Box>{question, question}));
    EXPECT_FALSE(WidgetOfHandle(id)->isHidden());
    EXPECT_TRUE(host.MessagesOf(WM_QM_RELEASE).empty());

    Queue({6});
    EXPECT_EQ(SendMessage(id, WM_QM_CLOSE, 0, 0), 0);
    EXPECT_EQ(Boxes(), std::vector<Box>{question});
    EXPECT_TRUE(WidgetOfHandle(id)->isHidden());
    EXPECT_EQ(host.MessagesOf(WM_QM_RELEASE).size(), 1u);
    if (TfrmTarn204* f = Inside()) {
        EXPECT_TRUE(f->Closed());
        EXPECT_EQ(f->DataModule(), nullptr); // the data goes with the close
    }
    ASSERT_EQ(host.Requests().back().Msg, static_cast<unsigned>(WM_QM_RELEASE));
    EXPECT_EQ(host.Requests().back().FuncId, 7);
    EXPECT_EQ(host.Requests().back().SystemCode, "MEM");

    // A closed form stays closed: no command runs, no question comes.
    const std::size_t requests = host.Requests().size();
    Run("new");
    Run("save");
    EXPECT_EQ(SendMessage(id, WM_QM_CLOSE, 0, 0), 0);
    EXPECT_EQ(SendMessage(id, WM_QM_CANCLOSE, 0, 0), 0);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(host.Requests().size(), requests);
}

TEST_P(Commands, TheAnswersOwnCodeDecides) {
    const std::string keyThenBadRow = "<rs typ=\"recordset\" tbname=\"TB_MEMAC\"><k tbname=\"TB_MEMAC\" "
                                      "rn=\"4\" id=\"13\"/><r MEMAC_ID=\"1\"/></rs>";
    struct Case {
        std::string answer;
        const char* status; // null: saved
    } cases[] = {
        {Answer(3, "代码重复"), "代码重复"},
        // Each answer's info stands alone: one without shows its own code, not an earlier reason.
        {"<quelmar><status><code>5</code></status></quelmar>", "主机拒绝了请求（代码 5）"},
        {Answer(4, ""), "主机拒绝了请求（代码 4）"},
        {"<quelmar><status><info>x</info></status></quelmar>", "主机应答无法读取！"},
        {"<quelmar><status><code>zero</code></status></quelmar>", "主机应答无法读取！"},
        {"not xml", "主机应答无法读取！"},
        {"", "主机应答无法读取！"},
        // The host saved even though the rest of its answer cannot be read: the key read is used.
        {Answer(0, "", keyThenBadRow), nullptr},
    };
    Run("new");
    FillNewRow(3, "04", "Upper", "10000", "99999");
    for (const Case& c : cases) {
        host.ClearMessages();
        host.ExecuteAnswer = c.answer;
        if (!c.status) Queue({1});
        Run("save");
        ASSERT_EQ(Executes().size(), 1u) << c.answer;
        if (c.status) {
            EXPECT_EQ(Statuses(), std::vector<std::string>{c.status}) << c.answer;
            EXPECT_TRUE(Boxes().empty());
            EXPECT_TRUE(Writable()); // every change kept for another save
            EXPECT_EQ(Rows(), 4);
            EXPECT_EQ(Cell(3, "MEMAC001"), "04");
            if (Inside()) {
                EXPECT_EQ(Inside()->EditState(), esEdit);
                EXPECT_GT(Main().ChangeCount(), 0);
            }
        } else {
            EXPECT_TRUE(Statuses().empty());
            EXPECT_EQ(Boxes(), std::vector<Box>{kSaved});
            EXPECT_EQ(Cell(3, "MEMAC_ID"), "13");
            EXPECT_FALSE(Writable());
        }
    }
}

TEST_P(Commands, CancelDropsAPostedNewRowAfterAsking) {
    Run("new");
    FillNewRow(3, "04", "Upper", "10000", "99999");
    Run("firstrec"); // leaving the new row posts it
    const Box question{"将放弃 1 条未保存的修改，确定吗？", 0x104};
    Queue({7}); // no: nothing changes
    Run("cancel");
    EXPECT_EQ(Boxes(), std::vector<Box>{question});
    EXPECT_EQ(Rows(), 4);
    EXPECT_TRUE(Writable());
    if (Inside()) {
        EXPECT_EQ(Inside()->EditState(), esInsert);
    }
    Queue({6});
    Run("cancel");
    EXPECT_EQ(Boxes(), std::vector<Box>{question});
    EXPECT_EQ(Rows(), 3);
    EXPECT_FALSE(Writable());
    if (Inside()) {
        EXPECT_EQ(Main().ChangeCount(), 0);
    }
    // Nothing is left for a save to send.
    Run("update");
    host.ExecuteAnswer = Answer(0);
    Queue({1});
    Run("save");
    const auto sent = Executes();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].RequestXml.find("op=\"1\""), std::string::npos);
    Boxes();
    // Cancel right after new drops the new row without a question.
    Run("new");
    EXPECT_EQ(Rows(), 4);
    Run("cancel");
    EXPECT_EQ(Rows(), 3);
    EXPECT_TRUE(Boxes().empty());
}

TEST_P(Commands, RecordNavigationMovesTheCurrentRow) {
    struct Case {
        const char* command;
        int row;
    } cases[] = {{"lastrec", 2}, {"priorrec", 1}, {"firstrec", 0}, {"priorrec", 0}, {"nextrec", 1}};
    for (const Case& c : cases) {
        Run(c.command);
        EXPECT_EQ(grid->currentIndex().row(), c.row) << c.command;
        if (Inside()) {
            EXPECT_EQ(Main().RecNo(), c.row + 1) << c.command;
        }
    }
}

TEST_P(Commands, WhileASaveRunsCommandsAreIgnoredAndCloseIsRefused) {
    Run("update");
    EXPECT_TRUE(SetCell(0, "MEMAC002", "Lowest"));
    LRESULT closeAnswer = -1, canCloseAnswer = -1;
    host.DuringExecute = [&] {
        Run("save");
        Run("cancel");
        closeAnswer = SendMessage(id, WM_QM_CLOSE, 0, 0);
        canCloseAnswer = SendMessage(id, WM_QM_CANCLOSE, 0, 0);
    };
    host.ExecuteAnswer = Answer(0);
    Queue({1});
    Run("save");
    host.DuringExecute = nullptr;
    EXPECT_EQ(Executes().size(), 1u);
    EXPECT_EQ(Boxes(), std::vector<Box>{kSaved});
    EXPECT_EQ(closeAnswer, 1);
    EXPECT_EQ(canCloseAnswer, 1);
    EXPECT_FALSE(WidgetOfHandle(id)->isHidden());
    if (Inside()) {
        EXPECT_FALSE(Inside()->Closed());
    }
    EXPECT_EQ(Cell(0, "MEMAC002"), "Lowest");
}

TEST_P(Commands, BindingBuildsTheColumnsFromTheFieldList) {
    if (TfrmTarn204* f = Inside()) {
        EXPECT_EQ(f->FuncId(), 7);
        EXPECT_EQ(f->EditState(), esBrowse);
        for (TMemTable* t : {f->Dm()->mtblMain, f->Dm()->mtblMainDelta}) {
            EXPECT_EQ(t->QmTableName, "TB_MEMAC");
            EXPECT_EQ(t->PKName, "MEMAC_ID");
            EXPECT_EQ(t->FKName, "");
        }
    }
    ASSERT_EQ(model()->columnCount(), 11);
    std::vector<std::string> visible;
    for (int c = 0; c < 11; ++c)
        if (!grid->isColumnHidden(c))
            visible.push_back(model()->headerData(c, Qt::Horizontal).toString().toStdString());
    EXPECT_EQ(visible, (std::vector<std::string>{"收入等级代码", "收入等级名称", "收入下限", "收入上限"}));
    const int key = Column("MEMAC_ID");
    EXPECT_TRUE(grid->isColumnHidden(key));
    EXPECT_EQ(model()->data(model()->index(0, key), Qt::BackgroundRole).value<QColor>(),
              QColor(0xC0, 0xDC, 0xC0));
    EXPECT_NE(model()->data(model()->index(0, Column("MEMAC001")), Qt::BackgroundRole).value<QColor>(),
              QColor(0xC0, 0xDC, 0xC0));
}

TEST_P(Commands, GridDeleteKeyAsksThroughTheBoxService) {
    Run("update");
    Queue({6});
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::ControlModifier);
    QApplication::sendEvent(grid, &press);
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"确定删除当前记录吗？", 0x104}}));
    EXPECT_EQ(Rows(), 2);
}

} // namespace
} // namespace qm::testing
