// The real qmhost with the real module, dialog.dll with queued answers and a real SQLite file.
// Skipped while the module or the dialog library is not built beside qmhost.
#include "store_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace qm::host::testing {
namespace {

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("QM_BIN_DIR");
        Bin = bin && *bin ? bin : QM_HOST_BIN_DIR;
        for (const char* file : {"qmhost", "libtarn204.so", "dialog.dll"})
            if (!std::filesystem::exists(Bin / file)) GTEST_SKIP() << file << " is not built";
        Dir = FreshTempDir("e2e");
        Db = Dir / "store.db";
    }
    void TearDown() override {
        if (!Dir.empty()) std::filesystem::remove_all(Dir);
    }

    // Runs qmhost on the script; returns its exit code.
    int RunScript(const std::string& script, const std::string& extra = "") {
        const auto path = Dir / "run.txt";
        std::ofstream(path) << script;
        const std::string cmd = "QT_QPA_PLATFORM=offscreen '" + (Bin / "qmhost").string() + "' --user tester --group g01 --db '" +
                                Db.string() + "' --script '" + path.string() + "' " + extra + " 2>'" +
                                (Dir / "stderr.txt").string() + "'";
        const int status = std::system(cmd.c_str());
        Log = ReadFileBytes(Dir / "stderr.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Scalar(const std::string& sql) {
        Store s(Db.string());
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(s.Database(), sql.c_str(), -1, &st, nullptr);
        std::string out = "<none>";
        if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
            out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
        return out;
    }

    std::filesystem::path Bin, Dir, Db;
    std::string Log;
};

TEST_F(EndToEnd, SearchNewEditSaveReachesTheDatabase) {
    const std::string script =
        "command search\n"
        "expect-rows 6\n"
        "command new\n"
        "edit MEMAC001 A01\n"
        "edit MEMAC002 测试级别\n"
        "edit MEMAC003 100\n"
        "edit MEMAC004 200\n"
        "answer 1\n"
        "command save\n"
        "expect-box 保存成功\n"
        "expect-no-error\n"
        "expect-rows 7\n";
    ASSERT_EQ(RunScript(script, "--demo"), 0) << Log;
    EXPECT_EQ(Scalar("SELECT MEMAC002 || '|' || MEMAC003 || '|' || CREATE_USER || '|' || USER_GROUP FROM TB_MEMAC "
                     "WHERE MEMAC001='A01'"),
              "测试级别|100|tester|g01");
}

TEST_F(EndToEnd, AHostRefusalIsShownAndNothingIsStored) {
    // Without a search the form does not know code 01 exists: the store refuses it.
    const std::string script =
        "command new\n"
        "edit MEMAC001 01\n"
        "edit MEMAC002 重复\n"
        "command save\n"
        "expect-status 01\n";
    ASSERT_EQ(RunScript(script, "--demo"), 0) << Log;
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC WHERE MEMAC002='重复'"), "0");
}

TEST_F(EndToEnd, AnUnansweredBoxFailsTheRun) {
    // Saving in the browse state shows a notice; no answer is queued for it.
    EXPECT_NE(RunScript("command save\n", "--demo"), 0);
    EXPECT_NE(Log.find("box"), std::string::npos) << Log;
}

TEST_F(EndToEnd, DeleteAsksThenRemovesTheRow) {
    const std::string script =
        "command search\n"
        "select row 1\n"
        "expect-cell MEMAC001 01\n"
        "answer 6\n"
        "answer 1\n"
        "command delete\n"
        "expect-box 删除成功\n"
        "expect-rows 5\n";
    ASSERT_EQ(RunScript(script, "--demo"), 0) << Log;
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC WHERE MEMAC001='01'"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC"), "5");
}

TEST_F(EndToEnd, ClosingWhileEditingAsksAndANoKeepsTheWindow) {
    const std::string script =
        "command search\n"
        "command update\n"
        "edit MEMAC002 改了但不保存\n"
        "answer 7\n"
        "close-refused\n"
        "answer 6\n"
        "close\n";
    ASSERT_EQ(RunScript(script, "--demo"), 0) << Log;
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC WHERE MEMAC002='改了但不保存'"), "0");
}

TEST_F(EndToEnd, ScreenshotIsAPicture) {
    const auto png = Dir / "shot.png";
    ASSERT_EQ(RunScript("command search\n", "--demo --screenshot '" + png.string() + "'"), 0) << Log;
    EXPECT_EQ(ReadFileBytes(png).substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
}

}  // namespace
}  // namespace qm::host::testing
