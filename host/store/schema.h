// What the database itself says about a table: the only source of names that reach SQL text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::host {

enum class ColumnKind { Integer, Number, Text, Date };

struct Column {
    std::string Name; // as declared
    ColumnKind Kind = ColumnKind::Text;
    int Size = 0; // characters for text (0: unlimited), precision for numbers
    int Scale = 0;
    bool NotNull = false;
    bool PrimaryKey = false;
    std::string TypeWord; // the response's description, e.g. "VARCHAR2:4", "NUMBER:22:0", "DATE:7"
    std::string Label;    // what a clerk reads, for the columns of a served table the form shows
};

// How a message names a column: "[label]" where the clerk knows it by one, else "字段 NAME".
std::string ColumnSubject(const Column& column);

struct TableInfo {
    std::string Name;            // as declared
    std::vector<Column> Columns; // without the version column
    bool Versioned = false;      // whether rows carry a version

    // Matches names exactly, then ignoring ASCII case; null when absent.
    const Column* Find(std::string_view name) const;
    const Column* PrimaryKey() const;
    // The code a clerk knows a row by: the served table's unique code, else the key; rows are
    // listed by it.
    const Column* CodeColumn() const;
    // The `fields` attribute of a recordset: "NAME:TYPE:SIZE[:SCALE]" joined by blanks.
    std::string FieldList() const;
};

// Picks the table a name means among the existing ones: the exact name, else one that matches
// ignoring ASCII case; empty when none does.
std::optional<std::string> MatchTableName(const std::vector<std::string>& existing, std::string_view name);
// Adds a column read from a catalogue, with its label when the table is served; the version
// column only marks the table as versioned.
void AddColumn(TableInfo& table, Column column);

// Classifies a declared column type such as "VARCHAR2(30)" or "NUMBER(12,0)".
Column DescribeColumn(std::string_view name, std::string_view declaredType);

} // namespace qm::host
