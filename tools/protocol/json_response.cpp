#include "json_response.h"

#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "protocol/protocol.h"

namespace qm::tool {

namespace {

const char* ParamTypeName(std::uint8_t type) {
    static const char* const names[] = {"ptString", "ptInteger", "ptDouble", "ptFloat", "ptDateTime", "ptDate",
                                        "ptTime",   "ptVar",     "ptMemo",   "",        "ptNone"};
    return type < std::size(names) ? names[type] : "";
}

nlohmann::ordered_json FieldValue(const TField& field) {
    if (field.IsNull()) return nullptr;
    switch (field.DataType()) {
    case ftInteger:
    case ftLargeint: return field.AsLargeInt();
    case ftFloat: return field.AsFloat();
    case ftBoolean: return field.AsBoolean();
    case ftDate: return FormatDateTime("yyyy-mm-dd", field.AsDateTime());
    case ftDateTime: return FormatDateTime("yyyy-mm-dd hh:nn:ss", field.AsDateTime());
    case ftTime: return FormatDateTime("hh:nn:ss", field.AsDateTime());
    default: return field.AsString();
    }
}

nlohmann::ordered_json TableToJson(const TQmTable& table) {
    TMemTable& rows = table.Rows();
    nlohmann::ordered_json fields = nlohmann::ordered_json::array();
    for (int i = 0; i < rows.FieldCount(); ++i) {
        const TField* f = rows.Fields(i);
        fields.push_back({{"name", f->FieldName()}, {"type", FieldTypeName(f->DataType())}, {"size", f->Size()}});
    }
    nlohmann::ordered_json data = nlohmann::ordered_json::array();
    if (rows.Active()) {
        for (rows.First(); !rows.Eof(); rows.Next()) {
            nlohmann::ordered_json row = nlohmann::ordered_json::array();
            for (int i = 0; i < rows.FieldCount(); ++i) row.push_back(FieldValue(*rows.Fields(i)));
            data.push_back(std::move(row));
        }
    }
    return {{"name", rows.QmTableName}, {"fields", std::move(fields)}, {"rows", std::move(data)}};
}

}  // namespace

nlohmann::ordered_json ResponseToJson(std::string_view xml) {
    TQmProtocol protocol;
    const bool ok = protocol.ReadXml(xml);
    nlohmann::ordered_json out;
    out["ok"] = ok;
    out["statusCode"] = protocol.StatusCode;
    out["statusInfo"] = protocol.StatusInfo;
    out["params"] = nlohmann::ordered_json::array();
    for (const auto& p : protocol.Params)
        out["params"].push_back({{"type", ParamTypeName(p->ParamType)}, {"value", p->Value}});
    out["tables"] = nlohmann::ordered_json::array();
    for (const auto& t : protocol.Tables) out["tables"].push_back(TableToJson(*t));
    out["rowIds"] = nlohmann::ordered_json::array();
    for (const auto& k : protocol.RowIds)
        out["rowIds"].push_back({{"table", k->TableName}, {"rowNo", k->RowNo}, {"id", k->Id}});
    return out;
}

}  // namespace qm::tool
