// A session with the income-level form: the test host shows it, hands it context and colours,
// answers its exchanges, and the real dialog.dll answers its boxes from a queue (strict: an
// unexpected box fails the test). The form is reached as a host reaches it: by messages, commands
// and its widgets, either in the built module loaded with dlopen or compiled into the test, where
// the test may also look inside it.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QPointer>
#include <QTableView>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "canvas/font.h"
#include "dataset/mem_table.h"
#include "modules/tarn204/dm/tarn204_dm.h"
#include "modules/tarn204/tarn204_form.h"
#include "platform/qt/qt_pump.h"
#include "plugin/globals.h"
#include "plugin/messages.h"
#include "protocol/qm_protocol.h"
#include "tests/tarn204/test_host.h"

namespace qm::testing {

// A status answer with an optional body after the status element.
inline std::string Answer(int code, const std::string& info = {}, const std::string& body = {}) {
    return "<?xml version=\"1.0\"?><quelmar><status><code>" + std::to_string(code) + "</code><info>" + info +
           "</info></status>" + body + "</quelmar>";
}

inline const char* kMemacFields =
    "MEMAC_ID:NUMBER:22:0 MEMAC001:VARCHAR2:4 MEMAC002:VARCHAR2:30 MEMAC003:NUMBER:12:0 MEMAC004:NUMBER:12:0 "
    "CREATE_USER:VARCHAR2:12 USER_GROUP:VARCHAR2:12 CREATE_DATE:DATE:7 MODIFIER:VARCHAR2:12 MODI_DATE:DATE:7 "
    "FLAG:NUMBER:1:0";

// One search-answer row of an income level created by u001 on 2 June 2008.
inline std::string MemacRow(int id, const char* code, const char* name, int low, int high) {
    return "<r MEMAC_ID=\"" + std::to_string(id) + "\" MEMAC001=\"" + code + "\" MEMAC002=\"" + name +
           "\" MEMAC003=\"" + std::to_string(low) + "\" MEMAC004=\"" + std::to_string(high) +
           "\" CREATE_USER=\"u001\" USER_GROUP=\"g01\" CREATE_DATE=\"2008-06-02 00:00:00\" FLAG=\"0\"/>";
}

inline std::string SearchAnswer(const std::string& rows) {
    return Answer(0, "",
                  "<rs typ=\"recordset\" tbname=\"TB_MEMAC\" fields=\"" + std::string(kMemacFields) + "\">" +
                      rows + "</rs>");
}

// Levels 10 "01" Low, 11 "02" Mid, 12 "03" High.
inline std::string ThreeLevels() {
    return SearchAnswer(MemacRow(10, "01", "Low", 0, 2999) + MemacRow(11, "02", "Mid", 3000, 5999) +
                        MemacRow(12, "03", "High", 6000, 9999));
}

struct Box {
    std::string Text;
    int Flags;
    bool operator==(const Box&) const = default;
};
inline void PrintTo(const Box& b, std::ostream* os) {
    *os << '{' << b.Text << ", " << b.Flags << '}';
}

// The test host with a hook that runs while the form waits for an execute answer.
class SessionHost : public TestHost {
public:
    std::function<void()> DuringExecute;
    LRESULT handleMessage(unsigned msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_QM_EXECUTE && DuringExecute) DuringExecute();
        return TestHost::handleMessage(msg, wParam, lParam);
    }
};

// Where the form the host shows comes from.
enum class Hosting {
    Module,    // the built libtarn204.so, loaded with dlopen as a foreign host loads it
    InProcess, // the same form compiled into the test, which may then look inside it
};
inline std::string HostingName(const ::testing::TestParamInfo<Hosting>& info) {
    return info.param == Hosting::Module ? "Module" : "InProcess";
}

