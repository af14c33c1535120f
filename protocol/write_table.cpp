// Request tables as row elements: which rows are sent, with which operation code and key.
#include <optional>

#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "protocol/request_tables.h"
#include "protocol/table_guards.h"
#include "protocol/text_cut.h"
#include "protocol/xml_text.h"

namespace qm {

namespace {

const char* const kOpUnchanged = "0";
const char* const kOpInserted = "1";
const char* const kOpModified = "3";

// Sets an attribute, replacing one of the same name, as a DOM's setAttribute does.
void SetAttribute(pugi::xml_node element, const std::string& name, const std::string& value) {
    RequireXmlName(name, "a key attribute");
    pugi::xml_attribute attr = element.attribute(name.c_str());
    if (!attr) attr = element.append_attribute(name.c_str());
    attr.set_value(value.c_str());
}

pugi::xml_node AppendRow(pugi::xml_node parent, const TMemTable& rows, const char* op) {
    RequireXmlName(rows.QmTableName, "a table");
    pugi::xml_node row = parent.append_child(rows.QmTableName.c_str());
    row.append_attribute("op") = op;
    row.append_attribute("pk") = rows.PKName.c_str();
    row.append_attribute("fk") = rows.FKName.c_str();
    return row;
}

pugi::xml_node AppendChildElement(pugi::xml_node parent, const TMemTable& rows) {
    pugi::xml_node child = parent.append_child("child");
    child.append_attribute("tbname") = rows.QmTableName.c_str();
    return child;
}

// The foreign-key field of a child table for its parent; a child without one cannot be written.
std::string RequireForeignKey(const TQmTable& table) {
    const std::string parentName = table.Parent ? table.Parent->Rows().QmTableName : std::string();
    std::string field = ForeignKeyField(table, parentName);
    if (field.empty())
        throw EDatabaseError("Child table '" + table.Rows().QmTableName + "' has no foreign key for parent table '" +
                             parentName + "'");
    return field;
}

// Restricts a table's rows to one parent key and lifts the restriction on scope exit.
class TParentFilter {
public:
    TParentFilter(TMemTable& rows, const std::string& keyField, const std::string& key) : FRows(rows) {
        FRows.SetFilter(keyField + "=" + key);
        FRows.SetFiltered(true);
    }
    ~TParentFilter() {
        try {
            FRows.SetFilter("");
            FRows.SetFiltered(false);
        } catch (...) {
        }
    }
    TParentFilter(const TParentFilter&) = delete;
    TParentFilter& operator=(const TParentFilter&) = delete;

private:
    TMemTable& FRows;
};

// The key text that restricts a row's child tables: trimmed, empty without a key field.
std::string RowKey(const TMemTable& rows) {
    if (rows.PKName.empty()) return {};
    return Trim(rows.FieldByName(rows.PKName)->AsString());
}

struct FieldAttr {
    const TField* field;
    std::string name;
};

std::vector<FieldAttr> SentFields(const TMemTable& rows) {
    std::vector<FieldAttr> sent;
    for (int i = 0; i < rows.FieldCount(); ++i) {
        const TField* field = rows.Fields(i);
        if (field->IsJoin()) continue;
        std::string name = UpperCase(field->FieldName());
        RequireXmlName(name, "a field");
        sent.push_back({field, std::move(name)});
    }
    return sent;
}

void WriteKeyOnly(pugi::xml_node row, const TMemTable& rows) {
    if (!rows.PKName.empty()) {
        SetAttribute(row, UpperCase(rows.PKName), rows.FieldByName(rows.PKName)->AsString());
        return;
    }
    for (int i = 0; i < rows.FieldCount(); ++i) {
        const TField* field = rows.Fields(i);
        if (field->IsKey() && !field->IsJoin()) SetAttribute(row, UpperCase(field->FieldName()), field->AsString());
    }
}

void WriteRows(TQmTable& table, pugi::xml_node element) {
    TMemTable& rows = table.Rows();
    if (!rows.Active()) return;
    rows.First();
    const int count = rows.RecordCount();
    std::vector<FieldAttr> sent;
    bool planned = false;
    for (int i = 0; i < count; ++i, rows.Next()) {
        ProcessMessages();
        const char* op = nullptr;
        std::string key;
        switch (rows.UpdateStatus()) {
        case usDeleted:
            continue;
        case usModified:
            op = kOpModified;
            if (!rows.PKName.empty()) key = rows.FieldByName(rows.PKName)->AsString();
            break;
        case usInserted:
            op = kOpInserted;
            key = RowKey(rows);
            break;
        case usUnmodified:
            key = RowKey(rows);
            if (!HasChildChanges(table, key)) continue;
            op = kOpUnchanged;
            break;
        }
        pugi::xml_node row = AppendRow(element, rows, op);
        if (op == kOpUnchanged) {
            WriteKeyOnly(row, rows);
        } else {
            if (op == kOpInserted) row.append_attribute("rn") = rows.SourceRowNo();
            if (!planned) {
                sent = SentFields(rows);
                planned = true;
            }
            for (const FieldAttr& attr : sent) {
                ProcessMessages();
                row.append_attribute(attr.name.c_str()) = FieldXmlText(*attr.field).c_str();
            }
        }
        for (int c = 0; c < table.ChildCount(); ++c) {
            ProcessMessages();
            WriteTable(table.Child(c), key, row);
        }
    }
}

// Top-level tables without a key field name their deleted rows by a name made from the table name.
void DeriveKeyNames(TQmTable& table) {
    TMemTable& rows = table.Rows();
    TMemTable& deleted = table.Deleted();
    if (!deleted.PKName.empty() || rows.QmTableName == "UNKNOWN") return;
    const std::string derived = UpperCase(rows.QmTableName.size() > 3 ? rows.QmTableName.substr(3) : "") + "_ID";
    deleted.PKName = derived;
    if (rows.PKName.empty()) rows.PKName = derived;
}

// One row element without a key, carrying the deletions of the tables below.
pugi::xml_node CascadeCarrier(TQmTable& table, pugi::xml_node parent, const char* op) {
    pugi::xml_node row = AppendRow(parent, table.Rows(), op);
    for (int c = 0; c < table.ChildCount(); ++c) WriteDeleted(table.Child(c), row, true);
    return row;
}

}  // namespace

std::string FieldXmlText(const TField& field) {
    const char sep = FormatSettings().TimeSeparator;
    switch (field.DataType()) {
    case ftDate:
    case ftDateTime: {
        if (field.IsNull()) return {};
        const std::string pattern = std::string("yyyy-mm-dd hh") + sep + "nn" + sep + "ss";
        return FormatDateTime(pattern, field.AsDateTime());
    }
    case ftTime: {
        if (field.IsNull()) return {};
        const std::string pattern = std::string("hh") + sep + "nn" + sep + "ss";
        return FormatDateTime(pattern, field.AsDateTime());
    }
    case ftBoolean:
        return field.AsBoolean() ? "1" : "0";
    default:
        return field.AsString();
    }
}

void WriteTable(TQmTable& table, const std::string& parentKey, pugi::xml_node parent) {
    TMemTable& rows = table.Rows();
    pugi::xml_node element;
    if (table.IsChild) {
        element = AppendChildElement(parent, rows);
    } else {
        element = parent.append_child("param");
        element.append_attribute("typ") = "recordset";
        element.append_attribute("tbname") = rows.QmTableName.c_str();
        WriteDeleted(table, element, false);
    }
    if (parentKey.empty()) {
        WriteRows(table, element);
    } else {
        const std::string keyField = RequireForeignKey(table);
        if (!rows.Active()) return;
        TParentFilter filter(rows, keyField, parentKey);
        WriteRows(table, element);
    }
}

void WriteDeleted(TQmTable& table, pugi::xml_node parent, bool cascade) {
    const char* op = table.DeleteMode ? "2" : "4";
    DeriveKeyNames(table);
    TMemTable& rows = table.Rows();
    TMemTable& deleted = table.Deleted();

    if (!table.IsChild) {
        if (HoldsRows(deleted)) {
            for (deleted.First(); !deleted.Eof(); deleted.Next()) {
                pugi::xml_node row = AppendRow(parent, rows, op);
                SetAttribute(row, deleted.PKName, deleted.FieldByName(deleted.PKName)->AsString());
                for (int c = 0; c < table.ChildCount(); ++c) WriteDeleted(table.Child(c), row, true);
            }
        } else {
            for (int c = 0; c < table.ChildCount(); ++c) {
                if (!HasDeletedBelow(table)) continue;
                pugi::xml_node row = AppendRow(parent, rows, kOpUnchanged);
                WriteDeleted(table.Child(c), row, false);
            }
        }
        return;
    }

    if (cascade) {
        CascadeCarrier(table, AppendChildElement(parent, rows), op);
    } else if (HoldsRows(deleted)) {
        pugi::xml_node child = AppendChildElement(parent, rows);
        for (deleted.First(); !deleted.Eof(); deleted.Next()) {
            pugi::xml_node row = AppendRow(child, rows, op);
            SetAttribute(row, rows.PKName, deleted.FieldByName(rows.PKName)->AsString());
            for (int c = 0; c < table.ChildCount(); ++c) WriteDeleted(table.Child(c), row, true);
        }
    } else {
        for (int c = 0; c < table.ChildCount(); ++c) {
            if (!HasDeletedBelow(table)) continue;
            pugi::xml_node row = AppendRow(AppendChildElement(parent, rows), rows, kOpUnchanged);
            WriteDeleted(table.Child(c), row, false);
        }
    }
}

bool HasChildChanges(TQmTable& table, const std::string& parentKey) {
    for (int c = 0; c < table.ChildCount(); ++c) {
        TQmTable& child = table.Child(c);
        TMemTable& rows = child.Rows();
        std::string keyField;
        if (!parentKey.empty()) keyField = RequireForeignKey(child);
        if (!rows.Active()) continue;
        std::optional<TParentFilter> filter;
        if (!parentKey.empty()) {
            filter.emplace(rows, keyField, parentKey);
            rows.First();
        }
        const int count = rows.RecordCount();
        for (int i = 0; i < count && rows.HasCurrentRow(); ++i, rows.Next()) {
            if (rows.UpdateStatus() != usUnmodified) return true;
            if (HasChildChanges(child, RowKey(rows))) return true;
            if (rows.Eof()) break;
        }
    }
    return false;
}

bool HasDeletedBelow(const TQmTable& table) {
    for (int c = 0; c < table.ChildCount(); ++c) {
        const TQmTable& child = table.Child(c);
        if (HoldsRows(child.Deleted()) || HasDeletedBelow(child)) return true;
    }
    return false;
}

std::string ForeignKeyField(const TQmTable& table, std::string_view parentName) {
    std::string list = table.Rows().FKName;
    if (list.empty() || list.back() != ';') list += ';';
    const int count = static_cast<int>(CountChar(list, ';'));
    for (int k = 1; k <= count; ++k) {
        const std::string entry = NthField(list, ';', k);
        const std::size_t colon = entry.find(':');
        if (colon == std::string::npos) continue;
        if (SameText(std::string_view(entry).substr(0, colon), parentName)) return entry.substr(colon + 1);
    }
    return {};
}

}  // namespace qm
