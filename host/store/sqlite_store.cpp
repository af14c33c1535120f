#include "host/store/sqlite_store.h"

#include "host/store/layout.h"
#include "host/store/sqlite_util.h"
#include "host/store/store.h"
#include "platform/platform.h"

#include <sys/vfs.h>

#include <array>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <new>
#include <vector>

namespace qm::host {

namespace {

// One thread at a time uses a connection (the host link holds the store while it answers), so
// SQLite's own lock around every column read is pure cost.
constexpr int kOpenFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;

class SqliteTypes : public TypeMap {
public:
    std::string KeyType() const override { return "INTEGER PRIMARY KEY AUTOINCREMENT"; } // never reused
    std::string Type(const ColumnDef& c) const override {
        switch (c.Kind) {
        case ColumnKind::Text:
            return "VARCHAR2(" + std::to_string(c.Size) + ")";
        case ColumnKind::Integer:
            return "NUMBER(" + std::to_string(c.Size) + ",0)";
        case ColumnKind::Number:
            return "NUMBER(" + std::to_string(c.Size) + "," + std::to_string(c.Scale) + ")";
        case ColumnKind::Date:
            return "DATE";
        }
        return "TEXT";
    }
    std::string VersionType() const override { return "INTEGER NOT NULL DEFAULT 1"; }
};

// File systems on which SQLite's shared-memory index of a write-ahead log is not safe.
bool IsNetworkFileSystem(const std::string& path) {
    struct statfs fs {};
    const std::string folder = std::filesystem::absolute(path).parent_path().string();
    if (::statfs(folder.c_str(), &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969UL:     // NFS
    case 0x517BUL:     // SMB
    case 0xFF534D42UL: // CIFS
    case 0xFE534D42UL: // SMB2
    case 0x01021997UL: // 9P
    case 0x65735546UL: // FUSE
        return true;
    default:
        return false;
    }
}

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
        const int type = FSt.ColumnType(col);
        if (type != SQLITE_FLOAT && type != SQLITE_INTEGER) return FSt.Text(col);
        // Each column's number has a place of its own, valid until the next row as SQLite's texts are.
        if (FNumbers.size() <= static_cast<std::size_t>(col))
            FNumbers.resize(static_cast<std::size_t>(col) + 1);
        char* buf = FNumbers[static_cast<std::size_t>(col)].data();
        if (type == SQLITE_INTEGER) {
            // The same digits as SQLite's own text, without its conversion in place.
            const auto [end, ec] = std::to_chars(buf, buf + kNumberRoom, FSt.Int64(col));
            return {buf, static_cast<std::size_t>(end - buf)};
        }
        // SQLite's own text of a real keeps a ".0"; a number is shown as its shortest decimal.
        std::snprintf(buf, kNumberRoom, "%.15g", FSt.Double(col));
        return buf;
    }

private:
    static constexpr std::size_t kNumberRoom = 32;
    Statement FSt;
    mutable std::vector<std::array<char, kNumberRoom>> FNumbers;
};

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

SqliteConnection::SqliteConnection(const std::string& path) : SqliteConnection(path, nullptr) {}

SqliteConnection::SqliteConnection(const std::string& path, sqlite3* opened) : FDb(opened), FPath(path) {
    if (!FDb && sqlite3_open_v2(path.c_str(), &FDb, kOpenFlags | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        std::string why = FDb ? sqlite3_errmsg(FDb) : "out of memory";
        sqlite3_close(FDb);
        throw StoreError("cannot open " + path + ": " + why);
    }
    // A file-size limit ends a process that writes past it; a write that fails is refused like a
    // full disk instead.
    std::signal(SIGXFSZ, SIG_IGN);
    try {
        // Another clerk's large save on the same file is waited for rather than refused.
        SetBusyWait(10000);
        CheckIntegrity();
        // A damaged file is never written, not even to bring its layout up to date.
        if (FDamage.empty()) {
            RefuseForeignFile();
            UseWriteAheadLog();
            PrepareLayout(*this);
        }
    } catch (...) {
        sqlite3_close(FDb);
        throw;
    }
}

SqliteConnection::~SqliteConnection() {
    sqlite3_close(FDb);
}

void SqliteConnection::SetBusyWait(int ms) {
    sqlite3_busy_timeout(FDb, ms);
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
        if (!findings.empty()) FDamage = Excerpt(findings, 200);
    } catch (const StoreError& e) {
        if (e.Kind != Failure::Malformed) throw;
        FDamage = e.what();
    }
}

// Another program's database is not ours to change: not even a table of ours is added to it.
void SqliteConnection::RefuseForeignFile() {
    const std::vector<std::string> names = TableNames();
    if (names.empty()) return;
    for (const TableDef& t : ServedTables())
        if (MatchTableName(names, t.Name)) return;
    std::string found;
    for (std::size_t i = 0; i < names.size() && i < 5; ++i)
        found += (i ? "、" : "") + Excerpt(names[i]);
    if (names.size() > 5) found += " 等 " + std::to_string(names.size()) + " 个表";
    throw StoreError("文件“" + FPath + "”不是本程序的存储：其中有其他程序的表（" + found + "），没有表 " +
                     ServedTables().front().Name + "；文件未做任何修改，请检查 --db 给出的路径");
}

// Readers and a writer then no longer block each other; the mode stays with the file.
void SqliteConnection::UseWriteAheadLog() {
    if (IsNetworkFileSystem(FPath)) {
        FJournalNote = "存储文件在网络文件系统上，未启用 WAL 日志，多人同时保存时可能需要等待";
        return;
    }
    // A program that keeps the file open in the old mode is not waited for long: the host
    // starts without the log rather than hang.
    std::string mode;
    SetBusyWait(2000);
    try {
        Statement st(FDb, "PRAGMA journal_mode=WAL");
        if (st.Step()) mode = std::string(st.Text(0));
    } catch (const StoreError& e) {
        if (e.Kind != Failure::Busy) throw;
    }
    SetBusyWait(10000);
    if (mode != "wal")
        FJournalNote = "存储文件正被其他程序使用，未能启用 WAL 日志，多人同时保存时可能需要等待";
}

std::string SqliteConnection::OpenNote() const {
    std::string note = FJournalNote;
    if (!FBackup.empty())
        note += (note.empty() ? "" : "；") + std::string("存储已升级到本版本，升级前的文件已备份为“") +
                FBackup + "”";
    return note;
}

// SQLite's own rule for a delimited name, through its printf's %w.
std::string SqliteConnection::QuoteIdent(std::string_view name) const {
    const std::string text(name);
    char* quoted = sqlite3_mprintf("\"%w\"", text.c_str());
    if (!quoted) throw std::bad_alloc();
    std::string out(quoted);
    sqlite3_free(quoted);
    return out;
}

const TypeMap& SqliteConnection::Types() const {
    static const SqliteTypes types;
    return types;
}

std::vector<std::string> SqliteConnection::TableNames() {
    std::vector<std::string> names;
    Statement st(
        FDb, "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
    while (st.Step())
        names.emplace_back(st.Text(0));
    return names;
}

int SqliteConnection::RecordedVersion() {
    Statement st(FDb, "PRAGMA user_version");
    return st.Step() ? static_cast<int>(st.Int64(0)) : 0;
}

void SqliteConnection::RecordVersion(int version) {
    Exec(FDb, ("PRAGMA user_version = " + std::to_string(version)).c_str());
}

// Inside the upgrade's write lock: one copy, by the one host that upgrades. Read through a
// connection of its own: the one holding the lock cannot be the source of a copy.
void SqliteConnection::BeforeAlter() {
    sqlite3* source = nullptr;
    if (sqlite3_open_v2(FPath.c_str(), &source, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::string why = source ? sqlite3_errmsg(source) : "out of memory";
        sqlite3_close(source);
        throw StoreError("cannot read " + FPath + " for a copy: " + why);
    }
    sqlite3_busy_timeout(source, 10000);
    const std::string backup = BackupName(FPath);
    try {
        BackupDatabase(source, backup);
    } catch (...) {
        sqlite3_close(source);
        throw;
    }
    sqlite3_close(source);
    FBackup = backup;
}

// Reading the schema is the first thing the store does; what fails here would fail there.
std::string SqliteConnection::Probe(const std::string& path, int lockWaitMs, const std::string& origin,
                                    ProbedFile* kept) {
    sqlite3* db = nullptr;
    // Opened as the store opens it, so that the store can go on with it.
    int rc = sqlite3_open_v2(path.c_str(), &db, kOpenFlags, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, lockWaitMs);
        rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    const std::string detail = db ? sqlite3_errmsg(db) : "out of memory";
    const bool readOnly = rc == SQLITE_OK && sqlite3_db_readonly(db, "main") == 1;
    if (kept && rc == SQLITE_OK && !readOnly)
        kept->Keep(db);
    else
        sqlite3_close(db);
    const std::string name = "存储文件“" + path + "”";
    switch (rc & 0xFF) {
    case SQLITE_OK:
        return readOnly ? name + "只能读取，无法保存：请检查文件的写入权限" : std::string();
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return name + "被其他程序锁定，等待 " + std::to_string((lockWaitMs + 999) / 1000) +
               " 秒后仍未释放：请关闭正在使用它的程序后再启动";
    case SQLITE_NOTADB:
        return name + "不是有效的存储文件（" + detail + "）：请检查 " + origin + " 给出的路径";
    case SQLITE_CORRUPT:
        return name + "已损坏（" + detail + "）：请从备份恢复";
    default:
        return "无法打开" + name + "（" + detail + "）";
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
    std::optional<std::string> found = MatchTableName(TableNames(), name);
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
