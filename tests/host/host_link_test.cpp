// The host window's answers to module messages, through the platform's SendMessage as a module
// would send them.
#include "host/host_link.h"
#include "host/store/status_codes.h"
#include "plugin/messages.h"
#include "plugin/records.h"
#include "store_fixture.h"

#include <vector>

namespace qm::host::testing {
namespace {

struct RecordingListener : HostLink::Listener {
    std::vector<std::string> Events;
    void FormCreated(HWND form) override { Events.push_back("created " + std::to_string(form)); }
    void CommandsAnnounced(bool base, const void* field) override {
        Events.push_back(std::string(base ? "base " : "own ") + (field ? "set" : "null"));
    }
    void StatusShown(int kind, const std::string& text) override {
        Events.push_back("status " + std::to_string(kind) + " " + text);
    }
    void FormClosed(HWND form) override { Events.push_back("closed " + std::to_string(form)); }
};

// An exchange record as the module builds one; frees its strings like the module does.
struct Record {
    TShareVar Var{};
    ~Record() {
        for (BSTR s : {Var.RequestXml, Var.RegisterAnswer, Var.ReleaseAnswer, Var.ExecuteAnswer,
                       Var.ModuleKey, Var.ActionName, Var.SearchAnswer, Var.SystemCode, Var.ContextTail})
            SysFreeString(s);
    }
    WPARAM Address() { return reinterpret_cast<WPARAM>(&Var); }
};

class HostLinkTest : public StoreTest {
protected:
    RecordingListener Ui;
};

TEST_F(HostLinkTest, AnswersTheDataExchangesInTheirSlots) {
    std::size_t liveBefore = LiveSharedStrings();
    {
        HostLink link(*S, Ui);
        int id = 0;
        {
            Record reg;
            SetSlotText(reg.Var.ModuleKey, "Tarn204");
            SetSlotText(reg.Var.SystemCode, "MEM");
            SendMessage(link.Handle(), WM_QM_REGISTER, reg.Address(), 77);
            auto answer = ReadAnswer(SlotText(reg.Var.RegisterAnswer));
            EXPECT_EQ(answer->Code, 0);
            id = answer->Doc.child("quelmar").child("rs").text().as_int();
            EXPECT_TRUE(S->IsRegistered(id));
        }
        {
            Record save;
            save.Var.FuncId = id;
            SetSlotText(save.Var.SystemCode, "MEM");
            SetSlotText(save.Var.ActionName, "singleRecordSet");
            SetSlotText(save.Var.RequestXml, Request(InsertRow(1, "01", "低收入")));
            SendMessage(link.Handle(), WM_QM_EXECUTE, save.Address(), 77);
            auto answer = ReadAnswer(SlotText(save.Var.ExecuteAnswer));
            EXPECT_EQ(answer->Code, 0) << answer->Info;
            EXPECT_STREQ(answer->Doc.child("quelmar").child("rs").first_child().attribute("rn").value(), "1");
        }
        {
            Record search;
            SetSlotText(search.Var.ContextTail, "TB_MEMAC");
            SendMessage(link.Handle(), WM_QM_SEARCH, search.Address(), 0);
            auto answer = ReadAnswer(SlotText(search.Var.SearchAnswer));
            EXPECT_STREQ(answer->Doc.child("quelmar").child("rs").first_child().attribute("MEMAC002").value(),
                         "低收入");
        }
        {
            Record release;
            release.Var.FuncId = id;
            SendMessage(link.Handle(), WM_QM_RELEASE, release.Address(), 77);
            EXPECT_EQ(ReadAnswer(SlotText(release.Var.ReleaseAnswer))->Code, 0);
            EXPECT_FALSE(S->IsRegistered(id));
        }
        // A message without its record is ignored rather than followed.
        EXPECT_EQ(SendMessage(link.Handle(), WM_QM_EXECUTE, 0, 77), 0);
    }
    EXPECT_EQ(LiveSharedStrings(), liveBefore);
}

TEST_F(HostLinkTest, PassesWindowMessagesToTheListener) {
    HostLink link(*S, Ui);
    void* field = &link; // any address: the link only passes it on
    const char* text = "保存失败";
    SendMessage(link.Handle(), WM_QM_FORMCREATED, 42, 0);
    SendMessage(link.Handle(), WM_QM_COMMANDS, reinterpret_cast<WPARAM>(field), 0);
    SendMessage(link.Handle(), WM_QM_BASECOMMANDS, reinterpret_cast<WPARAM>(field), 0);
    SendMessage(link.Handle(), WM_QM_STATUS, 3, reinterpret_cast<LPARAM>(text));
    SendMessage(link.Handle(), WM_QM_STATUS, 3, 0);
    PostMessage(link.Handle(), WM_QM_FORMCLOSED, 42, 0);
    DeliverPostedMessages();
    EXPECT_EQ(Ui.Events, (std::vector<std::string>{"created 42", "own set", "base set", "status 3 保存失败",
                                                   "status 3 ", "closed 42"}));
}

// The size limit applies where the request arrives, before the store reads a byte of it.
TEST_F(HostLinkTest, RefusesARequestAboveTheLimitBeforeReadingIt) {
    ThreeLevels();
    const std::string before = ReadFileBytes(DbPath);
    HostLink link(*S, Ui);
    link.SetMaxRequestBytes(1024);
    Record save;
    save.Var.FuncId = FuncId;
    SetSlotText(save.Var.ActionName, "singleRecordSet");
    SetSlotText(save.Var.RequestXml, Request("<TB_MEMAC op=\"2\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"10\"/>" +
                                             std::string(2000, ' ')));
    SendMessage(link.Handle(), WM_QM_EXECUTE, save.Address(), 0);
    auto answer = ReadAnswer(SlotText(save.Var.ExecuteAnswer));
    EXPECT_EQ(answer->Code, status::BadRequest);
    EXPECT_NE(answer->Info.find("请求过大"), std::string::npos) << answer->Info;
    EXPECT_EQ(ReadFileBytes(DbPath), before);
}

} // namespace
} // namespace qm::host::testing