class FormSession : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        ASSERT_TRUE(host.LoadDialog());
        dialog().ClearQueue();
        dialog().SetStrict(1);
        host.MainWindow()->show();
        host.SetContextTexts("u002", "g01", BinDir());
        host.RegisterAnswer = "<quelmar><status><code>0</code></status><rs typ=\"integer\">7</rs></quelmar>";
        host.ReleaseAnswer = Answer(0);
        if (hosting == Hosting::Module) {
            ASSERT_TRUE(host.LoadModule()) << LastLibraryError();
            id = host.ShowChildForm("收入等级");
        } else {
            id = ShowInProcess();
        }
        ASSERT_NE(id, 0u);
        host.SendContext(id, "MEM:TB_MEMAC");
        host.SendColors(id);
        DeliverPostedMessages(); // the first activation registers and enters the browse state
        grid = WidgetOfHandle(id)->findChild<QTableView*>();
        ASSERT_NE(grid, nullptr);
        host.SearchAnswer = ThreeLevels();
        Run("search");
        host.ClearMessages();
        seenRequests = host.Requests().size();
    }
    void TearDown() override {
        EXPECT_EQ(dialog().PendingAnswers(), 0);
        EXPECT_EQ(dialog().RunFailed(), 0) << "a box came that no answer was queued for";
        dialog().SetStrict(0);
        dialog().ClearQueue();
    }

    // What the module's ShowChildForm does, with the test's own copy of the form.
    std::uint32_t ShowInProcess() {
        SetHostWnd(host.Wnd());
        SetAppWnd(host.AppWnd());
        InstallQtPump();
        InstallFontSubstitutions();
        inside = TfrmChildBase::Create<TfrmTarn204>(nullptr);
        inside->SetParentWindow(host.ParentWnd());
        inside->SetCaption("收入等级");
        inside->SetWindowState(TWindowState::wsMaximized);
        inside->SetFormId(inside->Handle());
        inside->show();
        inside->AnnounceCommands();
        inside->AnnounceBaseCommands();
        return inside->Handle();
    }
    // The form itself where it runs in process; null through the module. Checks of its inner
    // state (the change log, the edit state) run only where it is at hand.
    TfrmTarn204* Inside() const { return inside; }
    TMemTable& Main() const { return *inside->Dm()->mtblMain; }

    dialog::DialogApi& dialog() { return host.Dialog(); }
    void Run(const std::string& command) { ASSERT_TRUE(host.ExecuteCommand(command)) << command; }
    void Queue(std::initializer_list<int> answers) {
        for (int a : answers)
            dialog().QueueAnswer(a);
    }
    // The boxes shown since the last call.
    std::vector<Box> Boxes() {
        std::vector<Box> out;
        for (; seenBoxes < dialog().CallCount(); ++seenBoxes) {
            EXPECT_STREQ(dialog().CallCaption(seenBoxes), "提示：");
            out.push_back({dialog().CallText(seenBoxes), dialog().CallFlags(seenBoxes)});
        }
        return out;
    }
    // Status texts sent since the messages were last cleared; every one is kind 3.
    std::vector<std::string> Statuses() {
        std::vector<std::string> out;
        for (const ReceivedMessage& m : host.MessagesOf(WM_QM_STATUS)) {
            EXPECT_EQ(m.WParam, 3u);
            out.push_back(m.Text);
        }
        return out;
    }
    // Execute requests since the last call.
    std::vector<ExchangeRequest> Executes() {
        std::vector<ExchangeRequest> out;
        for (; seenRequests < host.Requests().size(); ++seenRequests)
            if (host.Requests()[seenRequests].Msg == WM_QM_EXECUTE)
                out.push_back(host.Requests()[seenRequests]);
        return out;
    }

    // ------------------------------------------------------------ the grid, as the user sees it
    QAbstractItemModel* model() const { return grid->model(); }
    int Rows() const { return model()->rowCount(); }
    int Column(const char* field) const {
        for (int c = 0; c < model()->columnCount(); ++c)
            if (model()->headerData(c, Qt::Horizontal, Qt::UserRole).toString() == field) return c;
        ADD_FAILURE() << "no column " << field;
        return 0;
    }
    std::string Cell(int row, const char* field) const {
        return model()->data(model()->index(row, Column(field))).toString().toStdString();
    }
    bool SetCell(int row, const char* field, const char* text) {
        return model()->setData(model()->index(row, Column(field)), QString::fromUtf8(text), Qt::EditRole);
    }
    // In browse the grid is read-only; in the edit and insert states its cells take input.
    bool Writable() const {
        return model()->flags(model()->index(0, Column("MEMAC002"))).testFlag(Qt::ItemIsEditable);
    }
    void FillNewRow(int row, const char* code, const char* name, const char* low, const char* high) {
        for (auto [field, text] :
             {std::pair{"MEMAC001", code}, {"MEMAC002", name}, {"MEMAC003", low}, {"MEMAC004", high}})
            if (text) {
                EXPECT_TRUE(SetCell(row, field, text)) << field;
            }
    }

    Hosting hosting = Hosting::Module;
    SessionHost host;
    QPointer<TfrmTarn204> inside;
    std::uint32_t id = 0;
    QTableView* grid = nullptr;
    int seenBoxes = 0;
    std::size_t seenRequests = 0;
};

} // namespace qm::testing
