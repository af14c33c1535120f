// The SQLite file itself: an older file upgraded in place with a copy kept, a damaged file never
// written, values other tools wrote that no column of the form can hold.
#include "host/store/response.h"
#include "host/store/sqlite_util.h"
#include "host/store/status_codes.h"
#include "store_fixture.h"

#include <chrono>
#include <fstream>
#include <thread>

#include <sys/resource.h>
#include <sys/wait.h>

namespace qm::host::testing {
namespace {

// The table as the earlier release created it: no version column.
const char* const kEarlierSchema =
    "CREATE TABLE TB_MEMAC (MEMAC_ID INTEGER PRIMARY KEY AUTOINCREMENT, MEMAC001 VARCHAR2(4) UNIQUE,"
    " MEMAC002 VARCHAR2(30), MEMAC003 NUMBER(12,0), MEMAC004 NUMBER(12,0), CREATE_USER VARCHAR2(12) NOT NULL,"
    " USER_GROUP VARCHAR2(12) NOT NULL, CREATE_DATE DATE NOT NULL, MODIFIER VARCHAR2(12), MODI_DATE DATE,"
    " FLAG NUMBER(1,0) NOT NULL);"
    "INSERT INTO TB_MEMAC VALUES (10,'01','Low',0,2999,'u001','g01','2008-06-02 00:00:00',NULL,NULL,0),"
    "(11,'02','Mid',3000,5999,'u001','g01','2008-06-02 00:00:00',NULL,NULL,0);";

void MakeFile(const std::filesystem::path& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

std::string Query(const std::filesystem::path& path, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    std::string out;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW) {
            if (!out.empty()) out += ',';
            const unsigned char* t = sqlite3_column_text(st, 0);
            out += t ? reinterpret_cast<const char*>(t) : "<null>";
        }
    else
        out = sqlite3_errmsg(db);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

TEST(StoreFile, AnEarlierFileGainsVersionsAfterACopyIsKept) {
    auto dir = FreshTempDir("upgrade");
    const auto path = dir / "old.db";
    MakeFile(path, kEarlierSchema);
    {
        Store s(path.string());
        const int id =
            ReadAnswer(s.Register("Tarn204", "MEM"))->Doc.child("quelmar").child("rs").text().as_int();
        // The clerk reads where the copy went in the first answer the window shows, once.
        auto first = ReadAnswer(s.Search("TB_MEMAC"));
        EXPECT_NE(first->Info.find("升级前的文件已备份为“" + path.string() + ".bak-"), std::string::npos)
            << first->Info;
        EXPECT_EQ(ReadAnswer(s.Search("TB_MEMAC"))->Info, "");
        EXPECT_EQ(ReadAnswer(s.Execute(id, "singleRecordSet", Request(UpdateRow(11, "02", "Middle"))))->Code,
                  0);
    }

    EXPECT_EQ(Query(path, "SELECT MEMAC002 || ROW_VERSION FROM TB_MEMAC ORDER BY MEMAC_ID"), "Low1,Middle2");
    std::vector<std::filesystem::path> copies;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.path().filename().string().rfind("old.db.bak-", 0) == 0) copies.push_back(e.path());
    ASSERT_EQ(copies.size(), 1u);
    // The copy is the file as it was, still readable by the earlier release.
    EXPECT_EQ(Query(copies[0],
                    "SELECT group_concat(name) FROM pragma_table_info('TB_MEMAC') WHERE name='ROW_VERSION'"),
              "<null>");
    EXPECT_EQ(Query(copies[0], "SELECT MEMAC002 FROM TB_MEMAC ORDER BY MEMAC_ID"), "Low,Mid");
    EXPECT_EQ(Query(copies[0], "PRAGMA integrity_check"), "ok");
    // Opened again: nothing left to upgrade, no second copy; the clerk was told where the copy went.
    Store again(path.string());
    EXPECT_EQ(again.OpenNote(), "");
    std::size_t after = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        after += e.path().filename().string().rfind("old.db.bak-", 0) == 0;
    EXPECT_EQ(after, 1u);
    std::filesystem::remove_all(dir);
}

TEST(StoreFile, ADamagedFileIsFoundOnOpenAndNeverWritten) {
    auto dir = FreshTempDir("damaged");
    const auto path = dir / "d.db";
    WriteDamagedStore(path);
    const std::string before = StoreBytes(path);
    Store s(path.string());
    EXPECT_FALSE(s.WritesRefused().empty());
    const int id = ReadAnswer(s.Register("Tarn204", "MEM"))->Doc.child("quelmar").child("rs").text().as_int();
    auto answer = ReadAnswer(s.Execute(id, "singleRecordSet", Request(InsertRow(1, "9999"))));
    EXPECT_EQ(answer->Code, status::ReadOnly);
    EXPECT_NE(answer->Info.find("已损坏"), std::string::npos) << answer->Info;
    EXPECT_EQ(StoreBytes(path), before);
    std::filesystem::remove_all(dir);
}

// A long answer handed over while it is written reads exactly as the one written whole, with the
// note about a row left out at its end still in the status before the rows.
TEST(StoreFile, AnswerInPiecesReadsAsTheWholeOne) {
    auto dir = FreshTempDir("pieces");
    const auto path = dir / "p.db";
    { Store s(path.string()); }
    MakeFile(
        path,
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
        "INSERT INTO TB_MEMAC (MEMAC_ID,MEMAC001,MEMAC002,MEMAC003,CREATE_USER,USER_GROUP,CREATE_DATE,FLAG)"
        " SELECT i, printf('%04d', i), '收入&<' || i, i, 'u', 'g', '2008-06-02 00:00:00', 0 FROM n;"
        "INSERT INTO TB_MEMAC (MEMAC_ID,MEMAC001,MEMAC002,MEMAC003,CREATE_USER,USER_GROUP,CREATE_DATE,FLAG)"
        " VALUES (9999,'9999','text in a number','abc','u','g','2008-06-02 00:00:00',0)");
    Store s(path.string());
    s.Search("TB_MEMAC"); // takes the note about how the store was opened, if any
    PiecesSink sink;
    s.Search("TB_MEMAC", sink);
    const std::string whole = s.Search("TB_MEMAC");
    EXPECT_GT(sink.Pieces, 3);
    EXPECT_EQ(sink.Text, whole);
    auto found = ReadAnswer(sink.Text);
    EXPECT_EQ(found->Code, 0);
    EXPECT_NE(found->Info.find("1 行"), std::string::npos) << found->Info;
    EXPECT_NE(found->Info.find("9999（收入下限）"), std::string::npos) << found->Info;
    std::size_t rows = 0;
    for (pugi::xml_node row : found->Doc.child("quelmar").child("rs").children())
        rows += row ? 1 : 0;
    EXPECT_EQ(rows, 3000u);

    PiecesSink refused;
    s.Search("TB_NOPE", refused);
    EXPECT_EQ(refused.Text, s.Search("TB_NOPE"));
    std::filesystem::remove_all(dir);
}

// Another tool wrote what the form cannot hold: such a row is left out of the search and named by
// its code, never shown whole (it could not be saved over, and a huge value would be laid out).
TEST(StoreFile, RowsTheFormCannotHoldAreLeftOutAndNamedByCode) {
    auto dir = FreshTempDir("foreign");
    const auto path = dir / "f.db";
    { Store s(path.string()); }
    MakeFile(path, "INSERT INTO TB_MEMAC "
                   "(MEMAC_ID,MEMAC001,MEMAC002,MEMAC003,CREATE_USER,USER_GROUP,CREATE_DATE,FLAG) VALUES"
                   " (1,'01','ok',5,'u','g','2008-06-02 00:00:00',0),"
                   " (2,'02','text in a number','abc','u','g','2008-06-02 00:00:00',0),"
                   " (3,'03','bad date',7,'u','g','2024-13-45',0),"
                   " (4,'04',CAST(X'41FF42' AS TEXT),8,'u','g','2008-06-02 00:00:00',0),"
                   " (5,'05','bell' || char(7),9,'u','g','2008-06-02 00:00:00',0),"
                   " (6,'06','一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一',9,'u','g',"
                   "'2008-06-02 00:00:00',0),"
                   " (7,'07',printf('%.*c', 200000, 'x'),9,'u','g','2008-06-02 00:00:00',0),"
                   // At the limit: an escaped character counts as one.
                   " (8,'08','一二三四五六七八九十一二三四五六七八九十一二三四五六七八九&',9,'u','g',"
                   "'2008-06-02 00:00:00',0)");
    Store s(path.string());
    const int id = ReadAnswer(s.Register("Tarn204", "MEM"))->Doc.child("quelmar").child("rs").text().as_int();
    const std::string text = s.Search("TB_MEMAC");
    EXPECT_LT(text.size(), 4000u);
    auto found = ReadAnswer(text);
    EXPECT_EQ(found->Code, 0);
    std::string codes;
    for (pugi::xml_node row : found->Doc.child("quelmar").child("rs").children())
        codes += row.attribute("MEMAC001").value();
    EXPECT_EQ(codes, "0108");
    EXPECT_NE(found->Info.find("6 行"), std::string::npos) << found->Info;
    EXPECT_NE(found->Info.find("收入等级代码 02（收入下限）；03（CREATE_DATE）"), std::string::npos)
        << found->Info;
    EXPECT_NE(found->Info.find("06（收入等级名称） 等"), std::string::npos) << found->Info;
    EXPECT_EQ(found->Info.find("MEMAC_ID"), std::string::npos) << found->Info;
    EXPECT_EQ(s.Versions().Size(), 2u);
    EXPECT_EQ(ReadAnswer(s.Execute(id, "singleRecordSet", Request(UpdateRow(1, "01", "fine"))))->Code, 0);
    for (int key : {2, 7}) {
        SCOPED_TRACE(key);
        auto refused = ReadAnswer(
            s.Execute(id, "singleRecordSet", Request(UpdateRow(key, "0" + std::to_string(key), "x"))));
        EXPECT_EQ(refused->Code, status::Conflict);
        EXPECT_LT(refused->Info.size(), 400u);
    }
    std::filesystem::remove_all(dir);
}

// Another program's database: nothing of ours is added, not a byte is written, and the refusal
// names the file and what it holds. An empty file becomes a store.
TEST(StoreFile, AFileOfAnotherProgramIsLeftAlone) {
    auto dir = FreshTempDir("foreign");
    const auto path = dir / "other.db";
    MakeFile(path, "CREATE TABLE CUSTOMERS (ID INTEGER, NAME TEXT); INSERT INTO CUSTOMERS VALUES (1, 'a');");
    const std::string before = StoreBytes(path);
    try {
        Store s(path.string());
        ADD_FAILURE() << "opened another program's file";
    } catch (const StoreError& e) {
        const std::string why = e.what();
        EXPECT_NE(why.find("不是本程序的存储"), std::string::npos) << why;
        EXPECT_NE(why.find("CUSTOMERS"), std::string::npos) << why;
        EXPECT_NE(why.find(path.string()), std::string::npos) << why;
    }
    EXPECT_EQ(StoreBytes(path), before);
    EXPECT_EQ(Query(path, "SELECT COUNT(*) FROM sqlite_master"), "1");

    std::ofstream(dir / "empty.db").close();
    Store empty((dir / "empty.db").string());
    EXPECT_TRUE(empty.Db().ReadTable("TB_MEMAC"));
    std::filesystem::remove_all(dir);
}

// Two hosts starting on an older file at once: one upgrades under the write lock and keeps one
// copy, the other waits and starts on the upgraded file.
TEST(StoreFile, TwoHostsUpgradingAtOnceBothStartWithOneCopy) {
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        auto dir = FreshTempDir("together");
        const auto path = dir / "old.db";
        MakeFile(path, kEarlierSchema);
        const auto start = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
        std::vector<pid_t> hosts;
        for (int h = 0; h < 2; ++h) {
            const pid_t pid = fork();
            if (pid == 0) {
                std::this_thread::sleep_until(start);
                int code = 0;
                try {
                    Store s(path.string());
                } catch (...) {
                    code = 1;
                }
                _exit(code);
            }
            hosts.push_back(pid);
        }
        for (pid_t pid : hosts) {
            int status = 0;
            waitpid(pid, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        }
        int copies = 0;
        for (const auto& e : std::filesystem::directory_iterator(dir))
            copies += e.path().filename().string().rfind("old.db.bak-", 0) == 0;
        EXPECT_EQ(copies, 1);
        EXPECT_EQ(Query(path, "SELECT group_concat(MEMAC001 || ROW_VERSION) FROM TB_MEMAC"), "011,021");
        EXPECT_EQ(Query(path, "PRAGMA integrity_check"), "ok");
        std::filesystem::remove_all(dir);
    }
}

// Readers and a writer do not wait for each other; a writer that waits too long is refused with a
// sentence the clerk can act on, and the next save goes through.
TEST(StoreFile, ABusyStoreRefusesTheSaveAndKeepsAnswering) {
    auto dir = FreshTempDir("busy");
    const auto path = dir / "b.db";
    { Store first(path.string()); }
    EXPECT_EQ(Query(path, "PRAGMA journal_mode"), "wal");
    auto file = std::make_unique<SqliteConnection>(path.string());
    file->SetBusyWait(100);
    Store s(std::move(file));
    EXPECT_EQ(s.OpenNote(), "");
    const int id = ReadAnswer(s.Register("Tarn204", "MEM"))->Doc.child("quelmar").child("rs").text().as_int();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    auto busy = ReadAnswer(s.Execute(id, "singleRecordSet", Request(InsertRow(1, "01"))));
    EXPECT_EQ(busy->Code, status::Busy);
    EXPECT_EQ(busy->Info, "存储正忙，请稍后重试！");
    EXPECT_EQ(ReadAnswer(s.Search("TB_MEMAC"))->Code, 0);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(ReadAnswer(s.Execute(id, "singleRecordSet", Request(InsertRow(1, "01"))))->Code, 0);
    std::filesystem::remove_all(dir);
}

// A file another program keeps open in the old journal mode: the store opens it without the
// write-ahead log and says so.
TEST(StoreFile, WithoutTheWriteAheadLogTheClerkIsTold) {
    auto dir = FreshTempDir("journal");
    const auto path = dir / "j.db";
    MakeFile(path, kEarlierSchema);
    { Store upgraded(path.string()); }
    MakeFile(path, "PRAGMA journal_mode=DELETE");
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN; SELECT COUNT(*) FROM TB_MEMAC", nullptr, nullptr, nullptr),
              SQLITE_OK);
    Store s(path.string());
    EXPECT_NE(s.OpenNote().find("WAL"), std::string::npos) << s.OpenNote();
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    std::filesystem::remove_all(dir);
}

// A file-size limit does not end the host: the save is refused like one on a full disk.
TEST(StoreFile, AFileSizeLimitRefusesTheSaveLikeAFullDisk) {
    auto dir = FreshTempDir("fsize");
    const auto path = dir / "f.db";
    { Store first(path.string()); }
    const auto size = std::filesystem::file_size(path);
    const pid_t pid = fork();
    if (pid == 0) {
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = size + 32 * 1024;
        setrlimit(RLIMIT_FSIZE, &limit);
        static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
        std::string rows;
        for (int i = 0; i < 3000; ++i)
            rows += InsertRow(i + 1, {'F', digits[i / 1296 % 36], digits[i / 36 % 36], digits[i % 36]},
                              std::string(28, 'x'));
        int code = 3;
        try {
            Store s(path.string());
            s.Register("Tarn204", "MEM");
            const std::string refused = s.Execute(1, "singleRecordSet", Request(rows));
            code = refused.find("存储空间不足") != std::string::npos ? 0 : 4;
        } catch (...) {
            code = 5;
        }
        _exit(code);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Query(path, "SELECT COUNT(*) FROM TB_MEMAC"), "0");
    EXPECT_EQ(Query(path, "PRAGMA integrity_check"), "ok");
    std::filesystem::remove_all(dir);
}

struct FitCase {
    const char* Declared;
    const char* Value;
    bool Fits;
};

// The store never writes what its column cannot hold; a number column's precision and scale too.
TEST(StoreValues, OnlyValuesTheColumnHoldsAreConverted) {
    const FitCase cases[] = {
        {"NUMBER(12,0)", "123456789012", true},
        {"NUMBER(12,0)", "1234567890123", false},
        {"NUMBER(12,0)", "1.5", false},
        {"NUMBER(12,0)", "abc", false},
        {"NUMBER(5,2)", "123.45", true},
        {"NUMBER(5,2)", "-123.4", true},
        {"NUMBER(5,2)", "1234.5", false},
        {"NUMBER(5,2)", "1.234", false},
        {"NUMBER(5,2)", "1e3", false},
        {"VARCHAR2(4)", "四个汉字", true},
        {"VARCHAR2(4)", "五个汉字啊", false},
        {"DATE", "2024-02-29", true},
        {"DATE", "2023-02-29", false},
        {"DATE", "2024-13-45 00:00:00", false},
        {"INTEGER", "9223372036854775808", false},
        {"INTEGER", "-922337203685477580", true},
        {"NUMBER(2,0)", "+12", true},
        {"NUMBER(2,0)", "-", false},
        {"DATE", "2024-02-29 23:59:59", true},
        {"DATE", "2023-02-29 00:00:00", false},
        {"DATE", "2024-01-01 24:00:00", false},
    };
    for (const FitCase& c : cases) {
        SCOPED_TRACE(std::string(c.Declared) + " " + c.Value);
        const Column col = DescribeColumn("C", c.Declared);
        BoundValue v;
        EXPECT_EQ(ConvertValue(col, c.Value, v).empty(), c.Fits);
        EXPECT_EQ(FitsColumn(col, c.Value), c.Fits);
    }
}

} // namespace
} // namespace qm::host::testing
