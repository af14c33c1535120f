// The engine library's export.
#include "host/store/pg_engine.h"
#include "host/store/pg_store.h"

extern "C" __attribute__((visibility("default"))) qm::host::Connection*
qm_open_pg_connection(const std::string& address) {
    return new qm::host::PgConnection(address);
}

// The loader looks it up by name: both sides must agree on the type.
[[maybe_unused]] static constexpr qm::host::OpenPgConnectionFunction kEntryType = &qm_open_pg_connection;
