// Start-up checks of the store file and the login, and the window that says why the host cannot
// start; the error bar's handling of huge texts.
#include "dialog/dialog_api.h"
#include "host/host_app.h"
#include "host/startup_checks.h"
#include "host/ui/main_window.h"
#include "host/ui/startup_window.h"
#include "qt_environment.h"
#include "store_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace qm::host::testing {
namespace {

const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { Dir = FreshTempDir("startup"); }
    void TearDown() override { std::filesystem::remove_all(Dir); }
    std::filesystem::path Dir;
};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(StartupTest, AMissingFolderIsCreatedOnlyForTheDefaultLocation) {
    const auto file = Dir / "no" / "such" / "store.db";
    const std::string why = CheckStoreFile(file.string(), true);
    EXPECT_TRUE(Contains(why, (Dir / "no" / "such").string())) << why;
    EXPECT_TRUE(Contains(why, "--db")) << why;
    EXPECT_FALSE(std::filesystem::exists(Dir / "no"));

    EXPECT_EQ(CheckStoreFile(file.string(), false), "");
    EXPECT_TRUE(std::filesystem::is_directory(Dir / "no" / "such"));
}

TEST_F(StartupTest, FilesTheStoreCannotUseAreNamedWithTheReason) {
    const auto garbage = Dir / "garbage.db";
    std::ofstream(garbage) << std::string(8192, 'x');
    // A store whose first page survived but whose second half is gone.
    const auto halved = Dir / "halved.db";
    {
        Store s(halved.string());
        s.FillDemo();
        s.Db().Run("CREATE TABLE PAD(X)", {});
        s.Db().Run(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<2000) INSERT INTO PAD "
            "SELECT randomblob(200) FROM n",
            {});
    }
    std::filesystem::resize_file(halved, 4096);
    const auto folder = Dir / "folder.db";
    std::filesystem::create_directories(folder);
    struct Case {
        std::filesystem::path File;
        const char* Reason;
    } cases[] = {{garbage, "不是有效的存储文件"}, {halved, "损坏"}, {folder, "是一个文件夹"}};
    for (const Case& c : cases) {
        ProbedFile kept;
        const std::string why = CheckStoreFile(c.File.string(), true, "--db", kStoreLockWaitMs, &kept);
        EXPECT_TRUE(Contains(why, c.File.string())) << why;
        EXPECT_TRUE(Contains(why, c.Reason)) << why;
        EXPECT_TRUE(kept.Empty()) << "a file that cannot be used is not handed on";
    }
    EXPECT_EQ(CheckStoreFile((Dir / "new.db").string(), true), "");
}

