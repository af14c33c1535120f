// The real qmhost under faults: stores it cannot use, logins the store cannot hold, missing
// pieces beside it, huge stored values, and long scripted runs that must not grow.
#include "store_fixture.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <vector>

namespace qm::host::testing {
namespace {

struct HostRun {
    int Code = -1;
    std::string Err;
    long PeakKb = 0; // the run's own peak resident size
};

class HostFaults : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("QM_BIN_DIR");
        Bin = bin && *bin ? bin : QM_TEST_BIN_DIR;
        for (const char* file : {"qmhost", "libtarn204.so", "dialog.dll"})
            if (!std::filesystem::exists(Bin / file)) GTEST_SKIP() << file << " is not built";
        Dir = FreshTempDir("faults");
        Db = Dir / "store.db";
    }
    void TearDown() override {
        if (!Dir.empty()) std::filesystem::remove_all(Dir);
    }

    // Runs qmhost with the arguments (and a script when given) on the offscreen platform.
    HostRun Host(std::vector<std::string> args, const std::string& script = "",
                 const std::filesystem::path& program = {}) {
        if (!script.empty()) {
            std::ofstream(Dir / "run.txt") << script;
            args.push_back("--script");
            args.push_back((Dir / "run.txt").string());
        }
        const std::string exe = (program.empty() ? Bin / "qmhost" : program).string();
        const std::string errPath = (Dir / "stderr.txt").string();
        std::vector<char*> argv{const_cast<char*>(exe.c_str())};
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        HostRun run;
        const pid_t pid = fork();
        if (pid == 0) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            const int fd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 2);
            execv(exe.c_str(), argv.data());
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        run.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.PeakKb = usage.ru_maxrss;
        run.Err = ReadFileBytes(errPath);
        return run;
    }
    std::vector<std::string> Login(const std::string& user = "tester", const std::string& group = "g01") {
        return {"--user", user, "--group", group, "--db", Db.string()};
    }

    std::filesystem::path Bin, Dir, Db;
};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Scripted and screenshot runs end with code 2 and one line naming the file or option and why.
TEST_F(HostFaults, StartsThatCannotWorkEndWithCodeTwoAndTheReason) {
    std::ofstream(Dir / "garbage.db") << std::string(8192, 'x');
    WriteDamagedStore(Dir / "damaged.db");
    {
        sqlite3* other = nullptr;
        sqlite3_open((Dir / "other.db").c_str(), &other);
        sqlite3_exec(other, "CREATE TABLE CUSTOMERS (ID INTEGER)", nullptr, nullptr, nullptr);
        sqlite3_close(other);
    }
    struct Case {
        const char* Name;
        std::vector<std::string> Args;
        std::vector<std::string> Parts;
    } cases[] = {
        {"not a store",
         {"--user", "u", "--group", "g", "--db", (Dir / "garbage.db").string()},
         {(Dir / "garbage.db").string(), "不是有效的存储文件"}},
        {"folder missing",
         {"--user", "u", "--group", "g", "--db", (Dir / "typo" / "s.db").string()},
         {(Dir / "typo").string(), "不存在"}},
        {"damaged in the middle",
         {"--user", "u", "--group", "g", "--db", (Dir / "damaged.db").string()},
         {"已损坏"}},
        {"another program's file",
         {"--user", "u", "--group", "g", "--db", (Dir / "other.db").string()},
         {(Dir / "other.db").string(), "不是本程序的存储", "CUSTOMERS"}},
        {"user too long", Login("a.very.long.login.name"), {"--user", "12"}},
        {"group too long", Login("clerk", "accounting-department"), {"--group", "12"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        for (bool screenshot : {false, true}) {
            std::vector<std::string> args = c.Args;
            if (screenshot) args.insert(args.end(), {"--screenshot", (Dir / "shot.png").string()});
            const HostRun run = Host(args, screenshot ? "" : "command search\n");
            EXPECT_EQ(run.Code, 2) << run.Err;
            for (const std::string& part : c.Parts)
                EXPECT_TRUE(Contains(run.Err, part)) << run.Err;
        }
    }
    // A mistyped path leaves no folder behind.
    EXPECT_FALSE(std::filesystem::exists(Dir / "typo"));
    EXPECT_FALSE(std::filesystem::exists(Dir / "shot.png"));
}

TEST_F(HostFaults, ALockedStoreIsWaitedForAtStart) {
    {
        Store s(Db.string());
        s.FillDemo();
    }
    // Another writer holds the file locked for a while, then commits a change. Only a file in the
    // old journal mode can be locked against readers: the store's own write-ahead log lets them in.
    auto holdLock = [this](int holdMs) {
        sqlite3* old = nullptr;
        sqlite3_open(Db.c_str(), &old);
        sqlite3_exec(old, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
        sqlite3_close(old);
        int ready[2];
        EXPECT_EQ(pipe(ready), 0);
        const pid_t writer = fork();
        if (writer == 0) {
            sqlite3* db = nullptr;
            sqlite3_open(Db.c_str(), &db);
            sqlite3_exec(db, "BEGIN EXCLUSIVE; DELETE FROM TB_MEMAC WHERE MEMAC001='06'", nullptr, nullptr,
                         nullptr);
            (void)!write(ready[1], "x", 1);
            usleep(holdMs * 1000);
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
            sqlite3_close(db);
            _exit(0);
        }
        char c = 0;
        (void)!read(ready[0], &c, 1);
        close(ready[0]);
        close(ready[1]);
        return writer;
    };
    pid_t writer = holdLock(1000);
    const HostRun waited = Host(Login(), "command search\nexpect-rows 5\n");
    EXPECT_EQ(waited.Code, 0) << waited.Err;
    waitpid(writer, nullptr, 0);

    writer = holdLock(20000);
    const HostRun locked = Host(Login(), "command search\n");
    EXPECT_EQ(locked.Code, 2) << locked.Err;
    EXPECT_TRUE(Contains(locked.Err, "锁定")) << locked.Err;
    EXPECT_TRUE(Contains(locked.Err, Db.string())) << locked.Err;
    kill(writer, SIGKILL);
    waitpid(writer, nullptr, 0);
}

// Without dialog.dll every question would read as 否: a form that could then neither drop its
// changes nor close is never opened, and the store is not touched.
TEST_F(HostFaults, WithoutDialogLibraryTheFormIsRefusedAtStart) {
    const auto alone = Dir / "alone";
    std::filesystem::create_directories(alone);
    // Everything the host and the module link, found beside them; only dialog.dll is missing.
    for (const auto& entry : std::filesystem::directory_iterator(Bin)) {
        const std::string name = entry.path().filename().string();
        if (name == "qmhost" || (name.rfind("lib", 0) == 0 && name.find(".so") != std::string::npos))
            std::filesystem::copy_file(entry.path(), alone / name);
    }
    std::vector<std::string> shot = Login();
    shot.insert(shot.end(), {"--demo", "--screenshot", (Dir / "shot.png").string()});
    for (const auto& [name, run] :
         {std::pair{"screenshot", Host(shot, "", alone / "qmhost")},
          std::pair{"script", Host(Login(), "command search\n", alone / "qmhost")}}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(run.Code, 2) << run.Err;
        EXPECT_TRUE(Contains(run.Err, (alone / "dialog.dll").string())) << run.Err;
        EXPECT_TRUE(Contains(run.Err, "“否”")) << run.Err;
    }
    EXPECT_FALSE(std::filesystem::exists(Dir / "shot.png"));
    EXPECT_FALSE(std::filesystem::exists(Db));
}

// The server engine is a library of its own, loaded only for a server: without it a file still
// works, and a server address is refused in words. qmhost itself brings no server client along.
TEST_F(HostFaults, WithoutTheServerEngineOnlyServerAddressesAreRefused) {
    const auto alone = Dir / "alone";
    std::filesystem::create_directories(alone);
    for (const auto& entry : std::filesystem::directory_iterator(Bin)) {
        const std::string name = entry.path().filename().string();
        if (name == "qmhost" || name == "dialog.dll" ||
            (name.rfind("lib", 0) == 0 && name.find(".so") != std::string::npos && name != "libqmpgstore.so"))
            std::filesystem::copy_file(entry.path(), alone / name);
    }
    const HostRun file = Host(Login(), "command search\nexpect-rows 0\n", alone / "qmhost");
    EXPECT_EQ(file.Code, 0) << file.Err;
    const HostRun server =
        Host({"--user", "tester", "--group", "g01", "--db", "postgresql://127.0.0.1:1/none"},
             "command search\n", alone / "qmhost");
    EXPECT_EQ(server.Code, 2) << server.Err;
    EXPECT_TRUE(Contains(server.Err, "无法加载数据库服务器的连接库 " + (alone / "libqmpgstore.so").string()))
        << server.Err;

    std::string linked;
    if (FILE* ldd = popen(("ldd " + (Bin / "qmhost").string() + " 2>&1").c_str(), "r")) {
        char buffer[512];
        while (fgets(buffer, sizeof buffer, ldd))
            linked += buffer;
        pclose(ldd);
    }
    ASSERT_TRUE(Contains(linked, "libQt6Core")) << linked;
    EXPECT_FALSE(Contains(linked, "libpq")) << linked;
}

// Another tool stored a 100,000-character name: the search leaves the row out (the form could
// neither hold nor save it back), the other rows work, and the stored value stays as it was.
TEST_F(HostFaults, AHugeStoredValueLeavesItsRowOutOfTheSearch) {
    {
        Store s(Db.string());
        s.FillDemo();
        s.Db().Run("UPDATE TB_MEMAC SET MEMAC002=printf('%.*c', 100000, 'x') WHERE MEMAC001='02'", {});
    }
    const HostRun run = Host(Login(), "command search\n"
                                      "expect-rows 5\n"
                                      "select row 2\n"
                                      "expect-cell MEMAC001 03\n"
                                      "command update\n"
                                      "edit MEMAC003 6100\n"
                                      "answer 1\n"
                                      "command save\n"
                                      "expect-box 保存成功\n");
    EXPECT_EQ(run.Code, 0) << run.Err.substr(0, 2000);
    Store s(Db.string());
    auto row = s.Db().Query("SELECT MEMAC003, length(MEMAC002) FROM TB_MEMAC WHERE MEMAC001='02'", {});
    ASSERT_TRUE(row->Next());
    EXPECT_EQ(row->Text(0), "3000");
    EXPECT_EQ(row->Text(1), "100000");
}

// What a clerk does all day, over and over: the host's memory must not follow the count.
TEST_F(HostFaults, LongScriptedRunsHoldMemoryFlat) {
    {
        Store s(Db.string());
        s.FillDemo();
    }
    auto loop = [](int times) {
        std::string script = "command search\n";
        for (int i = 0; i < times; ++i)
            script += "command new\nedit MEMAC002 临时\ncommand cancel\ncommand search\n";
        return script + "expect-rows 6\n";
    };
    const HostRun shortRun = Host(Login(), loop(50));
    ASSERT_EQ(shortRun.Code, 0) << shortRun.Err;
    const HostRun longRun = Host(Login(), loop(500));
    ASSERT_EQ(longRun.Code, 0) << longRun.Err;
    // Growth of a few kilobytes an iteration would show here as several megabytes.
    EXPECT_LT(longRun.PeakKb - shortRun.PeakKb, 6 * 1024)
        << "50 iterations: " << shortRun.PeakKb << " kB, 500 iterations: " << longRun.PeakKb << " kB";
}

} // namespace
} // namespace qm::host::testing
