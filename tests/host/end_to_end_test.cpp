// The real qmhost with the real module, dialog.dll with queued answers and a real store: a SQLite
// file and the project's own PostgreSQL server, as one table of cases. Skipped while the module or
// the dialog library is not built beside qmhost.
#include "store_fixture.h"

#include <gmock/gmock.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <sys/wait.h>
#include <thread>

namespace qm::host::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

// The demo store holds codes 01..06 under keys 1..6; a new row sorts after them.
constexpr const char* kNewRowScript = "command search\n"
                                      "command new\n"
                                      "edit MEMAC001 A01\n"
                                      "edit MEMAC002 测试级别\n"
                                      "edit MEMAC003 100\n"
                                      "edit MEMAC004 200\n"
                                      "answer 1\n"
                                      "command save\n"
                                      "expect-box 保存成功\n"
                                      "expect-no-error\n";

// The real binaries on a store of the engine Kind names.
class HostRun : public ::testing::Test {
protected:
    Engine Kind = Engine::Sqlite;

    void SetUp() override {
        const char* bin = std::getenv("QM_BIN_DIR");
        Bin = bin && *bin ? bin : QM_TEST_BIN_DIR;
        for (const char* file : {"qmhost", "libtarn204.so", "dialog.dll"})
            if (!std::filesystem::exists(Bin / file)) GTEST_SKIP() << file << " is not built";
        Dir = FreshTempDir("e2e");
        Db = Dir / "store.db";
        if (Kind == Engine::Postgres) {
            Schema = std::make_unique<PgSchema>();
            ASSERT_FALSE(HasFailure());
            // On a server the group is the administrator's to give: the login role's is g01.
            Store s(Schema->Uri());
            s.Db().Run("INSERT INTO \"QM_USER_GROUP\" VALUES (session_user, 'g01')", {});
        }
    }
    void TearDown() override {
        Schema.reset();
        if (!Dir.empty()) std::filesystem::remove_all(Dir);
    }

    std::string StoreAddress() const { return Schema ? Schema->Uri() : Db.string(); }
    // The name a clerk's rows are stamped with: on a server, the role the host logged in as.
    std::string Who(const std::string& user) const {
        const passwd* pw = getpwuid(getuid());
        return Schema && pw ? pw->pw_name : user;
    }

