#include <gtest/gtest.h>

#include "plugin/globals.h"
#include "plugin/message_box.h"
#include "plugin/messages.h"

namespace qm {
namespace {

TEST(Globals, StartEmptyAndHoldTheLatestValues) {
    EXPECT_EQ(HostWnd(), 0u);
    EXPECT_EQ(AppWnd(), 0u);
    EXPECT_EQ(HostContext(), nullptr);
    EXPECT_EQ(HostColors(), nullptr);
    THostContext context{};
    THostColors colors{};
    SetHostWnd(5);
    SetHostWnd(7);
    SetAppWnd(9);
    SetHostContext(&context);
    SetHostColors(&colors);
    EXPECT_EQ(HostWnd(), 7u);
    EXPECT_EQ(AppWnd(), 9u);
    EXPECT_EQ(HostContext(), &context);
    EXPECT_EQ(HostColors(), &colors);
    SetHostContext(nullptr);
    SetHostColors(nullptr);
}

TEST(Globals, NoBoxBeforeTheContextArrives) {
    ASSERT_EQ(HostContext(), nullptr);
    EXPECT_EQ(CallMessageBox("提示：", "x", MB_YESNO), 0);
}

TEST(Messages, NumbersOfTheHostLink) {
    EXPECT_EQ(WM_QM_HIDE, 1124u);
    EXPECT_EQ(WM_QM_FORMCLOSED, 1126u);
    EXPECT_EQ(WM_QM_FORMCREATED, 1130u);
    EXPECT_EQ(WM_QM_SEARCH, 1139u);
    EXPECT_EQ(WM_QM_CANCLOSE, 1142u);
}

} // namespace
} // namespace qm
