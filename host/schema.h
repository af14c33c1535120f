// What the database itself says about a table: the only source of names that reach SQL text.
#pragma once

#include <sqlite3.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::host {

enum class ColumnKind { Integer, Number, Text, Date };

struct Column {
    std::string Name;      // as declared
    ColumnKind Kind = ColumnKind::Text;
    int Size = 0;          // characters for text (0: unlimited), precision for numbers
    int Scale = 0;
    bool NotNull = false;
    bool PrimaryKey = false;
    std::string TypeWord;  // the response's description, e.g. "VARCHAR2:4", "NUMBER:22:0", "DATE:7"
};

struct TableInfo {
    std::string Name;  // as declared
    std::vector<Column> Columns;

    // Matches names exactly, then ignoring ASCII case; null when absent.
    const Column* Find(std::string_view name) const;
    const Column* PrimaryKey() const;
    // The `fields` attribute of a recordset: "NAME:TYPE:SIZE[:SCALE]" joined by blanks.
    std::string FieldList() const;
};

// Reads a table's description from sqlite_master and PRAGMA table_info; empty when no table of
// that name (ignoring ASCII case) exists.
std::optional<TableInfo> ReadTableInfo(sqlite3* db, std::string_view name);

// Classifies a declared column type such as "VARCHAR2(30)" or "NUMBER(12,0)".
Column DescribeColumn(std::string_view name, std::string_view declaredType);

}  // namespace qm::host
