// The message-box service as the module uses it, against real files in real folders.
#include <gtest/gtest.h>

#include <unistd.h>

#include "plugin/globals.h"
#include "plugin/message_box.h"
#include "tests/tarn204/test_host.h"

namespace qm {
namespace {

const std::string kFakes = std::string(QM_FAKES_DIR) + "/";

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override { testing::EnsureApplication(); }
    void TearDown() override {
        SetHostContext(nullptr);
        SysFreeString(context.AppPath);
    }
    void UseAppPath(const std::optional<std::string>& path) {
        SysFreeString(context.AppPath);
        context.AppPath = path ? SysAllocStringUtf8(*path) : nullptr;
        SetHostContext(&context);
    }
    THostContext context{};
};

TEST_F(MessageBoxTest, EveryFailureAnswersZero) {
    ASSERT_EQ(chdir(QM_FAKES_DIR), 0); // a relative path would find a library from here
    struct Case {
        const char* what;
        std::optional<std::string> appPath;
    } cases[] = {
        {"no trailing separator", kFakes + "answer_seven"},
        {"relative folder", std::string("answer_seven/")},
        {"relative, leading dot", std::string("./answer_seven/")},
        {"empty", std::string()},
        {"null slot", std::nullopt},
        {"library without the export", kFakes + "no_export/"},
        {"library not there", kFakes + "missing/"},
    };
    for (const auto& c : cases) {
        UseAppPath(c.appPath);
        EXPECT_EQ(CallMessageBox("提示：", "删除吗？", MB_YESNO), 0) << c.what;
    }
}

TEST_F(MessageBoxTest, NoContextYetAnswersZero) {
    SetHostContext(nullptr);
    EXPECT_EQ(CallMessageBox("提示：", "x", MB_NOTICE), 0);
}

TEST_F(MessageBoxTest, TheLibrarysAnswerIsReturned) {
    UseAppPath(kFakes + "answer_seven/");
    EXPECT_EQ(CallMessageBox("提示：", "删除吗？", MB_YESNO), ID_NO);
    EXPECT_EQ(CallMessageBox("提示：", "保存成功！", MB_NOTICE), 1);
}

TEST_F(MessageBoxTest, RealDialogLibraryTakesAQueuedAnswer) {
    testing::TestHost host;
    ASSERT_TRUE(host.LoadDialog());
    host.Dialog().ClearQueue();
    host.Dialog().SetStrict(1);
    host.Dialog().QueueAnswer(ID_YES);
    SetAppWnd(host.AppWnd());
    UseAppPath(testing::BinDir());
    EXPECT_EQ(CallMessageBox("提示：", "删除吗？", MB_YESNO), ID_YES);
    ASSERT_EQ(host.Dialog().CallCount(), 1);
    EXPECT_STREQ(host.Dialog().CallCaption(0), "提示：");
    EXPECT_STREQ(host.Dialog().CallText(0), "删除吗？");
    EXPECT_EQ(host.Dialog().CallFlags(0), MB_YESNO);
    // Nothing queued in strict mode: no box, answer 0, the run is marked failed.
    EXPECT_EQ(CallMessageBox("提示：", "again", MB_YESNO), 0);
    EXPECT_EQ(host.Dialog().RunFailed(), 1);
    host.Dialog().ClearQueue();
}

} // namespace
} // namespace qm