// A folder the user cannot write: root may write anywhere, so the check then runs as nobody.
TEST_F(StartupTest, ANewFileInAFolderTheUserCannotWriteIsNamed) {
    const auto folder = Dir / "readonly";
    std::filesystem::create_directories(folder);
    std::filesystem::permissions(
        folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                    std::filesystem::perms::others_read | std::filesystem::perms::others_exec);
    std::filesystem::permissions(Dir, std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    const std::string file = (folder / "new.db").string();
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t child = fork();
    if (child == 0) {
        if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        const std::string why = CheckStoreFile(file, true);
        (void)!write(out[1], why.data(), why.size());
        _exit(0);
    }
    close(out[1]);
    std::string why;
    char buf[512];
    for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;)
        why.append(buf, static_cast<std::size_t>(n));
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(Contains(why, folder.string())) << why;
    EXPECT_TRUE(Contains(why, "没有写入权限")) << why;
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(StartupTest, ALockedFileIsWaitedForThenNamed) {
    const auto file = Dir / "locked.db";
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "CREATE TABLE T(X); BEGIN EXCLUSIVE; INSERT INTO T VALUES(1)", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    const std::string why = CheckStoreFile(file.string(), true, "--db", 200);
    EXPECT_TRUE(Contains(why, "锁定")) << why;
    EXPECT_TRUE(Contains(why, file.string())) << why;

    // Released while the host waits: the start goes on.
    std::thread release([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });
    EXPECT_EQ(CheckStoreFile(file.string(), true, "--db", 10000), "");
    release.join();
    sqlite3_close(other);
}

// The store goes on with the connection the check opened, as a store of its own: its own wait for
// another clerk's save, not the check's short one, and the file's rows.
TEST_F(StartupTest, TheStoreGoesOnWithTheCheckedFilesConnection) {
    const auto file = Dir / "kept.db";
    Store(file.string()).FillDemo();
    ProbedFile kept;
    ASSERT_EQ(CheckStoreFile(file.string(), true, "--db", 0, &kept), "");
    ASSERT_FALSE(kept.Empty());
    Store store(file.string(), std::move(kept));
    EXPECT_TRUE(kept.Empty());
    EXPECT_TRUE(store.WritesRefused().empty());

    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    std::thread release([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });
    EXPECT_NO_THROW(store.Db().Run("UPDATE TB_MEMAC SET FLAG = 1", {}));
    release.join();
    sqlite3_close(other);
    std::unique_ptr<Cursor> count = store.Db().Query("SELECT COUNT(*) FROM TB_MEMAC WHERE FLAG = 1", {});
    ASSERT_TRUE(count->Next());
    EXPECT_NE(count->Text(0), "0");
}

TEST(Login, MustFitTheStoreColumns) {
    const auto dir = FreshTempDir("login");
    LoginLimits limits;
    {
        Store s((dir / "s.db").string());
        limits = ReadLoginLimits(s.Db());
    }
    std::filesystem::remove_all(dir);
    EXPECT_EQ(limits.User, 12);
    EXPECT_EQ(limits.Group, 12);
    struct Case {
        std::string User, Group;
        std::vector<std::string> Parts; // empty: accepted
    } cases[] = {
        {"abcdefghijkl", "g01", {}},
        {"收入级别维护员收入级别维护员", "g01", {"--user", "12", "14 个字符"}}, // 14 characters
        {"张三丰张三丰张三丰张三丰", "组", {}},                                 // 12 characters, 36 bytes
        {"clerk", "abcdefghijklm", {"--group", "12", "USER_GROUP"}},
    };
    for (const Case& c : cases) {
        const std::string why = CheckLogin(c.User, c.Group, limits);
        if (c.Parts.empty()) {
            EXPECT_EQ(why, "") << c.User;
        }
        for (const std::string& part : c.Parts)
            EXPECT_TRUE(Contains(why, part)) << why;
    }
}

TEST(Options, RequestLimitIsAWholeNumberOfMegabytes) {
    EXPECT_EQ(ParseOptions({}).MaxRequestMb, 64);
    EXPECT_EQ(ParseOptions({"--max-request-mb", "8"}).MaxRequestMb, 8);
    for (const char* bad : {"0", "-1", "x", "8MB", "1e3", "100001"})
        EXPECT_THROW(ParseOptions({"--max-request-mb", bad}), std::invalid_argument) << bad;
}

// An option written with '=' is refused without echoing its value, which may hold a password.
TEST(Options, AValueGluedToItsOptionIsNotEchoed) {
    try {
        ParseOptions({"--db=postgresql://clerk:Zq7vS3cret@db/qm"});
        ADD_FAILURE() << "accepted";
    } catch (const std::invalid_argument& e) {
        const std::string why = e.what();
        EXPECT_TRUE(Contains(why, "--db VALUE")) << why;
        EXPECT_FALSE(Contains(why, "Zq7vS3cret")) << why;
    }
}

// Through the host's own start: no script, no screenshot, so a clerk at a desktop.
TEST_F(StartupTest, AnInteractiveStartShowsAWindowNamingTheFileAndReason) {
    const auto file = Dir / "garbage.db";
    std::ofstream(file) << std::string(8192, 'x');
    Options options;
    options.DbPath = file.string();
    options.User = "clerk";
    options.Group = "g01";
    std::string shown;
    bool visible = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "startupFailure") {
                visible = w->isVisible();
                if (auto* label = w->findChild<QLabel*>("startupReason")) shown = label->text().toStdString();
                w->close();
            }
    });
    EXPECT_EQ(RunHost(options), 2);
    EXPECT_TRUE(visible);
    EXPECT_TRUE(Contains(shown, file.string())) << shown;
    EXPECT_TRUE(Contains(shown, "不是有效的存储文件")) << shown;
}

// The reason the start-up window gives when the message boxes cannot be had.
TEST_F(StartupTest, AMissingOrBrokenDialogLibraryIsNamedWithWhatItMeans) {
    const char* bin = std::getenv("QM_BIN_DIR");
    const std::string built = std::string(bin && *bin ? bin : QM_TEST_BIN_DIR) + "/";
    if (!std::filesystem::exists(built + dialog::kFileName)) GTEST_SKIP() << "dialog.dll is not built";
    const std::string empty = (Dir / "empty").string() + "/";
    const std::string broken = (Dir / "broken").string() + "/";
    std::filesystem::create_directories(empty);
    std::filesystem::create_directories(broken);
    std::ofstream(broken + dialog::kFileName) << "not a library";
    struct Case {
        std::string Folder;
        const char* Says; // empty: usable
    } cases[] = {{empty, "找不到 "}, {broken, "无法使用 "}, {built, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Folder);
        dialog::DialogApi boxes;
        const std::string why = DialogLibraryFault(c.Folder, boxes);
        if (!*c.Says) {
            EXPECT_EQ(why, "");
            EXPECT_NE(boxes.MessageBox, nullptr);
            continue;
        }
        EXPECT_TRUE(Contains(why, c.Says + c.Folder + dialog::kFileName)) << why;
        EXPECT_TRUE(Contains(why, "不打开窗体")) << why;
    }
}

TEST_F(StartupTest, TheErrorBarShowsTheStartOfAHugeText) {
    Store store((Dir / "s.db").string());
    MainWindow window(store);
    window.show();
    const std::string huge = "字段 MEMAC002 的值“" + std::string(5000000, 'v') + "”超过 30 个字符";
    window.ShowError(huge);
    auto* label = window.findChild<QFrame*>("errorBar")->findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(window.ErrorShown());
    EXPECT_LT(label->text().size(), 1000);
    EXPECT_TRUE(label->text().startsWith(QString::fromUtf8("字段 MEMAC002 的值“vvv")));
    EXPECT_TRUE(label->text().contains(QString::fromUtf8("个字符）")));
    EXPECT_LT(window.statusBar()->currentMessage().size(), 1000);
    // The whole text stays available to scripts and callers.
    EXPECT_EQ(window.LastStatus(), huge);
}

} // namespace
} // namespace qm::host::testing
