// The host's data store: function ids, the save/delete action and the search, answered as
// response documents (UTF-8 text), on either engine.
#pragma once

#include "host/store/connection.h"
#include "host/store/record_set.h"
#include "host/store/row_versions.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>

struct sqlite3;

namespace qm::host {

class ResponseSink;

// A store file's connection that the start-up probe opened and read: the store goes on with it
// instead of opening the file a second time. Closed when nobody takes it.
class ProbedFile {
public:
    ProbedFile() = default;
    ~ProbedFile();
    ProbedFile(ProbedFile&& other) noexcept;
    ProbedFile& operator=(ProbedFile&& other) noexcept;
    bool Empty() const { return FDb == nullptr; }
    // Hands the connection over (nullptr when empty); the caller closes it.
    sqlite3* Release();
    // Takes `db`, closing the one held before.
    void Keep(sqlite3* db);

private:
    sqlite3* FDb = nullptr;
};

// What the engine of ADDRESS finds wrong with its store before it is opened (a store file that is
// damaged or locked for longer than LOCK_WAIT_MS); empty when nothing. ORIGIN names where the address
// came from, for the message. Where a file was opened and found usable, KEPT (when given) receives
// its connection for the store.
std::string ProbeStore(const std::string& address, int lockWaitMs, const std::string& origin,
                       ProbedFile* kept = nullptr);

class Store {
public:
    // A file path opens SQLite; a postgresql:// URI or a "key=value" connection string opens
    // PostgreSQL. Creates the schema when it is missing. Throws StoreError when the store cannot
    // be opened or reached.
    explicit Store(const std::string& address);
    // The same, going on with the connection the probe of ADDRESS kept, if any.
    Store(const std::string& address, ProbedFile probed);
    explicit Store(std::unique_ptr<Connection> db);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Hands out a fresh function id: status 0 and an integer item holding the id.
    std::string Register(std::string_view moduleKey, std::string_view systemCode);
    std::string Release(std::int32_t funcId);
    std::string Execute(std::int32_t funcId, std::string_view action, std::string_view requestXml);
    // Every row of the table the context tail names, ordered by its code.
    std::string Search(std::string_view contextTail);
    // The same answer handed to sink in pieces as it is written.
    void Search(std::string_view contextTail, ResponseSink& sink);

    // Puts a few sample income levels into an empty store; a store with rows is left alone.
    void FillDemo();

    bool IsRegistered(std::int32_t funcId) const { return FFunctions.count(funcId) != 0; }
    Connection& Db() const { return *FDb; }
    // Who the audit stamps name where the database does not know the clerk (a file).
    void SetClerk(Clerk clerk) { FClerk = std::move(clerk); }
    // Why every write is refused (the file is damaged, found at open or by any later statement);
    // empty while writes are allowed.
    std::string WritesRefused() const;
    // What the clerk should be told about how the store was opened (an upgrade's backup, a
    // journal that could not be used); empty when nothing. The first search answer carries it.
    std::string OpenNote() const { return FDb->OpenNote(); }
    const RowVersions& Versions() const { return FVersions; }

private:
    void NoteFailure(const StoreError& e);
    std::string Answered(std::string_view contextTail, ResponseSink* sink);
    std::string SearchOnce(std::string_view contextTail, ResponseSink* sink);

    std::unique_ptr<Connection> FDb;
    std::set<std::int32_t> FFunctions;
    std::int32_t FNextId = 1;
    RowVersions FVersions;
    std::string FDamage;
    Clerk FClerk;
    std::string FUntoldNote;
};

// $XDG_DATA_HOME/qmclient/qmclient.db, or ~/.local/share/qmclient/qmclient.db.
std::string DefaultDatabasePath();

} // namespace qm::host
