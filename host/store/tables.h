// The tables the host serves, each defined once: columns, types and sizes, key, the unique code
// column and the labels messages use. Each engine renders its DDL from here.
#pragma once

#include "host/store/schema.h"

#include <string>
#include <string_view>
#include <vector>

namespace qm::host {

// Columns the store fills itself; a request's values for them are ignored.
enum class Stamp { None, CreateUser, CreateGroup, CreateDate, ModifyUser, ModifyDate };

struct ColumnDef {
    std::string Name;
    ColumnKind Kind = ColumnKind::Text;
    int Size = 0; // characters for text, precision for numbers
    int Scale = 0;
    bool NotNull = false;
    std::string Label; // what a clerk reads; empty for columns the form does not show
    Stamp Role = Stamp::None;
};

struct TableDef {
    std::string Name;
    std::string Key;  // an integer the store assigns, never reused
    std::string Code; // unique: the code a clerk knows a row by
    std::vector<ColumnDef> Columns;

    const ColumnDef* Find(std::string_view name) const; // ignoring ASCII case
    // The label of a column for messages, else its name.
    std::string LabelOf(std::string_view column) const;
};

// Every table the host serves.
const std::vector<TableDef>& ServedTables();
// The served table of that name (ignoring ASCII case), else null.
const TableDef* FindServedTable(std::string_view name);

// How an engine spells a column's type in DDL.
class TypeMap {
public:
    virtual ~TypeMap() = default;
    virtual std::string KeyType() const = 0; // the key, with its PRIMARY KEY clause
    virtual std::string Type(const ColumnDef& column) const = 0;
    virtual std::string UniqueClause() const { return "UNIQUE"; }
    virtual std::string VersionType() const = 0; // the row version column, with its default
};

class Connection;

// CREATE TABLE IF NOT EXISTS for the table as it is now, the version column included, in the
// engine's types and quoting.
std::string CreateTableSql(const TableDef& table, const Connection& db);

} // namespace qm::host
