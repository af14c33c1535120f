// The PostgreSQL engine: a team's shared store on a server, reached through libpq.
#pragma once

#include "host/store/connection.h"

#include <libpq-fe.h>

namespace qm::host {

class PgConnection final : public Connection {
public:
    // Connects (with a connect timeout), sets the session's limits and brings the layout up to date.
    // Throws StoreError(Lost) when the server cannot be reached or refuses the login.
    explicit PgConnection(const std::string& address);
    ~PgConnection() override;

    std::optional<TableInfo> ReadTable(std::string_view name) override;
    std::int64_t RowsEstimate(const std::string& table) override;
    std::unique_ptr<Cursor> Query(const std::string& sql, const std::vector<BoundValue>& args) override;
    std::int64_t Run(const std::string& sql, const std::vector<BoundValue>& args) override;
    std::int64_t Insert(const std::string& sql, const std::vector<BoundValue>& args,
                        const std::string& keyColumn) override;
    void Begin() override;
    void Commit() override;
    void Rollback() noexcept override;
    void EnsureOpen() override;
    std::string LoginRole() override;

    const TypeMap& Types() const override;
    std::vector<std::string> TableNames() override;
    int RecordedVersion() override;
    void RecordVersion(int version) override;
    void BeginLayoutChange() override;
    void InstallRules(const TableDef& table) override;
    bool DefersUniqueness() const override { return true; }
    bool StampsItself() const override { return true; }
    std::string QuoteIdent(std::string_view name) const override;

    PGconn* Handle() const { return FConn; }

private:
    class Stream;
    PGresult* Exec(const std::string& sql, const std::vector<BoundValue>& args);
    // R when it succeeded; otherwise frees it and throws the StoreError it tells of.
    PGresult* Checked(PGresult* r);
    // Takes in what a cursor asked for ahead, so that the connection is free for a statement.
    void Settle() noexcept;
    void Prepare();

    PGconn* FConn = nullptr;
    Stream* FAhead = nullptr; // the cursor whose next rows were asked for and not yet taken in
};

// '?' marks to libpq's $1, $2, ...; marks inside quotes are left alone.
std::string NumberedMarks(std::string_view sql);

} // namespace qm::host
