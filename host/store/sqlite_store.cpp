#include "host/store/sqlite_store.h"

#include "host/store/sqlite_util.h"

#include <cstdio>
#include <ctime>
#include <filesystem>

namespace qm::host {

namespace {

const char* const kSchema = "CREATE TABLE IF NOT EXISTS TB_MEMAC ("
                            " MEMAC_ID INTEGER PRIMARY KEY AUTOINCREMENT," // keys are never reused
                            " MEMAC001 VARCHAR2(4) UNIQUE,"
                            " MEMAC002 VARCHAR2(30),"
                            " MEMAC003 NUMBER(12,0),"
                            " MEMAC004 NUMBER(12,0),"
                            " CREATE_USER VARCHAR2(12) NOT NULL,"
                            " USER_GROUP VARCHAR2(12) NOT NULL,"
                            " CREATE_DATE DATE NOT NULL,"
                            " MODIFIER VARCHAR2(12),"
                            " MODI_DATE DATE,"
                            " FLAG NUMBER(1,0) NOT NULL,"
                            " ROW_VERSION INTEGER NOT NULL DEFAULT 1)";

void BindAll(Statement& st, const std::vector<BoundValue>& args) {
    int i = 1;
    for (const BoundValue& v : args) {
        if (const auto* n = std::get_if<std::int64_t>(&v))
            st.BindInt64(i, *n);
        else if (const auto* d = std::get_if<double>(&v))
            st.BindDouble(i, *d);
        else if (const auto* t = std::get_if<std::string>(&v))
            st.BindText(i, *t);
        else
            st.BindNull(i);
        ++i;
    }
}

class SqliteCursor : public Cursor {
public:
    SqliteCursor(sqlite3* db, const std::string& sql) : FSt(db, sql) {}
    Statement& St() { return FSt; }
    bool Next() override { return FSt.Step(); }
    bool IsNull(int col) const override { return FSt.IsNull(col); }
    std::string_view Text(int col) const override {
        if (FSt.ColumnType(col) != SQLITE_FLOAT) return FSt.Text(col);
        // SQLite's own text of a real keeps a ".0"; a number is shown as its shortest decimal.
        std::snprintf(FBuf, sizeof FBuf, "%.15g", FSt.Double(col));
        return FBuf;
    }

private:
    Statement FSt;
    mutable char FBuf[32];
};

std::vector<std::string> TableNames(sqlite3* db) {
    std::vector<std::string> names;
    Statement st(
        db, "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
    while (st.Step())
        names.emplace_back(st.Text(0));
    return names;
}

std::string BackupName(const std::string& path) {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    std::string name = path + ".bak-" + stamp;
    for (int n = 2; std::filesystem::exists(name); ++n)
        name = path + ".bak-" + stamp + "-" + std::to_string(n);
    return name;
}

} // namespace

SqliteConnection::SqliteConnection(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &FDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        std::string why = FDb ? sqlite3_errmsg(FDb) : "out of memory";
        sqlite3_close(FDb);
        throw StoreError("cannot open " + path + ": " + why);
    }
    try {
        // Another clerk's large save on the same file is waited for rather than refused.
        sqlite3_busy_timeout(FDb, 10000);
        CheckIntegrity();
        // Only a new file is written at open: another clerk may be in the middle of a save.
        if (FDamage.empty()) {
            Upgrade(path);
            if (!MatchTableName(TableNames(FDb), "TB_MEMAC")) Exec(FDb, kSchema);
        }
    } catch (...) {
        sqlite3_close(FDb);
        throw;
    }
}

SqliteConnection::~SqliteConnection() {
    sqlite3_close(FDb);
}

// A damaged file is still opened so that what can be read is shown, but it is never written.
void SqliteConnection::CheckIntegrity() {
    try {
        Statement st(FDb, "PRAGMA quick_check");
        std::string findings;
        while (st.Step()) {
            std::string_view line = st.Text(0);
            if (line == "ok") continue;
            if (!findings.empty()) findings += "; ";
            findings += line;
            if (findings.size() > 200) break;
        }
        if (!findings.empty()) FDamage = findings;
    } catch (const StoreError& e) {
        if (e.Kind != Failure::Malformed) throw;
        FDamage = e.what();
    }
}

// A file of the earlier release lacks the version column: keep a copy, then add it in one go.
void SqliteConnection::Upgrade(const std::string& path) {
    std::vector<std::string> lacking;
    for (const std::string& name : TableNames(FDb)) {
        std::optional<TableInfo> table = ReadTable(name);
        if (table && !table->Versioned) lacking.push_back(name);
    }
    if (lacking.empty()) return;
    const std::string backup = BackupName(path);
    BackupDatabase(FDb, backup);
    FBackup = backup;
    Exec(FDb, "BEGIN IMMEDIATE");
    try {
        for (const std::string& name : lacking)
            Exec(FDb, ("ALTER TABLE " + QuoteIdent(name) + " ADD COLUMN " + QuoteIdent(kVersionColumn) +
                       " INTEGER NOT NULL DEFAULT 1")
                          .c_str());
        Exec(FDb, "COMMIT");
    } catch (...) {
        sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void BackupDatabase(sqlite3* db, const std::string& target) {
    sqlite3* copy = nullptr;
    if (sqlite3_open_v2(target.c_str(), &copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        std::string why = copy ? sqlite3_errmsg(copy) : "out of memory";
        sqlite3_close(copy);
        throw StoreError("cannot write the copy " + target + ": " + why);
    }
    sqlite3_backup* b = sqlite3_backup_init(copy, "main", db, "main");
    int rc = b ? sqlite3_backup_step(b, -1) : sqlite3_errcode(copy);
    if (b) sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE) {
        std::string why = sqlite3_errmsg(copy);
        sqlite3_close(copy);
        std::filesystem::remove(target);
        throw StoreError("cannot write the copy " + target + ": " + why);
    }
    sqlite3_close(copy);
}

std::optional<TableInfo> SqliteConnection::ReadTable(std::string_view name) {
    std::optional<std::string> found = MatchTableName(TableNames(FDb), name);
    if (!found) return std::nullopt;
    TableInfo info;
    info.Name = *found;
    // table_info takes the name as a bound argument, so no table name is ever spliced into SQL.
    Statement cols(FDb, "SELECT name, type, \"notnull\", pk FROM pragma_table_info(?1)");
    cols.BindText(1, info.Name);
    while (cols.Step()) {
        Column c = DescribeColumn(cols.Text(0), cols.Text(1));
        c.NotNull = cols.Int64(2) != 0;
        c.PrimaryKey = cols.Int64(3) != 0;
        if (c.PrimaryKey) c.NotNull = true;
        AddColumn(info, std::move(c));
    }
    return info;
}

std::unique_ptr<Cursor> SqliteConnection::Query(const std::string& sql, const std::vector<BoundValue>& args) {
    auto cursor = std::make_unique<SqliteCursor>(FDb, sql);
    BindAll(cursor->St(), args);
    return cursor;
}

std::int64_t SqliteConnection::Run(const std::string& sql, const std::vector<BoundValue>& args) {
    Statement st(FDb, sql);
    BindAll(st, args);
    while (st.Step()) {
    }
    return sqlite3_changes64(FDb);
}

std::int64_t SqliteConnection::Insert(const std::string& sql, const std::vector<BoundValue>& args,
                                      const std::string&) {
    Run(sql, args);
    return sqlite3_last_insert_rowid(FDb);
}

// IMMEDIATE: a second writer waits (busy timeout) instead of failing at its first write.
void SqliteConnection::Begin() {
    Exec(FDb, "BEGIN IMMEDIATE");
}

void SqliteConnection::Commit() {
    try {
        Exec(FDb, "COMMIT");
    } catch (...) {
        Rollback();
        throw;
    }
}

void SqliteConnection::Rollback() noexcept {
    if (!sqlite3_get_autocommit(FDb)) sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
}

} // namespace qm::host
