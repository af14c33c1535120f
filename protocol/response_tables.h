// Moving a response table into a form's table.
#pragma once

#include "protocol/qm_table.h"

namespace qm {

class TMemTable;

// Appends the rows of a response table to target as unchanged rows, matching fields by name and
// converting to the target's types. Leaves target on its first row.
void LoadTable(const TQmTable& table, TMemTable& target);

} // namespace qm
