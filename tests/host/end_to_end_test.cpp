// The real qmhost with the real module, dialog.dll with queued answers and a real SQLite file.
// Skipped while the module or the dialog library is not built beside qmhost.
#include "store_fixture.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace qm::host::testing {
namespace {

std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

// The demo store holds codes 01..06 under keys 1..6; a new row sorts after them.
constexpr const char* kNewRowScript =
    "command search\n"
    "command new\n"
    "edit MEMAC001 A01\n"
    "edit MEMAC002 测试级别\n"
    "edit MEMAC003 100\n"
    "edit MEMAC004 200\n"
    "answer 1\n"
    "command save\n"
    "expect-box 保存成功\n"
    "expect-no-error\n";

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("QM_BIN_DIR");
        Bin = bin && *bin ? bin : QM_TEST_BIN_DIR;
        for (const char* file : {"qmhost", "libtarn204.so", "dialog.dll"})
            if (!std::filesystem::exists(Bin / file)) GTEST_SKIP() << file << " is not built";
        Dir = FreshTempDir("e2e");
        Db = Dir / "store.db";
    }
    void TearDown() override {
        if (!Dir.empty()) std::filesystem::remove_all(Dir);
    }

    // Runs qmhost on the script as the given user; returns its exit code.
    int RunAs(const std::string& user, const std::string& group, const std::string& script,
              const std::string& extra = "") {
        const auto path = Dir / "run.txt";
        std::ofstream(path) << script;
        const std::string cmd = "QT_QPA_PLATFORM=offscreen '" + (Bin / "qmhost").string() + "' --user " + user +
                                " --group " + group + " --db '" + Db.string() + "' --script '" + path.string() +
                                "' " + extra + " 2>'" + (Dir / "stderr.txt").string() + "'";
        const int status = std::system(cmd.c_str());
        Log = ReadFileBytes(Dir / "stderr.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int RunScript(const std::string& script, const std::string& extra = "") {
        return RunAs("tester", "g01", script, extra);
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
    // The demo rows, their stamps moved into the past so that a fresh stamp stands out. Dates only:
    // the form holds its stamps as dates.
    void FillAgedDemo() {
        Store s(Db.string());
        s.FillDemo();
        ASSERT_EQ(sqlite3_exec(s.Database(),
                               "UPDATE TB_MEMAC SET CREATE_USER='u001', USER_GROUP='g00', "
                               "CREATE_DATE='2008-06-02 00:00:00', MODIFIER=NULL, MODI_DATE=NULL",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
    }

    std::filesystem::path Bin, Dir, Db;
    std::string Log;
};

TEST_F(EndToEnd, SearchNewEditSaveReachesTheDatabase) {
    ASSERT_EQ(RunScript(std::string(kNewRowScript) + "expect-rows 7\n", "--demo"), 0) << Log;
    EXPECT_EQ(Scalar("SELECT MEMAC002 || '|' || MEMAC003 || '|' || MEMAC004 || '|' || CREATE_USER || '|' || "
                     "USER_GROUP FROM TB_MEMAC WHERE MEMAC001='A01'"),
              "测试级别|100|200|tester|g01");
}

// Saved, shown with the host's key, found again after a restart with its creation stamps, and
// gone from the file once a confirmed delete ran.
TEST_F(EndToEnd, ANewRowLivesInTheFileUntilDeleted) {
    const std::string before = Today();
    const std::string created = std::string(kNewRowScript) +
                                "expect-cell MEMAC001 A01\n"
                                "expect-field MEMAC_ID 7\n";
    ASSERT_EQ(RunScript(created, "--demo"), 0) << Log;
    const std::string after = Today();
    ASSERT_EQ(Scalar("SELECT MEMAC_ID FROM TB_MEMAC WHERE MEMAC001='A01'"), "7");
    EXPECT_EQ(Scalar("SELECT CREATE_USER || '|' || USER_GROUP FROM TB_MEMAC WHERE MEMAC_ID=7"), "tester|g01");
    const std::string day = Scalar("SELECT substr(CREATE_DATE, 1, 10) FROM TB_MEMAC WHERE MEMAC_ID=7");
    EXPECT_TRUE(day == before || day == after) << day;

    // A new start on the same file, without --demo: the row comes back from the store.
    const std::string again =
        "command search\n"
        "expect-rows 7\n"
        "select row 7\n"
        "expect-cell MEMAC001 A01\n"
        "expect-cell MEMAC002 测试级别\n"
        "expect-field MEMAC_ID 7\n"
        "expect-field CREATE_USER tester\n"
        "answer 6\n"
        "answer 1\n"
        "command delete\n"
        "expect-box 删除成功\n"
        "expect-rows 6\n";
    ASSERT_EQ(RunAs("clerk2", "g02", again), 0) << Log;
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC WHERE MEMAC_ID=7 OR MEMAC001='A01'"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC"), "6");
}

TEST_F(EndToEnd, AnUpdateStampsTheModifierAndKeepsTheCreator) {
    FillAgedDemo();
    const std::string before = Today();
    const std::string script =
        "command search\n"
        "select row 2\n"
        "expect-cell MEMAC001 02\n"
        "command update\n"
        "edit MEMAC002 中低收入（调整）\n"
        "answer 1\n"
        "command save\n"
        "expect-box 保存成功\n"
        "expect-no-error\n";
    ASSERT_EQ(RunAs("clerk2", "g02", script), 0) << Log;
    const std::string after = Today();
    EXPECT_EQ(Scalar("SELECT MEMAC002 || '|' || MODIFIER FROM TB_MEMAC WHERE MEMAC001='02'"),
              "中低收入（调整）|clerk2");
    const std::string day = Scalar("SELECT substr(MODI_DATE, 1, 10) FROM TB_MEMAC WHERE MEMAC001='02'");
    EXPECT_TRUE(day == before || day == after) << day;
    EXPECT_EQ(Scalar("SELECT CREATE_USER || '|' || USER_GROUP || '|' || CREATE_DATE FROM TB_MEMAC "
                     "WHERE MEMAC001='02'"),
              "u001|g00|2008-06-02 00:00:00");
    // Rows the user did not touch keep their stamps.
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC WHERE MODIFIER IS NOT NULL"), "1");
}

TEST_F(EndToEnd, ARepeatedCodeIsRefusedAndTheTypedRowStaysForCorrection) {
    // Without a search the form does not know code 01 exists: the store refuses it.
    const std::string script =
        "command new\n"
        "edit MEMAC001 01\n"
        "edit MEMAC002 重复\n"
        "edit MEMAC003 1\n"
        "command save\n"
        "expect-status 代码“01”已存在\n"
        "expect-rows 1\n"
        "expect-cell MEMAC001 01\n"
        "expect-cell MEMAC002 重复\n"
        "expect-cell MEMAC003 1\n"
        "dismiss-error\n"
        // still editing: the same row, corrected, saves
        "edit MEMAC001 A09\n"
        "answer 1\n"
        "command save\n"
        "expect-box 保存成功\n"
        "expect-no-error\n"
        "expect-rows 1\n";
    ASSERT_EQ(RunScript(script, "--demo --no-search"), 0) << Log;
    EXPECT_EQ(Scalar("SELECT MEMAC002 FROM TB_MEMAC WHERE MEMAC001='01'"), "低收入");
    EXPECT_EQ(Scalar("SELECT MEMAC002 FROM TB_MEMAC WHERE MEMAC001='A09'"), "重复");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC"), "7");
}

TEST_F(EndToEnd, AnUnansweredBoxFailsTheRun) {
    // Saving in the browse state shows a notice; no answer is queued for it.
    EXPECT_NE(RunScript("command save\n", "--demo"), 0);
    EXPECT_NE(Log.find("box"), std::string::npos) << Log;
}

struct DeleteCase {
    const char* Name;
    const char* Steps;  // after the confirmation's answer
    const char* Remaining;
};

void PrintTo(const DeleteCase& c, std::ostream* os) { *os << c.Name; }

class DeleteAnswer : public EndToEnd, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteAnswer, DecidesWhetherTheRowLeavesTheFile) {
    const DeleteCase& c = GetParam();
    const std::string script = std::string("command search\nselect row 1\nexpect-cell MEMAC001 01\n") + c.Steps;
    ASSERT_EQ(RunScript(script, "--demo"), 0) << Log;
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC WHERE MEMAC001='01'"), c.Remaining);
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, DeleteAnswer,
                         ::testing::Values(DeleteCase{"Yes", "answer 6\nanswer 1\ncommand delete\nexpect-box 删除成功\n"
                                                             "expect-rows 5\n",
                                                      "0"},
                                           DeleteCase{"No", "answer 7\ncommand delete\nexpect-rows 6\n"
                                                            "expect-cell MEMAC001 01\n",
                                                      "1"}),
                         [](const auto& info) { return std::string(info.param.Name); });

struct CloseCase {
    const char* Name;
    const char* Editing;  // steps that leave the form with unsaved input
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.Name; }

class CloseWhileEditing : public EndToEnd, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseWhileEditing, AsksAndANoKeepsTheWindow) {
    const std::string script = std::string("command search\n") + GetParam().Editing +
                               "answer 7\n"
                               "close-refused\n"
                               "answer 6\n"
                               "close\n";
    ASSERT_EQ(RunScript(script, "--demo"), 0) << Log;
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC WHERE MEMAC002='改了但不保存'"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC"), "6");
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, CloseWhileEditing,
                         ::testing::Values(CloseCase{"AnUpdate", "command update\nedit MEMAC002 改了但不保存\n"},
                                           CloseCase{"ANewRow", "command new\nedit MEMAC001 B01\n"
                                                                "edit MEMAC002 改了但不保存\n"}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(EndToEnd, ScreenshotIsAPicture) {
    const auto png = Dir / "shot.png";
    ASSERT_EQ(RunScript("command search\n", "--demo --screenshot '" + png.string() + "'"), 0) << Log;
    EXPECT_EQ(ReadFileBytes(png).substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
}

}  // namespace
}  // namespace qm::host::testing
