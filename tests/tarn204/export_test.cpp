#include <gtest/gtest.h>

#include <QApplication>

#include "platform/qt/qt_pump.h"
#include "plugin/messages.h"
#include "tests/tarn204/test_host.h"

namespace qm {
namespace {

using testing::TestHost;

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::EnsureApplication();
        ASSERT_TRUE(host.LoadModule()) << LastLibraryError();
    }
    TestHost host;
};

const std::vector<std::pair<std::string, std::string>> kBaseCommands = {
    {"new", "new"}, {"update", ""},   {"delete", ""},   {"save", ""},    {"search", ""},
    {"cancel", ""}, {"firstrec", ""}, {"priorrec", ""}, {"nextrec", ""}, {"lastrec", ""}};

TEST_F(ExportTest, FormIsCreatedEmbeddedShownAndAnnounced) {
    const std::uint32_t id = host.ShowChildForm("收入等级");
    ASSERT_NE(id, 0u);
    EXPECT_EQ(host.MessageNumbers(),
              (std::vector<unsigned>{WM_QM_FORMCREATED, WM_QM_COMMANDS, WM_QM_BASECOMMANDS}));
    EXPECT_EQ(host.Messages()[0].WParam, id);
    EXPECT_TRUE(host.Messages()[1].Commands.empty());
    EXPECT_EQ(host.Messages()[2].Commands, kBaseCommands);

    QWidget* form = WidgetOfHandle(id);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->parentWidget(), host.ParentWidget());
    EXPECT_FALSE(form->isHidden());
    EXPECT_EQ(form->geometry(), host.ParentWidget()->rect()); // maximised inside its parent
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("收入等级"));
    EXPECT_TRUE(host.ExecuteCommand("save")); // the host runs commands through the announced set
    EXPECT_EQ(CurrentPump() != nullptr, true);
}

TEST_F(ExportTest, NullOrEmptyCaptionGivesAnEmptyCaption) {
    for (const char* caption : {static_cast<const char*>(nullptr), ""}) {
        const std::uint32_t id = host.ShowChildForm(caption);
        ASSERT_NE(id, 0u);
        EXPECT_TRUE(WidgetOfHandle(id)->windowTitle().isEmpty());
    }
}

TEST_F(ExportTest, EachCallMakesANewFormAndTheLatestHostWindowGetsEverything) {
    const std::uint32_t first = host.ShowChildForm("a");
    TestHost other;
    ASSERT_TRUE(other.LoadModule());
    const std::uint32_t second = other.ShowChildForm("b");
    ASSERT_NE(second, 0u);
    EXPECT_NE(first, second);
    host.ClearMessages();
    other.ClearMessages();
    SendMessage(first, WM_QM_SHOW, 0, 0);
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_EQ(other.MessageNumbers(), (std::vector<unsigned>{WM_QM_COMMANDS, WM_QM_BASECOMMANDS}));
}

TEST_F(ExportTest, ControlMessages) {
    host.RegisterAnswer = "<quelmar><status><code>0</code></status></quelmar>";
    const std::uint32_t id = host.ShowChildForm("a");
    QWidget* form = WidgetOfHandle(id);
    DeliverPostedMessages(); // the first activation puts the form in the browse state
    host.ClearMessages();

    SendMessage(id, WM_QM_HIDE, 0, 0);
    EXPECT_TRUE(form->isHidden());
    SendMessage(id, WM_QM_SHOW, 0, 0);
    EXPECT_FALSE(form->isHidden());
    EXPECT_EQ(host.MessageNumbers(), (std::vector<unsigned>{WM_QM_COMMANDS, WM_QM_BASECOMMANDS}));

    // Re-parenting: only the form's own id shows it and announces the sets.
    const HWND second = host.AddParentWindow();
    struct Case {
        LPARAM visibleId;
        bool shown;
    } cases[] = {
        {0, false}, {static_cast<LPARAM>(id) + 1, false}, {-1, false}, {static_cast<LPARAM>(id), true}};
    for (const auto& c : cases) {
        host.ClearMessages();
        SendMessage(id, WM_QM_REPARENT, second, c.visibleId);
        EXPECT_EQ(form->parentWidget(), WidgetOfHandle(second));
        EXPECT_EQ(!form->isHidden(), c.shown) << c.visibleId;
        EXPECT_EQ(host.Messages().size(), c.shown ? 2u : 0u);
    }

    EXPECT_EQ(SendMessage(id, WM_QM_CANCLOSE, 0, 0), 0);
    EXPECT_EQ(SendMessage(id, WM_QM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(form->isHidden());
}

TEST_F(ExportTest, ContextAndColoursAreAcceptedInPlace) {
    const std::uint32_t id = host.ShowChildForm("a");
    host.SetContextTexts("admin", "G1", testing::BinDir());
    host.SendContext(id, "MEM:tail");
    host.SendColors(id);
    const QColor bg = WidgetOfHandle(id)->palette().color(QPalette::Window);
    EXPECT_EQ(bg, QColor(0x95, 0xB2, 0xC3)); // 0x00BBGGRR
    SendMessage(id, WM_QM_CONTEXT, 0, 0);    // null record and text: nothing breaks
}

TEST_F(ExportTest, HostAnswersExchangesWithTheSuppliedDocuments) {
    host.ExecuteAnswer = "<quelmar status=\"0\"/>";
    const std::size_t live = LiveSharedStrings();
    {
        ShareVarPtr record = MakeShareVar();
        SetSlotText(record->ActionName, "singleRecordSet");
        record->FuncId = 42;
        SendMessage(host.Wnd(), WM_QM_EXECUTE, reinterpret_cast<WPARAM>(record.get()), 7);
        EXPECT_EQ(SlotText(record->ExecuteAnswer), "<quelmar status=\"0\"/>");
        SendMessage(host.Wnd(), WM_QM_SEARCH, reinterpret_cast<WPARAM>(record.get()), 0);
        EXPECT_EQ(record->SearchAnswer, nullptr); // no answer supplied: left null
    }
    EXPECT_EQ(LiveSharedStrings(), live);
    ASSERT_EQ(host.Requests().size(), 2u);
    EXPECT_EQ(host.Requests()[0].FuncId, 42);
    EXPECT_EQ(host.Requests()[0].ActionName, "singleRecordSet");
    EXPECT_EQ(host.Requests()[0].LParam, 7);
}

} // namespace
} // namespace qm
