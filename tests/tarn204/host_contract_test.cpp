// What a host may rely on, asserted through the real module: message numbers, the module key, the
// form id on every exchange, fresh answer slots, closing that survives a failing release, and the
// host's keys written back after a delete.
#include <algorithm>

#include "tests/tarn204/form_session.h"

namespace qm::testing {
namespace {

using Contract = FormSession;

// The numbers are the wire contract: a host written elsewhere uses them as literals.
TEST(HostLinkNumbers, EveryMessageNumber) {
    struct Case {
        const char* name;
        unsigned value;
        unsigned wire;
    } cases[] = {
        {"WM_QM_HIDE", WM_QM_HIDE, 1124},
        {"WM_QM_SHOW", WM_QM_SHOW, 1125},
        {"WM_QM_FORMCLOSED", WM_QM_FORMCLOSED, 1126},
        {"WM_QM_CLOSE", WM_QM_CLOSE, 1127},
        {"WM_QM_CONTEXT", WM_QM_CONTEXT, 1128},
        {"WM_QM_COLORS", WM_QM_COLORS, 1129},
        {"WM_QM_FORMCREATED", WM_QM_FORMCREATED, 1130},
        {"WM_QM_COMMANDS", WM_QM_COMMANDS, 1131},
        {"WM_QM_STATUS", WM_QM_STATUS, 1132},
        {"WM_QM_BASECOMMANDS", WM_QM_BASECOMMANDS, 1133},
        {"WM_QM_REGISTER", WM_QM_REGISTER, 1134},
        {"WM_QM_RELEASE", WM_QM_RELEASE, 1135},
        {"WM_QM_EXECUTE", WM_QM_EXECUTE, 1136},
        {"WM_QM_SEARCH", WM_QM_SEARCH, 1139},
        {"WM_QM_REPARENT", WM_QM_REPARENT, 1141},
        {"WM_QM_CANCLOSE", WM_QM_CANCLOSE, 1142},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.value, c.wire) << c.name;
}

TEST_F(Contract, TheModuleSpeaksTheWireNumbers) {
    // The host side uses literal numbers only, as a foreign host would.
    host.ClearMessages();
    host.ExecuteAnswer = Answer(3, "refused");
    Run("update");
    Run("save"); // an execute, refused: a status
    Run("cancel");
    Run("search");
    SendMessage(id, 1124, 0, 0); // hide
    EXPECT_TRUE(WidgetOfHandle(id)->isHidden());
    SendMessage(id, 1125, 0, 0); // show: the command sets are announced again
    EXPECT_FALSE(WidgetOfHandle(id)->isHidden());
    const HWND other = host.AddParentWindow();
    SendMessage(id, 1141, other, static_cast<LPARAM>(id)); // re-parent, staying visible
    EXPECT_EQ(WidgetOfHandle(id)->parentWidget(), WidgetOfHandle(other));
    EXPECT_EQ(SendMessage(id, 1142, 0, 0), 0); // may close
    EXPECT_EQ(SendMessage(id, 1127, 0, 0), 0); // closed: the function id is released
    EXPECT_TRUE(WidgetOfHandle(id)->isHidden());
    ASSERT_NE(host.ShowChildForm("b"), 0u); // a second form announces itself
    const std::vector<unsigned> sent = host.MessageNumbers();
    for (unsigned wire : {1130u, 1131u, 1132u, 1133u, 1135u, 1136u, 1139u})
        EXPECT_NE(std::find(sent.begin(), sent.end(), wire), sent.end()) << wire;
    EXPECT_EQ(host.Requests().front().Msg, 1134u); // the session began with a registration
}

TEST_F(Contract, EveryExchangeCarriesTheFormIdAndAFreshAnswerSlot) {
    host.ExecuteAnswer = Answer(0);
    Run("update");
    Queue({1});
    Run("save");
    Boxes();
    Run("search");
    ASSERT_EQ(SendMessage(id, WM_QM_CLOSE, 0, 0), 0);
    struct Case {
        unsigned msg;
        int count; // since the session began: one registration, one release
    } cases[] = {{WM_QM_REGISTER, 1}, {WM_QM_RELEASE, 1}, {WM_QM_EXECUTE, 1}, {WM_QM_SEARCH, 2}};
    for (const Case& c : cases) {
        int seen = 0;
        for (const ExchangeRequest& r : host.Requests()) {
            if (r.Msg != c.msg) continue;
            ++seen;
            if (c.msg != WM_QM_SEARCH) {
                EXPECT_EQ(r.LParam, static_cast<LPARAM>(id)) << c.msg; // the form id
            }
            EXPECT_TRUE(r.ExecuteAnswerWasNull) << c.msg;
            if (c.msg == WM_QM_REGISTER) {
                EXPECT_EQ(r.ModuleKey, "Tarn204");
            } else if (c.msg == WM_QM_SEARCH) {
                EXPECT_EQ(r.ContextTail, "TB_MEMAC"); // a search names its context, not its function
            } else {
                EXPECT_EQ(r.FuncId, 7) << c.msg;
            }
        }
        EXPECT_EQ(seen, c.count) << c.msg;
    }
}

TEST_F(Contract, AFailingReleaseStillClosesTheForm) {
    // A release answer whose table cannot be read: the release step fails, the others still run.
    host.ReleaseAnswer =
        Answer(0, "", "<rs typ=\"recordset\" tbname=\"T\" fields=\"A:VARCHAR2:x\"><r A=\"1\"/></rs>");
    host.ClearMessages();
    EXPECT_EQ(SendMessage(id, WM_QM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(WidgetOfHandle(id)->isHidden());
    EXPECT_EQ(Rows(), 0); // the data module is gone
    const auto statuses = Statuses();
    ASSERT_EQ(statuses.size(), 1u);
    EXPECT_NE(statuses[0].find("'x'"), std::string::npos) << statuses[0];
    std::size_t releases = 0;
    for (const ExchangeRequest& r : host.Requests())
        releases += r.Msg == WM_QM_RELEASE;
    EXPECT_EQ(releases, 1u);
    // A closed form stays closed: no second release.
    EXPECT_EQ(SendMessage(id, WM_QM_CLOSE, 0, 0), 0);
    releases = 0;
    for (const ExchangeRequest& r : host.Requests())
        releases += r.Msg == WM_QM_RELEASE;
    EXPECT_EQ(releases, 1u);
}

TEST_F(Contract, ADeleteCarriesOnlyItsOwnRowAndKeysInItsAnswerTouchNothing) {
    // A new row the host refused is dropped by cancel: nothing waits for a key afterwards.
    Run("new");
    FillNewRow(3, "04", "Upper", "10000", "99999");
    host.ExecuteAnswer = Answer(3, "refused");
    Run("save");
    Queue({6});
    Run("cancel");
    ASSERT_EQ(Rows(), 3);
    Boxes();
    Executes();
    // A host that answers a delete with a key anyway changes no row of the form.
    Run("firstrec");
    host.ExecuteAnswer = Answer(
        0, "", "<rs typ=\"recordset\" tbname=\"TB_MEMAC\"><k tbname=\"TB_MEMAC\" rn=\"1\" id=\"99\"/></rs>");
    Queue({6, 1});
    Run("delete");
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"您确定要删除该笔数据吗？", 0x104}, {"删除成功！", 1}}));
    const auto sent = Executes();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].RequestXml.find("op=\"1\""), std::string::npos) << sent[0].RequestXml;
    ASSERT_EQ(Rows(), 2);
    for (int r = 0; r < Rows(); ++r)
        EXPECT_NE(Cell(r, "MEMAC_ID"), "99");
    Statuses();
}

} // namespace
} // namespace qm::testing
