// The PostgreSQL engine lives in a library of its own, loaded only when a store address names a
// server: a clerk on a file never maps libpq and the libraries it brings.
#pragma once

#include "host/store/connection.h"

#include <memory>
#include <string>

namespace qm::host {

// The engine library's file name, looked for beside the running program.
inline constexpr const char* kPgEngineFile = "libqmpgstore.so";

// Its one export, C linkage: a new connection, owned by the caller; throws StoreError as the
// connection's constructor does.
inline constexpr const char* kPgEngineEntry = "qm_open_pg_connection";
using OpenPgConnectionFunction = Connection* (*)(const std::string& address);

// Loads the engine library (once) and connects. Throws StoreError, in words a clerk reads, when
// the library is missing or unusable.
std::unique_ptr<Connection> OpenServerStore(const std::string& address);

} // namespace qm::host
