#include "json_request.h"

#include <memory>
#include <stdexcept>
#include <vector>

#include "dataset/mem_table.h"
#include "protocol/protocol.h"

namespace qm::tool {

namespace {

using nlohmann::json;

std::uint8_t ParamTypeOf(const std::string& word) {
    static const char* const words[] = {"string", "integer", "double", "float", "datetime",
                                        "date",   "time",    "var",    "memo"};
    for (std::uint8_t i = 0; i < std::size(words); ++i)
        if (word == words[i]) return i;
    if (word == "none") return ptNone;
    throw std::invalid_argument("unknown parameter type \"" + word + "\"");
}

TFieldType FieldTypeOf(const std::string& name) {
    for (TFieldType t : {ftString, ftInteger, ftLargeint, ftFloat, ftDate, ftDateTime, ftTime, ftBoolean})
        if (name == FieldTypeName(t)) return t;
    throw std::invalid_argument("unknown field type \"" + name + "\"");
}

TUpdateStatus StatusOf(const std::string& word) {
    if (word == "unmodified") return usUnmodified;
    if (word == "modified") return usModified;
    if (word == "inserted") return usInserted;
    throw std::invalid_argument("unknown row status \"" + word + "\" (unmodified, modified, inserted)");
}

std::string ValueText(const json& value) {
    if (value.is_string()) return value.get<std::string>();
    if (value.is_boolean()) return value.get<bool>() ? "True" : "False";
    return value.dump();
}

const json& Member(const json& object, const char* name, const json& fallback) {
    if (!object.is_object()) throw std::invalid_argument("expected an object");
    const auto it = object.find(name);
    return it == object.end() ? fallback : *it;
}

void FillParam(TQmParam& param, const json& item) {
    static const json none = "none", empty = "";
    param.ParamType = ParamTypeOf(Member(item, "type", none).get<std::string>());
    param.Value = ValueText(Member(item, "value", empty));
    param.Name = Member(item, "name", empty).get<std::string>();
}

// The source tables a protocol table is filled from; they must outlive the write.
struct Sources {
    std::vector<std::unique_ptr<TMemTable>> tables;
    TMemTable& Make() { return *tables.emplace_back(std::make_unique<TMemTable>()); }
};

void Define(TMemTable& table, const json& desc) {
    static const json emptyArray = json::array(), empty = "", zero = 0, no = false;
    for (const json& f : Member(desc, "fields", emptyArray))
        table.FieldDefs().Add(Member(f, "name", empty).get<std::string>(),
                              FieldTypeOf(Member(f, "type", json("ftString")).get<std::string>()),
                              Member(f, "size", zero).get<int>());
    table.CreateDataSet();
    int i = 0;
    for (const json& f : Member(desc, "fields", emptyArray)) {
        TField* field = table.Fields(i++);
        field->SetIsKey(Member(f, "isKey", no).get<bool>());
        field->SetIsJoin(Member(f, "isJoin", no).get<bool>());
        field->SetNotNull(Member(f, "notNull", no).get<bool>());
    }
    table.QmTableName = Member(desc, "name", empty).get<std::string>();
    table.PKName = Member(desc, "pk", empty).get<std::string>();
    table.FKName = Member(desc, "fk", empty).get<std::string>();
    table.SetCachedUpdates(true);
}

// `where` names the row for messages: "row 2" or "deleted row 1".
void AppendValues(TMemTable& table, const json& values, TUpdateStatus status, const std::string& where) {
    const std::string row = "table " + table.QmTableName + ", " + where;
    if (!values.is_array() || static_cast<int>(values.size()) > table.FieldCount())
        throw std::invalid_argument(row + ": the values must be an array of at most " +
                                    std::to_string(table.FieldCount()) + " values");
    table.AppendWithStatus(status, 0);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i].is_null()) continue;
        TField* field = table.Fields(static_cast<int>(i));
        try {
            field->SetAsString(ValueText(values[i]));
        } catch (const std::exception& e) {
            throw std::invalid_argument(row + ", field " + field->FieldName() + ": " + e.what());
        }
    }
    table.Post();
}

void FillTable(TQmTable& table, const json& desc, Sources& sources) {
    static const json emptyArray = json::array(), unmodified = "unmodified";
    TMemTable& rows = sources.Make();
    Define(rows, desc);
    int n = 0;
    for (const json& row : Member(desc, "rows", emptyArray))
        AppendValues(rows, Member(row, "values", emptyArray),
                     StatusOf(Member(row, "status", unmodified).get<std::string>()),
                     "row " + std::to_string(++n));
    TMemTable& deleted = sources.Make();
    Define(deleted, desc);
    n = 0;
    for (const json& row : Member(desc, "deleted", emptyArray))
        AppendValues(deleted, row, usUnmodified, "deleted row " + std::to_string(++n));
    rows.First();
    FillRows(table, rows);
    FillDeleted(table, deleted);
    for (const json& child : Member(desc, "children", emptyArray))
        FillTable(table.Child(table.AddChild()), child, sources);
}

} // namespace

std::string JsonToRequest(const json& request) {
    static const json emptyArray = json::array(), no = false, allRows = 0;
    TQmProtocol protocol;
    protocol.DeleteMode = Member(request, "deleteMode", no).get<bool>();
    protocol.SetCopyMode(Member(request, "copyMode", allRows).get<std::uint8_t>());
    for (const json& p : Member(request, "params", emptyArray))
        FillParam(protocol.Param(protocol.AddParam()), p);
    for (const json& v : Member(request, "variables", emptyArray))
        FillParam(protocol.Variable(protocol.AddVariable()), v);
    Sources sources;
    for (const json& t : Member(request, "tables", emptyArray))
        FillTable(protocol.Table(protocol.AddTable()), t, sources);
    return protocol.WriteXml();
}

} // namespace qm::tool
