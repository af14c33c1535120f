// Small RAII wrappers over the SQLite C interface.
#pragma once

#include "host/store/connection.h"

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace qm::host {

// Throws StoreError for the database's last failure, classified.
[[noreturn]] void ThrowLast(sqlite3* db);

class Statement {
public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void BindNull(int index);
    void BindText(int index, std::string_view text);
    void BindInt64(int index, std::int64_t value);
    void BindDouble(int index, double value);
    // True while a row is available; false when done. Other results throw StoreError.
    bool Step();

    bool IsNull(int col) const;
    std::string_view Text(int col) const;
    std::int64_t Int64(int col) const;
    int ColumnType(int col) const;
    double Double(int col) const;

private:
    sqlite3* FDb;
    sqlite3_stmt* FStmt = nullptr;
};

void Exec(sqlite3* db, const char* sql);

} // namespace qm::host
