// Moving dataset rows into request tables and writing those tables as row elements.
#pragma once

#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "protocol/qm_table.h"

namespace qm {

class TMemTable;

// Copies the source's definitions, names, flags and rows (chosen by the table's CopyMode; a child
// table takes every row) into table.Rows(), each row with its update status and source row number.
void FillRows(TQmTable& table, TMemTable& source);
// The same for table.Deleted(), always every row.
void FillDeleted(TQmTable& table, TMemTable& source);

// Appends the table's element (param for a top-level table, child for a child table) to parent.
// A non-empty parentKey restricts the rows to those whose foreign key for the parent holds it.
void WriteTable(TQmTable& table, const std::string& parentKey, pugi::xml_node parent);
// Appends the deleted-row elements of the table and of its children to parent.
void WriteDeleted(TQmTable& table, pugi::xml_node parent, bool cascade);
// WriteTable into a document being written front to back, under the element at depth.
class TXmlStream;
void WriteTable(TQmTable& table, const std::string& parentKey, TXmlStream& stream, int depth);

// True when a row of a child table (restricted to parentKey when given), or below, is not unchanged.
bool HasChildChanges(TQmTable& table, const std::string& parentKey);
// True when any child table, at any depth, holds deleted rows.
bool HasDeletedBelow(const TQmTable& table);
// The table's foreign-key field for the parent table (any letter case); empty when none.
std::string ForeignKeyField(const TQmTable& table, std::string_view parentName);

// The text an attribute carries for the field's value in the current row.
class TField;
std::string FieldXmlText(const TField& field);
// The same into a buffer that is reused from value to value.
void AppendFieldXmlText(const TField& field, std::string& out);

} // namespace qm
