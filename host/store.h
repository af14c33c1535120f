// The host's data store: function ids, the save/delete action and the search, answered as
// response documents (UTF-8 text).
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

namespace qm::host {

class Store {
public:
    // Opens or creates the database file; creates the TB_MEMAC table when it is missing.
    // Throws StoreError when the file cannot be opened.
    explicit Store(const std::string& path);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Hands out a fresh function id: status 0 and an integer item holding the id.
    std::string Register(std::string_view moduleKey, std::string_view systemCode);
    std::string Release(std::int32_t funcId);
    std::string Execute(std::int32_t funcId, std::string_view action, std::string_view requestXml);
    // Every row of the table the context tail names, ordered by its code.
    std::string Search(std::string_view contextTail);

    // Puts a few sample income levels into an empty store; a store with rows is left alone.
    void FillDemo();

    bool IsRegistered(std::int32_t funcId) const { return FFunctions.count(funcId) != 0; }
    sqlite3* Database() const { return FDb; }

private:
    sqlite3* FDb = nullptr;
    std::set<std::int32_t> FFunctions;
    std::int32_t FNextId = 1;
};

// $XDG_DATA_HOME/qmclient/qmclient.db, or ~/.local/share/qmclient/qmclient.db.
std::string DefaultDatabasePath();

}  // namespace qm::host
