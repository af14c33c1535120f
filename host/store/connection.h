// One store interface, two engines: what the request handling asks of a database.
#pragma once

#include "host/store/schema.h"
#include "host/store/tables.h"
#include "host/store/values.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qm::host {

// What kind of failure a statement met; the request handling turns the known ones into refusals.
enum class Failure {
    Other,
    Unique,        // a repeated value in a unique column
    NotNull,       // a missing value in a column that needs one
    Constraint,    // any other table rule
    Malformed,     // the database file is damaged
    Lost,          // the connection to the server is gone
    CommitUnknown, // the connection broke during COMMIT: the outcome is not known
    Busy,          // another writer held the store longer than the wait allows
    Full,          // the disk, a quota or the file-size limit leaves no room
};

// A database failure that the store could not turn into a refusal of its own.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const std::string& what, Failure kind = Failure::Other, std::string column = {},
                        std::string value = {})
        : std::runtime_error(what), Kind(kind), Column(std::move(column)), Value(std::move(value)) {}
    Failure Kind;
    std::string Column; // the column a broken rule names, when the engine says
    std::string Value;  // the value it names, when the engine says
};

// The rows of one statement, read forward.
class Cursor {
public:
    virtual ~Cursor() = default;
    virtual bool Next() = 0;
    virtual bool IsNull(int col) const = 0;
    // Numbers come as their shortest decimal text, dates as "yyyy-mm-dd hh:nn:ss".
    virtual std::string_view Text(int col) const = 0;
    // Text(col) unless the value is null (false): one call for a row that is read whole.
    virtual bool Get(int col, std::string_view& text) const {
        if (IsNull(col)) return false;
        text = Text(col);
        return true;
    }
    // The number of rows, where the engine knows it before they are read; -1 otherwise.
    virtual std::int64_t RowsKnown() const { return -1; }
};

class Connection {
public:
    virtual ~Connection() = default;

    // About how many rows a table holds, to size an answer by, where the engine can tell without
    // reading them; -1 otherwise.
    virtual std::int64_t RowsEstimate(const std::string& table) {
        (void)table;
        return -1;
    }

    // A table's description, the version column left out of its columns; empty when absent.
    virtual std::optional<TableInfo> ReadTable(std::string_view name) = 0;

    // Statements take their values through '?' marks, in order.
    virtual std::unique_ptr<Cursor> Query(const std::string& sql, const std::vector<BoundValue>& args) = 0;
    // Returns the number of rows changed.
    virtual std::int64_t Run(const std::string& sql, const std::vector<BoundValue>& args) = 0;
    // Runs an INSERT and returns the key the database gave the row.
    virtual std::int64_t Insert(const std::string& sql, const std::vector<BoundValue>& args,
                                const std::string& keyColumn) = 0;

    // A write transaction: other writers wait or fail, readers go on.
    virtual void Begin() = 0;
    virtual void Commit() = 0;
    virtual void Rollback() noexcept = 0;

    // Reconnects when a server connection was lost; throws StoreError(Lost) when it cannot.
    virtual void EnsureOpen() {}
    // Why the store must not be written to (a damaged file); empty when it may.
    virtual std::string Damage() const { return {}; }
    // The name the database knows the clerk by, when it has one (a server role); empty otherwise.
    virtual std::string LoginRole() { return {}; }

    // The store's own layout, as the chain of upgrades asks each engine for it.
    virtual const TypeMap& Types() const = 0;
    virtual std::vector<std::string> TableNames() = 0;
    // The layout version the store recorded; 0 when none was (a new store or an earlier release's).
    virtual int RecordedVersion() = 0;
    virtual void RecordVersion(int version) = 0;
    // A write transaction in which no other host changes the layout.
    virtual void BeginLayoutChange() { Begin(); }
    // Called once, inside that transaction, before a step adds columns to existing tables.
    virtual void BeforeAlter() {}
    // The engine's own rules for a served table (on a server: the deferred code check, the stamps).
    virtual void InstallRules(const TableDef&) {}
    // Whether the database checks a unique code only at commit, so that codes may change places.
    virtual bool DefersUniqueness() const { return false; }
    // Whether the database writes the audit stamps itself.
    virtual bool StampsItself() const { return false; }
    // What the clerk should be told about how the store was opened (a backup, a fallback); or empty.
    virtual std::string OpenNote() const { return {}; }

    // A name quoted for this engine's SQL. Only ever used on names read from the database's own
    // schema or from the served tables' definitions.
    virtual std::string QuoteIdent(std::string_view name) const = 0;
};

// Rolls back unless committed.
class Transaction {
public:
    enum Kind { Rows, Layout };
    explicit Transaction(Connection& db, Kind kind = Rows) : FDb(db) {
        if (kind == Layout)
            db.BeginLayoutChange();
        else
            db.Begin();
    }
    ~Transaction() {
        if (!FDone) FDb.Rollback();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit() {
        FDone = true; // a failed COMMIT has ended the transaction too
        FDb.Commit();
    }

private:
    Connection& FDb;
    bool FDone = false;
};

// The column that carries each row's version; never shown to the module.
inline constexpr const char* kVersionColumn = "ROW_VERSION";

} // namespace qm::host
