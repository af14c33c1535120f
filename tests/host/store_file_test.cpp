// The SQLite file itself: an older file upgraded in place with a copy kept, a damaged file never
// written, values other tools wrote that no column of the form can hold.
#include "host/store/sqlite_util.h"
#include "host/store/status_codes.h"
#include "store_fixture.h"

#include <fstream>

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
        s.Search("TB_MEMAC");
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
    // Opened again: nothing left to upgrade, no second copy.
    Store again(path.string());
    std::size_t after = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        after += e.path().filename() != "old.db";
    EXPECT_EQ(after, 1u);
    std::filesystem::remove_all(dir);
}

TEST(StoreFile, ADamagedFileIsFoundOnOpenAndNeverWritten) {
    auto dir = FreshTempDir("damaged");
    const auto path = dir / "d.db";
    WriteDamagedStore(path);
    const std::string before = ReadFileBytes(path);
    Store s(path.string());
    EXPECT_FALSE(s.WritesRefused().empty());
    const int id = ReadAnswer(s.Register("Tarn204", "MEM"))->Doc.child("quelmar").child("rs").text().as_int();
    auto answer = ReadAnswer(s.Execute(id, "singleRecordSet", Request(InsertRow(1, "9999"))));
    EXPECT_EQ(answer->Code, status::ReadOnly);
    EXPECT_NE(answer->Info.find("已损坏"), std::string::npos) << answer->Info;
    EXPECT_EQ(ReadFileBytes(path), before);
    std::filesystem::remove_all(dir);
}

// Another tool wrote what the form cannot hold: the search still answers, but such a row cannot be
// saved over (the clerk never saw it as it is).
TEST(StoreFile, RowsTheFormCannotHoldAreNotRememberedForSaving) {
    auto dir = FreshTempDir("foreign");
    const auto path = dir / "f.db";
    { Store s(path.string()); }
    MakeFile(path, "INSERT INTO TB_MEMAC "
                   "(MEMAC_ID,MEMAC001,MEMAC002,MEMAC003,CREATE_USER,USER_GROUP,CREATE_DATE,FLAG) VALUES"
                   " (1,'01','ok',5,'u','g','2008-06-02 00:00:00',0),"
                   " (2,'02','text in a number','abc','u','g','2008-06-02 00:00:00',0),"
                   " (3,'03','bad date',7,'u','g','2024-13-45',0),"
                   " (4,'04',CAST(X'41FF42' AS TEXT),8,'u','g','2008-06-02 00:00:00',0),"
                   " (5,'05','bell' || char(7),9,'u','g','2008-06-02 00:00:00',0)");
    Store s(path.string());
    const int id = ReadAnswer(s.Register("Tarn204", "MEM"))->Doc.child("quelmar").child("rs").text().as_int();
    // The answer stays a readable document whatever the file holds.
    auto found = ReadAnswer(s.Search("TB_MEMAC"));
    EXPECT_EQ(found->Code, 0);
    EXPECT_EQ(std::distance(found->Doc.child("quelmar").child("rs").children().begin(),
                            found->Doc.child("quelmar").child("rs").children().end()),
              5);
    EXPECT_EQ(s.Versions().Size(), 1u);
    EXPECT_EQ(ReadAnswer(s.Execute(id, "singleRecordSet", Request(UpdateRow(1, "01", "fine"))))->Code, 0);
    for (int key : {2, 3, 4, 5}) {
        SCOPED_TRACE(key);
        EXPECT_EQ(ReadAnswer(s.Execute(id, "singleRecordSet",
                                       Request(UpdateRow(key, "0" + std::to_string(key), "x"))))
                      ->Code,
                  status::Conflict);
    }
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
