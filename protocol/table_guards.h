// Scope guards for in-memory tables used by the protocol's transfers.
#pragma once

#include "dataset/mem_table.h"

namespace qm {

// Suspends the updates of a table's attached controls for the scope.
class TControlsDisabled {
public:
    explicit TControlsDisabled(TMemTable& table) : FTable(table) { FTable.DisableControls(); }
    ~TControlsDisabled() { FTable.EnableControls(); }
    TControlsDisabled(const TControlsDisabled&) = delete;
    TControlsDisabled& operator=(const TControlsDisabled&) = delete;

private:
    TMemTable& FTable;
};

// Rows shown to the protocol: a closed table holds none.
inline bool HoldsRows(const TMemTable& table) {
    return table.Active() && table.RecordCount() > 0;
}

} // namespace qm
