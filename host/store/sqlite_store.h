// The SQLite engine: a file per clerk, the default.
#pragma once

#include "host/store/connection.h"

#include <sqlite3.h>

namespace qm::host {

class SqliteConnection : public Connection {
public:
    // Opens or creates the file, checks it, creates the schema and gives an older file what it
    // lacks (after a copy beside it). Throws StoreError when the file cannot be opened.
    explicit SqliteConnection(const std::string& path);
    ~SqliteConnection() override;

    std::optional<TableInfo> ReadTable(std::string_view name) override;
    std::unique_ptr<Cursor> Query(const std::string& sql, const std::vector<BoundValue>& args) override;
    std::int64_t Run(const std::string& sql, const std::vector<BoundValue>& args) override;
    std::int64_t Insert(const std::string& sql, const std::vector<BoundValue>& args,
                        const std::string& keyColumn) override;
    void Begin() override;
    void Commit() override;
    void Rollback() noexcept override;
    std::string Damage() const override { return FDamage; }

    sqlite3* Handle() const { return FDb; }
    // The copy made before an upgrade; empty when none was needed.
    const std::string& BackupPath() const { return FBackup; }

private:
    void CheckIntegrity();
    void Upgrade(const std::string& path);

    sqlite3* FDb = nullptr;
    std::string FDamage;
    std::string FBackup;
};

// Copies a live database into a new file with SQLite's backup API.
void BackupDatabase(sqlite3* db, const std::string& target);

} // namespace qm::host