    // The command that runs qmhost on a script as the given user, with a settings folder of its own.
    std::string Command(const std::string& user, const std::string& group, const std::string& script,
                        const std::string& extra = "", const std::string& tag = "run") {
        const auto path = Dir / (tag + ".txt");
        std::ofstream(path) << script;
        const bool named = !Schema && !user.empty();
        return "QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME='" + (Dir / "config").string() + "' '" +
               (Bin / "qmhost").string() + "'" + (named ? " --user " + user : std::string()) + " --group " +
               group + " --db '" + StoreAddress() + "' --script '" + path.string() + "' " + extra + " 2>'" +
               (Dir / (tag + ".err")).string() + "'";
    }
    int Exit(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

    // Runs qmhost on the script as the given user; returns its exit code.
    int RunAs(const std::string& user, const std::string& group, const std::string& script,
              const std::string& extra = "") {
        const int status = std::system(Command(user, group, script, extra).c_str());
        Log = ReadFileBytes(Dir / "run.err");
        return Exit(status);
    }
    int RunScript(const std::string& script, const std::string& extra = "") {
        return RunAs("tester", "g01", script, extra);
    }
    std::string Scalar(const std::string& sql) {
        Store s(StoreAddress());
        std::string out = "<none>";
        auto c = s.Db().Query(QuoteNames(sql), {});
        if (c->Next() && !c->IsNull(0)) out = std::string(c->Text(0));
        return out;
    }
    void Sql(const std::string& sql) {
        Store s(StoreAddress());
        s.Db().Run(QuoteNames(sql), {});
    }
    // The demo rows, their stamps moved into the past so that a fresh stamp stands out. Dates only:
    // the form holds its stamps as dates.
    void FillAgedDemo() {
        Store s(StoreAddress());
        s.FillDemo();
        // Past the server's own stamps, as an earlier release would have left them.
        if (Schema) s.Db().Run(QuoteNames("ALTER TABLE TB_MEMAC DISABLE TRIGGER USER"), {});
        s.Db().Run(QuoteNames("UPDATE TB_MEMAC SET CREATE_USER='u001', USER_GROUP='g00', "
                              "CREATE_DATE='2008-06-02 00:00:00', MODIFIER=NULL, MODI_DATE=NULL"),
                   {});
        if (Schema) s.Db().Run(QuoteNames("ALTER TABLE TB_MEMAC ENABLE TRIGGER USER"), {});
    }

    std::filesystem::path Bin, Dir, Db;
    std::unique_ptr<PgSchema> Schema;
    std::string Log;
};

// The same cases on both engines.
class EndToEnd : public HostRun, public ::testing::WithParamInterface<Engine> {
protected:
    EndToEnd() { Kind = GetParam(); }
};

class ServerHostRun : public HostRun {
protected:
    ServerHostRun() { Kind = Engine::Postgres; }
};

TEST_P(EndToEnd, SearchNewEditSaveReachesTheDatabase) {
    ASSERT_EQ(RunScript(std::string(kNewRowScript) + "expect-rows 7\n", "--demo"), 0) << Log;
    EXPECT_EQ(Scalar("SELECT MEMAC002 || '|' || MEMAC003 || '|' || MEMAC004 || '|' || CREATE_USER || '|' || "
                     "USER_GROUP FROM TB_MEMAC WHERE MEMAC001='A01'"),
              "测试级别|100|200|" + Who("tester") + "|g01");
}

// Saved, shown with the host's key, found again after a restart with its creation stamps, and
// gone from the file once a confirmed delete ran.
TEST_P(EndToEnd, ANewRowLivesInTheFileUntilDeleted) {
    const std::string before = Today();
    const std::string created = std::string(kNewRowScript) + "expect-cell MEMAC001 A01\n"
                                                             "expect-field MEMAC_ID 7\n";
    ASSERT_EQ(RunScript(created, "--demo"), 0) << Log;
    const std::string after = Today();
    ASSERT_EQ(Scalar("SELECT MEMAC_ID FROM TB_MEMAC WHERE MEMAC001='A01'"), "7");
    EXPECT_EQ(Scalar("SELECT CREATE_USER || '|' || USER_GROUP FROM TB_MEMAC WHERE MEMAC_ID=7"),
              Who("tester") + "|g01");
    const std::string day =
        Scalar("SELECT substr(CAST(CREATE_DATE AS VARCHAR(19)), 1, 10) FROM TB_MEMAC WHERE MEMAC_ID=7");
    EXPECT_TRUE(day == before || day == after) << day;

    // A new start on the same file, without --demo: the row comes back from the store.
    const std::string again = "command search\n"
                              "expect-rows 7\n"
                              "select row 7\n"
                              "expect-cell MEMAC001 A01\n"
                              "expect-cell MEMAC002 测试级别\n"
                              "expect-field MEMAC_ID 7\n"
                              "expect-field CREATE_USER " +
                              Who("tester") +
                              "\n"
                              "answer 6\n"
                              "answer 1\n"
                              "command delete\n"
                              "expect-box 删除成功\n"
                              "expect-rows 6\n";
    ASSERT_EQ(RunAs("clerk2", "g02", again), 0) << Log;
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC WHERE MEMAC_ID=7 OR MEMAC001='A01'"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC"), "6");
}

TEST_P(EndToEnd, AnUpdateStampsTheModifierAndKeepsTheCreator) {
    FillAgedDemo();
    const std::string before = Today();
    const std::string script = "command search\n"
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
              "中低收入（调整）|" + Who("clerk2"));
    const std::string day =
        Scalar("SELECT substr(CAST(MODI_DATE AS VARCHAR(19)), 1, 10) FROM TB_MEMAC WHERE MEMAC001='02'");
    EXPECT_TRUE(day == before || day == after) << day;
    EXPECT_EQ(Scalar("SELECT CREATE_USER || '|' || USER_GROUP || '|' || CAST(CREATE_DATE AS VARCHAR(19)) "
                     "FROM TB_MEMAC "
                     "WHERE MEMAC001='02'"),
              "u001|g00|2008-06-02 00:00:00");
    // Rows the user did not touch keep their stamps.
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC WHERE MODIFIER IS NOT NULL"), "1");
}

