// The store's layout and its chain of upgrades, the same on every engine: a new store is created
// as it is now; an older one is brought up to it step by step, in one transaction that no other
// host can enter, after which it records the version reached.
#pragma once

#include "host/store/connection.h"

namespace qm::host {

// 1: the first release (no row versions); 2: rows carry a version; 3: the store sets the audit
// stamps and checks a unique code at the end of a save.
inline constexpr int kLayoutVersion = 3;

// Brings the store to kLayoutVersion. A second host waits for the first and then finds nothing to
// do. Throws StoreError when the layout cannot be changed (a missing right on a server).
void PrepareLayout(Connection& db);

// The version a store is at: the recorded one, else what its tables show.
int LayoutVersion(Connection& db);

} // namespace qm::host
