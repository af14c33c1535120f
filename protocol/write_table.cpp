// Request tables as row elements: which rows are sent, with which operation code and key.
#include <optional>

#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "protocol/request_tables.h"
#include "protocol/table_guards.h"
#include "protocol/text_cut.h"
#include "protocol/xml_stream.h"
#include "protocol/xml_text.h"

namespace qm {

namespace {

const char* const kOpUnchanged = "0";
const char* const kOpInserted = "1";
const char* const kOpModified = "3";

// Sets an attribute, replacing one of the same name, as a DOM's setAttribute does.
template <class Node> void SetAttribute(Node element, const std::string& name, const std::string& value) {
    RequireXmlName(name, "a key attribute");
    element.SetAttribute(name, value);
}

template <class Node> Node AppendRow(Node parent, const TMemTable& rows, const char* op) {
    RequireXmlName(rows.QmTableName, "a table");
    Node row = parent.Child(rows.QmTableName);
    row.Attribute("op", op);
    row.Attribute("pk", rows.PKName);
    row.Attribute("fk", rows.FKName);
    return row;
}

template <class Node> Node AppendChildElement(Node parent, const TMemTable& rows) {
    Node child = parent.Child("child");
    child.Attribute("tbname", rows.QmTableName);
    return child;
}

// The foreign-key field of a child table for its parent; a child without one cannot be written.
std::string RequireForeignKey(const TQmTable& table) {
    const std::string parentName = table.Parent ? table.Parent->Rows().QmTableName : std::string();
    std::string field = ForeignKeyField(table, parentName);
    if (field.empty())
        throw EDatabaseError("Child table '" + table.Rows().QmTableName +
                             "' has no foreign key for parent table '" + parentName + "'");
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

template <class Node> void WriteKeyOnly(Node row, const TMemTable& rows) {
    if (!rows.PKName.empty()) {
        SetAttribute(row, UpperCase(rows.PKName), rows.FieldByName(rows.PKName)->AsString());
        return;
    }
    for (int i = 0; i < rows.FieldCount(); ++i) {
        const TField* field = rows.Fields(i);
        if (field->IsKey() && !field->IsJoin())
            SetAttribute(row, UpperCase(field->FieldName()), field->AsString());
    }
}

template <class Node> void WriteTableTo(TQmTable& table, const std::string& parentKey, Node parent);
template <class Node> void WriteDeletedTo(TQmTable& table, Node parent, bool cascade);

template <class Node> void WriteRows(TQmTable& table, Node element) {
    TMemTable& rows = table.Rows();
    if (!rows.Active()) return;
    rows.First();
    const int count = rows.RecordCount();
    std::vector<FieldAttr> sent;
    bool planned = false;
    std::string text; // one buffer for every value
    // Resolved at the first row that needs it, which raises for a key field that is not there.
    const TField* keyField = nullptr;
    auto keyText = [&] {
        if (!keyField) keyField = rows.FieldByName(rows.PKName);
        return keyField->AsString();
    };
    for (int i = 0; i < count; ++i, rows.Next()) {
        ProcessMessages();
        const char* op = nullptr;
        std::string key;
        switch (rows.UpdateStatus()) {
        case usDeleted:
            continue;
        case usModified:
            op = kOpModified;
            if (!rows.PKName.empty()) key = keyText();
            break;
        case usInserted:
            op = kOpInserted;
            if (!rows.PKName.empty()) key = Trim(keyText());
            break;
        case usUnmodified:
            key = RowKey(rows);
            if (!HasChildChanges(table, key)) continue;
            op = kOpUnchanged;
            break;
        }
        Node row = AppendRow(element, rows, op);
        if (op == kOpUnchanged) {
            WriteKeyOnly(row, rows);
        } else {
            if (op == kOpInserted) row.Attribute("rn", std::to_string(rows.SourceRowNo()));
            if (!planned) {
                sent = SentFields(rows);
                planned = true;
            }
            for (const FieldAttr& attr : sent) {
                ProcessMessages();
                AppendFieldXmlText(*attr.field, text);
                row.Attribute(attr.name, text);
            }
        }
        for (int c = 0; c < table.ChildCount(); ++c) {
            ProcessMessages();
            WriteTableTo(table.Child(c), key, row);
        }
    }
}

// Top-level tables without a key field name their deleted rows by a name made from the table name.
void DeriveKeyNames(TQmTable& table) {
    TMemTable& rows = table.Rows();
    TMemTable& deleted = table.Deleted();
    if (!deleted.PKName.empty() || rows.QmTableName == "UNKNOWN") return;
    const std::string derived =
        UpperCase(rows.QmTableName.size() > 3 ? rows.QmTableName.substr(3) : "") + "_ID";
    deleted.PKName = derived;
    if (rows.PKName.empty()) rows.PKName = derived;
}

// One row element without a key, carrying the deletions of the tables below.
template <class Node> Node CascadeCarrier(TQmTable& table, Node parent, const char* op) {
    Node row = AppendRow(parent, table.Rows(), op);
    for (int c = 0; c < table.ChildCount(); ++c)
        WriteDeletedTo(table.Child(c), row, true);
    return row;
}

// Two digits, or four for a year, as the date patterns write them.
char* PutDigits(char* at, int value, int width) {
    for (int k = width - 1; k >= 0; --k, value /= 10)
        at[k] = static_cast<char>('0' + value % 10);
    return at + width;
}

// "yyyy-mm-dd hh:nn:ss" (date) or "hh:nn:ss", as FormatDateTime writes them, without parsing the
// pattern per value. Years outside 1..9999 take FormatDateTime itself.
void AppendDateText(TDateTime value, bool withDate, std::string& out) {
    const char sep = FormatSettings().TimeSeparator;
    int y, m, d, h, n, s, z;
    DecodeDateTime(value, y, m, d, h, n, s, z);
    if (withDate && (y < 1 || y > 9999)) {
        out = FormatDateTime(std::string("yyyy-mm-dd hh") + sep + "nn" + sep + "ss", value);
        return;
    }
    char buf[20];
    char* at = buf;
    if (withDate) {
        at = PutDigits(at, y, 4);
        *at++ = '-';
        at = PutDigits(at, m, 2);
        *at++ = '-';
        at = PutDigits(at, d, 2);
        *at++ = ' ';
    }
    at = PutDigits(at, h, 2);
    *at++ = sep;
    at = PutDigits(at, n, 2);
    *at++ = sep;
    at = PutDigits(at, s, 2);
    out.assign(buf, static_cast<std::size_t>(at - buf));
}

} // namespace

void AppendFieldXmlText(const TField& field, std::string& out) {
    out.clear();
    switch (field.DataType()) {
    case ftDate:
    case ftDateTime:
    case ftTime:
        if (!field.IsNull()) AppendDateText(field.AsDateTime(), field.DataType() != ftTime, out);
        return;
    case ftInteger:
    case ftLargeint:
        if (!field.IsNull()) out = std::to_string(field.AsLargeInt());
        return;
    case ftBoolean:
        out = field.AsBoolean() ? "1" : "0";
        return;
    default:
        out = field.AsString();
        return;
    }
}

std::string FieldXmlText(const TField& field) {
    std::string text;
    AppendFieldXmlText(field, text);
    return text;
}

namespace {

template <class Node> void WriteTableTo(TQmTable& table, const std::string& parentKey, Node parent) {
    TMemTable& rows = table.Rows();
    Node element;
    if (table.IsChild) {
        element = AppendChildElement(parent, rows);
    } else {
        element = parent.Child("param");
        element.Attribute("typ", "recordset");
        element.Attribute("tbname", rows.QmTableName);
        WriteDeletedTo(table, element, false);
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

template <class Node> void WriteDeletedTo(TQmTable& table, Node parent, bool cascade) {
    const char* op = table.DeleteMode ? "2" : "4";
    DeriveKeyNames(table);
    TMemTable& rows = table.Rows();
    TMemTable& deleted = table.Deleted();

    if (!table.IsChild) {
        if (HoldsRows(deleted)) {
            for (deleted.First(); !deleted.Eof(); deleted.Next()) {
                Node row = AppendRow(parent, rows, op);
                SetAttribute(row, deleted.PKName, deleted.FieldByName(deleted.PKName)->AsString());
                for (int c = 0; c < table.ChildCount(); ++c)
                    WriteDeletedTo(table.Child(c), row, true);
            }
        } else {
            for (int c = 0; c < table.ChildCount(); ++c) {
                if (!HasDeletedBelow(table)) continue;
                Node row = AppendRow(parent, rows, kOpUnchanged);
                WriteDeletedTo(table.Child(c), row, false);
            }
        }
        return;
    }

    if (cascade) {
        CascadeCarrier(table, AppendChildElement(parent, rows), op);
    } else if (HoldsRows(deleted)) {
        Node child = AppendChildElement(parent, rows);
        for (deleted.First(); !deleted.Eof(); deleted.Next()) {
            Node row = AppendRow(child, rows, op);
            SetAttribute(row, rows.PKName, deleted.FieldByName(rows.PKName)->AsString());
            for (int c = 0; c < table.ChildCount(); ++c)
                WriteDeletedTo(table.Child(c), row, true);
        }
    } else {
        for (int c = 0; c < table.ChildCount(); ++c) {
            if (!HasDeletedBelow(table)) continue;
            Node row = AppendRow(AppendChildElement(parent, rows), rows, kOpUnchanged);
            WriteDeletedTo(table.Child(c), row, false);
        }
    }
}

} // namespace

void WriteTable(TQmTable& table, const std::string& parentKey, pugi::xml_node parent) {
    WriteTableTo(table, parentKey, TDomNode{parent});
}

void WriteDeleted(TQmTable& table, pugi::xml_node parent, bool cascade) {
    WriteDeletedTo(table, TDomNode{parent}, cascade);
}

void WriteTable(TQmTable& table, const std::string& parentKey, TXmlStream& stream, int depth) {
    WriteTableTo(table, parentKey, TStreamNode{&stream, depth});
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

} // namespace qm
