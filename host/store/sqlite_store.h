// The SQLite engine: a file per clerk, the default.
#pragma once

#include "host/store/connection.h"

#include <sqlite3.h>

namespace qm::host {

class ProbedFile;

class SqliteConnection final : public Connection {
public:
    // Opens or creates the file, checks it and brings its layout up to date (after a copy beside
    // it when columns are added). A file that holds other programs' tables and none of ours is
    // refused without a byte written. Throws StoreError when the file cannot be used.
    explicit SqliteConnection(const std::string& path);
    // The same on `opened`, a connection to `path` that is taken over (a null one opens the file).
    SqliteConnection(const std::string& path, sqlite3* opened);
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

    const TypeMap& Types() const override;
    std::vector<std::string> TableNames() override;
    int RecordedVersion() override;
    void RecordVersion(int version) override;
    void BeforeAlter() override;
    std::string OpenNote() const override;
    std::string QuoteIdent(std::string_view name) const override;

    // Before the store opens a file at start-up: empty when it can, else the reason for the clerk.
    // A usable file's connection goes to `kept` when given, else it is closed.
    static std::string Probe(const std::string& path, int lockWaitMs, const std::string& origin,
                             ProbedFile* kept = nullptr);

    // How long a save waits for another clerk's before it is refused as busy.
    void SetBusyWait(int ms);

private:
    void CheckIntegrity();
    void RefuseForeignFile();
    void UseWriteAheadLog();

    sqlite3* FDb = nullptr;
    std::string FPath;
    std::string FDamage;
    std::string FBackup;
    std::string FJournalNote;
};

// Copies a live database into a new file with SQLite's backup API.
void BackupDatabase(sqlite3* db, const std::string& target);

} // namespace qm::host
