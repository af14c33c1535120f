// Small TB_MEMAC tables for the protocol tests.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "dataset/mem_table.h"

namespace qm::test {

// The income-level layout, as the form's binding creates it: key MEMAC_ID, no foreign keys.
void DefineMemac(TMemTable& table);

// One row's values in field order; nullopt is null.
using Values = std::vector<std::optional<std::string>>;

// Appends and posts a row.
void AppendRow(TMemTable& table, const Values& values);

// The worked example: rows 10 (unchanged), 11 (modified), a new row (inserted); the deletion
// table holds row 12.
void MakeWorkedExample(TMemTable& main, TMemTable& deleted);

// A host's search answer of that many income levels, as the host writes it: keys from 1, unique
// four-character codes, Chinese names.
std::string MemacSearchAnswer(int rows);

} // namespace qm::test
