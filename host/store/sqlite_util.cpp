#include "host/store/sqlite_util.h"

namespace qm::host {

Statement::Statement(sqlite3* db, std::string_view sql) : FDb(db) {
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &FStmt, nullptr) != SQLITE_OK)
        ThrowLast(db);
}

Statement::~Statement() {
    sqlite3_finalize(FStmt);
}

void Statement::BindNull(int index) {
    sqlite3_bind_null(FStmt, index);
}

void Statement::BindText(int index, std::string_view text) {
    sqlite3_bind_text(FStmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void Statement::BindInt64(int index, std::int64_t value) {
    sqlite3_bind_int64(FStmt, index, value);
}

void Statement::BindDouble(int index, double value) {
    sqlite3_bind_double(FStmt, index, value);
}

bool Statement::Step() {
    int rc = sqlite3_step(FStmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    ThrowLast(FDb);
}

bool Statement::IsNull(int col) const {
    return sqlite3_column_type(FStmt, col) == SQLITE_NULL;
}

std::string_view Statement::Text(int col) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(FStmt, col));
    if (!p) return {};
    return {p, static_cast<std::size_t>(sqlite3_column_bytes(FStmt, col))};
}

std::int64_t Statement::Int64(int col) const {
    return sqlite3_column_int64(FStmt, col);
}

int Statement::ColumnType(int col) const {
    return sqlite3_column_type(FStmt, col);
}

double Statement::Double(int col) const {
    return sqlite3_column_double(FStmt, col);
}

void ThrowLast(sqlite3* db) {
    const int ext = sqlite3_extended_errcode(db);
    std::string msg = sqlite3_errmsg(db);
    Failure kind = Failure::Other;
    std::string column;
    if ((ext & 0xFF) == SQLITE_CONSTRAINT) {
        kind = ext == SQLITE_CONSTRAINT_UNIQUE || ext == SQLITE_CONSTRAINT_PRIMARYKEY ? Failure::Unique
               : ext == SQLITE_CONSTRAINT_NOTNULL                                     ? Failure::NotNull
                                                                                      : Failure::Constraint;
        // "UNIQUE constraint failed: TB_MEMAC.MEMAC001"
        if (auto dot = msg.rfind('.'); dot != std::string::npos && kind != Failure::Constraint)
            column = msg.substr(dot + 1);
    } else if ((ext & 0xFF) == SQLITE_CORRUPT || (ext & 0xFF) == SQLITE_NOTADB) {
        kind = Failure::Malformed;
    } else if ((ext & 0xFF) == SQLITE_BUSY || (ext & 0xFF) == SQLITE_LOCKED) {
        kind = Failure::Busy;
    } else if ((ext & 0xFF) == SQLITE_FULL) {
        kind = Failure::Full;
    } else if (ext == SQLITE_IOERR_WRITE) {
        // A write past the file-size limit or a quota comes as a failed write, not as SQLITE_FULL.
        kind = Failure::Full;
    }
    throw StoreError(msg, kind, column);
}

void Exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) ThrowLast(db);
}

} // namespace qm::host