TEST_P(EndToEnd, ARepeatedCodeIsRefusedAndTheTypedRowStaysForCorrection) {
    // Without a search the form does not know code 01 exists: the store refuses it.
    const std::string script = "command new\n"
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

TEST_P(EndToEnd, AnUnansweredBoxFailsTheRun) {
    // Saving in the browse state shows a notice; no answer is queued for it.
    EXPECT_NE(RunScript("command save\n", "--demo"), 0);
    EXPECT_NE(Log.find("box"), std::string::npos) << Log;
}

// A scripted edit goes by the cell's rules: a code too long is refused whole, in the clerk's words,
// and the cell keeps its value.
TEST_P(EndToEnd, ATooLongEditIsRefusedWholeWithItsReason) {
    EXPECT_EQ(RunScript("select row 1\ncommand update\nedit MEMAC001 ABCDEFG\n", "--demo"), 1);
    EXPECT_NE(Log.find("[收入等级代码] 最多 4 个字符！"), std::string::npos) << Log;
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC WHERE MEMAC001 IN ('01')"), "1");
}

struct DeleteCase {
    const char* Name;
    const char* Steps; // after the confirmation's answer
    const char* Remaining;
};

const DeleteCase kDeleteCases[] = {
    {"Yes", "answer 6\nanswer 1\ncommand delete\nexpect-box 删除成功\nexpect-rows 5\n", "0"},
    {"No", "answer 7\ncommand delete\nexpect-rows 6\nexpect-cell MEMAC001 01\n", "1"},
};

TEST_P(EndToEnd, TheDeleteAnswerDecidesWhetherTheRowLeavesTheStore) {
    for (const DeleteCase& c : kDeleteCases) {
        SCOPED_TRACE(c.Name);
        if (Schema) Schema = std::make_unique<PgSchema>();
        std::filesystem::remove(Db);
        const std::string script =
            std::string("command search\nselect row 1\nexpect-cell MEMAC001 01\n") + c.Steps;
        ASSERT_EQ(RunScript(script, "--demo"), 0) << Log;
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC WHERE MEMAC001='01'"), c.Remaining);
    }
}

struct CloseCase {
    const char* Name;
    const char* Editing; // steps that leave the form with unsaved input
};

const CloseCase kCloseCases[] = {
    {"AnUpdate", "command update\nedit MEMAC002 改了但不保存\n"},
    {"ANewRow", "command new\nedit MEMAC001 B01\nedit MEMAC002 改了但不保存\n"},
};

TEST_P(EndToEnd, ClosingWhileEditingAsksAndANoKeepsTheWindow) {
    FillAgedDemo();
    for (const CloseCase& c : kCloseCases) {
        SCOPED_TRACE(c.Name);
        const std::string script = std::string("command search\n") + c.Editing +
                                   "answer 7\n"
                                   "close-refused\n"
                                   "answer 6\n"
                                   "close\n";
        ASSERT_EQ(RunScript(script), 0) << Log;
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC WHERE MEMAC002='改了但不保存'"), "0");
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC"), "6");
    }
}

// Scripts that go the clerk's way: keys and typing to whatever has the focus, boxes answered as
// Enter would where the case is about the default button.
struct KeyCase {
    const char* Name;
    const char* Steps; // after the search the form runs as it opens
    const char* Check;
    const char* Want;
};

const KeyCase kKeyCases[] = {
    {"KeysAndTypingSaveANewRow",
     "key ctrl+n\ntype A01\nkey Tab\ntype 测试级别\nkey Tab\ntype 100\nkey Tab\ntype 200\n"
     "answer 1\nkey ctrl+s\nexpect-box 保存成功\nexpect-no-error\nexpect-rows 7\n",
     "SELECT MEMAC002 || '|' || MEMAC003 || '|' || MEMAC004 FROM TB_MEMAC WHERE MEMAC001='A01'",
     "测试级别|100|200"},
    {"QuestionsThatDropWorkDefaultToNo",
     // Up posts the changed row: 取消 then asks, as more than the current row's work would go.
     "select row 2\nkey F2\nkey Tab\ntype 改了\nkey Up\n"
     "answer default\nkey Escape\nexpect-box 将放弃 1 条未保存的修改\n"
     "answer default\nkey F3\nexpect-box 有未保存的修改\n"
     "answer default\nclose-refused\nexpect-box （是：放弃未保存的修改并关闭；否：回到窗体）\n"
     "select row 2\nexpect-cell MEMAC002 改了\nanswer 1\nkey ctrl+s\nexpect-box 保存成功\n"
     "select row 3\nanswer default\nkey ctrl+Delete\nexpect-box 您确定要删除该笔数据吗\nexpect-rows 6\n",
     "SELECT COUNT(*) || '|' || (SELECT MEMAC002 FROM TB_MEMAC WHERE MEMAC001='02') FROM TB_MEMAC", "6|改了"},
    // No second box: a 保存成功 after the refusal finds no answer queued and fails the run.
    {"ARefusedValueStopsTheSave",
     "select row 1\nkey F2\nkey Tab\ntype PART\nkey Tab\ntype zz\n"
     "answer 1\nkey ctrl+s\nexpect-box [收入下限] 的值“zz”不是有效的整数\n",
     "SELECT MEMAC002 || '|' || MEMAC003 FROM TB_MEMAC WHERE MEMAC001='01'", "低收入|0"},
    {"EscInTheFindBarKeepsANewRow",
     "key ctrl+n\ntype A02\nkey Tab\ntype 新级别\nkey ctrl+f\nkey Escape\nexpect-rows 7\n"
     "answer 1\nkey ctrl+s\nexpect-box 保存成功\n",
     "SELECT MEMAC002 FROM TB_MEMAC WHERE MEMAC001='A02'", "新级别"},
    {"ATooLongCodeIsStoppedWithAWord",
     "key ctrl+n\ntype ABCDEFG\nexpect-status 最多 4 个字符\nkey Tab\nexpect-cell MEMAC001 ABCD\n"
     "type 长代码\nanswer 1\nkey ctrl+s\nexpect-box 保存成功\n",
     "SELECT COUNT(*) FROM TB_MEMAC WHERE MEMAC002='长代码' AND MEMAC001='ABCD'", "1"},
};

TEST_P(EndToEnd, ScriptedKeysReachTheFormAsAClerksDo) {
    for (const KeyCase& c : kKeyCases) {
        SCOPED_TRACE(c.Name);
        if (Schema) Schema = std::make_unique<PgSchema>();
        std::filesystem::remove(Db);
        ASSERT_EQ(RunScript(c.Steps, "--demo"), 0) << Log;
        EXPECT_EQ(Scalar(c.Check), c.Want);
    }
}

TEST_P(EndToEnd, ScreenshotIsAPicture) {
    const auto png = Dir / "shot.png";
    ASSERT_EQ(RunScript("command search\n", "--demo --screenshot '" + png.string() + "'"), 0) << Log;
    EXPECT_EQ(ReadFileBytes(png).substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
}

// Settings from the user's configuration folder; the command line wins.
TEST_P(EndToEnd, SettingsFileNamesTheStoreAndTheClerk) {
    FillAgedDemo();
    std::filesystem::create_directories(Dir / "config" / "qmclient");
    std::ofstream(Dir / "config" / "qmclient" / "qmhost.conf")
        << "[General]\ndb=" << StoreAddress() << "\n"
        << (Schema ? "" : "user=fromfile\n") << "group=gfile\n";
    const std::string script = "command search\nselect row 2\ncommand update\nedit MEMAC002 设置\nanswer "
                               "1\ncommand save\nexpect-box 保存成功\n";
    const std::string cmd = "QT_QPA_PLATFORM=offscreen XDG_DATA_HOME='" + Dir.string() +
                            "' XDG_CONFIG_HOME='" + (Dir / "config").string() + "' '" +
                            (Bin / "qmhost").string() + "' --script '" + (Dir / "s.txt").string() + "' 2>'" +
                            (Dir / "s.err").string() + "'";
    std::ofstream(Dir / "s.txt") << script;
    ASSERT_EQ(Exit(std::system(cmd.c_str())), 0) << ReadFileBytes(Dir / "s.err");
    EXPECT_EQ(Scalar("SELECT MEMAC002 || '|' || MODIFIER FROM TB_MEMAC WHERE MEMAC001='02'"),
              "设置|" + Who("fromfile"));
}

TEST_F(ServerHostRun, TheClerkIsTheLoginRole) {
    const std::string cmd = "QT_QPA_PLATFORM=offscreen '" + (Bin / "qmhost").string() +
                            "' --user somebody_else --db '" + StoreAddress() + "' --screenshot '" +
                            (Dir / "x.png").string() + "' 2>'" + (Dir / "x.err").string() + "'";
    EXPECT_EQ(Exit(std::system(cmd.c_str())), 2);
    EXPECT_NE(ReadFileBytes(Dir / "x.err").find("somebody_else"), std::string::npos)
        << ReadFileBytes(Dir / "x.err");
    EXPECT_FALSE(std::filesystem::exists(Dir / "x.png"));
}

// Two clerks' hosts at once on one store, kept in step through files.
struct TwoClerks {
    const char* Name;
    const char* A; // after A's search
    const char* B; // after both searched and A finished
    const char* Check;
    const char* Want;
};

const TwoClerks kTwoClerks[] = {
    {"UpdateAfterUpdate",
     "select row 2\ncommand update\nedit MEMAC002 甲改\nanswer 1\ncommand save\nexpect-box 保存成功\n",
     "select row 2\ncommand update\nedit MEMAC002 乙改\ncommand save\n"
     "expect-status 该记录已被其他用户修改或删除，请重新查询！\nexpect-status 代码 02\n"
     "select row 2\nexpect-cell MEMAC002 乙改\n"
     "dismiss-error\nanswer 6\ncommand search\nselect row 2\nexpect-cell MEMAC002 甲改\n"
     "command update\nedit MEMAC002 乙再改\nanswer 1\ncommand save\nexpect-box 保存成功\n",
     "SELECT MEMAC002 || '|' || ROW_VERSION FROM TB_MEMAC WHERE MEMAC001='02'", "乙再改|3"},
    {"DeleteAfterUpdate",
     "select row 2\ncommand update\nedit MEMAC002 甲改\nanswer 1\ncommand save\nexpect-box 保存成功\n",
     "select row 2\nanswer 6\ncommand delete\nexpect-status 该记录已被其他用户修改或删除，请重新查询！\n"
     "dismiss-error\ncommand search\nselect row 2\nexpect-cell MEMAC002 甲改\n"
     "answer 6\nanswer 1\ncommand delete\nexpect-box 删除成功\nexpect-rows 5\n",
     "SELECT COUNT(*) FROM TB_MEMAC WHERE MEMAC001='02'", "0"},
    {"UpdateAfterDelete", "select row 2\nanswer 6\nanswer 1\ncommand delete\nexpect-box 删除成功\n",
     "select row 2\ncommand update\nedit MEMAC002 乙改\ncommand save\n"
     "expect-status 该记录已被其他用户修改或删除，请重新查询！\nselect row 2\nexpect-cell MEMAC002 乙改\n"
     "dismiss-error\nanswer 6\ncommand search\nexpect-rows 5\n",
     "SELECT COUNT(*) || '|' || COUNT(DISTINCT MEMAC001) FROM TB_MEMAC", "5|5"},
};

TEST_P(EndToEnd, TwoClerksNeverOverwriteEachOther) {
    for (const TwoClerks& c : kTwoClerks) {
        SCOPED_TRACE(c.Name);
        if (Schema) Schema = std::make_unique<PgSchema>();
        std::filesystem::remove(Db);
        for (const char* f : {"a-searched", "b-searched", "a-done"})
            std::filesystem::remove(Dir / f);
        FillAgedDemo();
        const std::string flag = Dir.string() + "/";
        const std::string a = "command search\ntouch " + flag + "a-searched\nwait-for " + flag +
                              "b-searched\n" + c.A + "touch " + flag + "a-done\n";
        const std::string b =
            "command search\ntouch " + flag + "b-searched\nwait-for " + flag + "a-done\n" + c.B;
        const std::string cmdA = Command("clerka", "g01", a, "", "a");
        const std::string cmdB = Command("clerkb", "g02", b, "", "b");
        int exitA = -1, exitB = -1;
        std::thread hostA([&] { exitA = Exit(std::system(cmdA.c_str())); });
        std::thread hostB([&] { exitB = Exit(std::system(cmdB.c_str())); });
        hostA.join();
        hostB.join();
        EXPECT_EQ(exitA, 0) << ReadFileBytes(Dir / "a.err");
        EXPECT_EQ(exitB, 0) << ReadFileBytes(Dir / "b.err");
        EXPECT_EQ(Scalar(c.Check), c.Want);
    }
}

// Values another tool wrote that no column of the form can hold: the host answers the search, the
// clerk's own work still saves, and the foreign rows are neither rewritten nor saved over.
// Only a file can hold such values: the server's column types keep them out.
TEST_F(HostRun, ForeignValuesInTheStoreNeitherStopTheHostNorGetOverwritten) {
    FillAgedDemo();
    Sql("UPDATE TB_MEMAC SET MEMAC003='abc' WHERE MEMAC001='02'");
    Sql("UPDATE TB_MEMAC SET MODI_DATE='2024-13-45' WHERE MEMAC001='03'");
    Sql("UPDATE TB_MEMAC SET MEMAC002=CAST(X'41FF42' AS TEXT) WHERE MEMAC001='04'");
    const std::string foreign =
        "SELECT group_concat(MEMAC001 || MEMAC002 || MEMAC003 || COALESCE(MODI_DATE, '') || "
        "ROW_VERSION, ';') FROM TB_MEMAC WHERE MEMAC001 IN ('02','03','04')";
    const std::string before = Scalar(foreign);
    const std::string script = "command search\n"
                               "command new\n"
                               "edit MEMAC001 A01\n"
                               "edit MEMAC002 新级别\n"
                               "edit MEMAC003 1\n"
                               "answer 1\n"
                               "command save\n"
                               "expect-box 保存成功\n";
    ASSERT_EQ(RunScript(script), 0) << Log;
    EXPECT_EQ(Scalar("SELECT MEMAC002 FROM TB_MEMAC WHERE MEMAC001='A01'"), "新级别");
    EXPECT_EQ(Scalar(foreign), before);
    EXPECT_EQ(Scalar("PRAGMA integrity_check"), "ok");
}

// B's second search brings a row the form cannot hold (another tool wrote it, after another clerk's
// change): the form replaces its rows and leaves that one out, so B's stale copy is gone and cannot be
// saved over the other clerk's change.
TEST_F(HostRun, ASaveAfterAnAnswerTheFormCouldNotFullyLoadIsStillChecked) {
    FillAgedDemo();
    const std::string flag = Dir.string() + "/";
    const std::string b = "command search\ntouch " + flag + "b-searched\nwait-for " + flag +
                          "changed\n"
                          "command search\nexpect-status 无法显示的值\nexpect-status 收入等级代码 02\n"
                          "expect-rows 5\ndismiss-error\n"
                          "select row 2\nexpect-cell MEMAC001 03\n";
    const std::string cmd = Command("clerkb", "g02", b, "", "b");
    int exitB = -1;
    std::thread hostB([&] { exitB = Exit(std::system(cmd.c_str())); });
    for (int i = 0; i < 3000 && !std::filesystem::exists(Dir / "b-searched"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Sql("UPDATE TB_MEMAC SET MEMAC002='甲改', ROW_VERSION=ROW_VERSION+1 WHERE MEMAC001='02'");
    Sql("UPDATE TB_MEMAC SET MEMAC003='abc' WHERE MEMAC001='02'");
    std::ofstream(Dir / "changed");
    hostB.join();
    EXPECT_EQ(exitB, 0) << ReadFileBytes(Dir / "b.err");
    EXPECT_EQ(Scalar("SELECT MEMAC002 || MEMAC003 FROM TB_MEMAC WHERE MEMAC001='02'"), "甲改abc");
}

// What only export and print need (the spreadsheet writer, Qt's print support, their own library)
// is loaded when first asked for, not with the window.
TEST_F(HostRun, ExportLoadsItsLibrariesOnlyWhenAsked) {
    FillAgedDemo();
    const std::string flag = Dir.string() + "/";
    const std::string script = "touch " + flag + "shown\nwait-for " + flag + "go\nexport " + flag +
                               "rows.xlsx\ntouch " + flag + "exported\nwait-for " + flag + "end\n";
    // The shell's own number is the host's: exec keeps it.
    FILE* run = ::popen(("echo $$; exec env " + Command("tester", "g01", script)).c_str(), "r");
    ASSERT_NE(run, nullptr);
    int pid = 0;
    ASSERT_EQ(std::fscanf(run, "%d", &pid), 1);
    auto mapped = [&](const std::string& flagName) {
        for (int i = 0; i < 1500 && !std::filesystem::exists(flag + flagName); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_TRUE(std::filesystem::exists(flag + flagName)) << ReadFileBytes(Dir / "run.err");
        return ReadFileBytes("/proc/" + std::to_string(pid) + "/maps");
    };
    const char* const lazy[] = {"libqmdeskout.so", "libxlsxwriter", "libQt6PrintSupport"};
    const std::string shown = mapped("shown");
    EXPECT_THAT(shown, HasSubstr("libtarn204.so"));
    for (const char* library : lazy)
        EXPECT_THAT(shown, Not(HasSubstr(library)));
    std::ofstream(flag + "go").flush();
    const std::string exported = mapped("exported");
    for (const char* library : lazy)
        EXPECT_THAT(exported, HasSubstr(library));
    std::ofstream(flag + "end").flush();
    EXPECT_EQ(Exit(::pclose(run)), 0) << ReadFileBytes(Dir / "run.err");
    EXPECT_TRUE(std::filesystem::exists(flag + "rows.xlsx"));
}

QM_BOTH_ENGINES(EndToEnd);

} // namespace
} // namespace qm::host::testing
