#include "json_response.h"

#include <exception>

#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "protocol/protocol.h"
#include "protocol/response_tables.h"
#include "xml_where.h"

namespace qm::tool {

namespace {

const char* ParamTypeName(std::uint8_t type) {
    static const char* const names[] = {"ptString",   "ptInteger", "ptDouble", "ptFloat",
                                        "ptDateTime", "ptDate",    "ptTime",   "ptVar",
                                        "ptMemo",     "",          "ptNone"};
    return type < std::size(names) ? names[type] : "";
}

nlohmann::ordered_json FieldValue(const TField& field) {
    if (field.IsNull()) return nullptr;
    switch (field.DataType()) {
    case ftInteger:
    case ftLargeint:
        return field.AsLargeInt();
    case ftFloat:
        return field.AsFloat();
    case ftBoolean:
        return field.AsBoolean();
    case ftDate:
        return FormatDateTime("yyyy-mm-dd", field.AsDateTime());
    case ftDateTime:
        return FormatDateTime("yyyy-mm-dd hh:nn:ss", field.AsDateTime());
    case ftTime:
        return FormatDateTime("hh:nn:ss", field.AsDateTime());
    default:
        return field.AsString();
    }
}

nlohmann::ordered_json TableToJson(const TQmTable& table) {
    TMemTable& rows = table.Rows();
    nlohmann::ordered_json fields = nlohmann::ordered_json::array();
    for (int i = 0; i < rows.FieldCount(); ++i) {
        const TField* f = rows.Fields(i);
        fields.push_back(
            {{"name", f->FieldName()}, {"type", FieldTypeName(f->DataType())}, {"size", f->Size()}});
    }
    nlohmann::ordered_json data = nlohmann::ordered_json::array();
    if (rows.Active()) {
        for (rows.First(); !rows.Eof(); rows.Next()) {
            nlohmann::ordered_json row = nlohmann::ordered_json::array();
            for (int i = 0; i < rows.FieldCount(); ++i)
                row.push_back(FieldValue(*rows.Fields(i)));
            data.push_back(std::move(row));
        }
    }
    return {{"name", rows.QmTableName}, {"fields", std::move(fields)}, {"rows", std::move(data)}};
}

// Loads the answer's first table as the search does; the rows after the one the load stopped at
// never reach the form.
void JudgeSearch(const TQmProtocol& protocol, const TFormTableMaker& formTable, nlohmann::ordered_json& out) {
    if (protocol.TableCount() == 0) {
        out["moduleReads"] = "loaded";
        out["rowsLoaded"] = 0;
        return;
    }
    TMemTable& rows = protocol.Table(0).Rows();
    const int offered = rows.Active() ? rows.RecordCount() : 0;
    int loaded = offered;
    if (formTable) {
        std::unique_ptr<TMemTable> target = formTable();
        try {
            LoadTable(protocol.Table(0), *target);
        } catch (const std::exception& e) {
            out["loadError"] = e.what();
        }
        loaded = target->Active() ? target->RecordCount() : 0;
    }
    out["moduleReads"] = loaded < offered ? "partial" : "loaded";
    out["rowsLoaded"] = loaded;
    if (loaded < offered) {
        nlohmann::ordered_json leftOut = nlohmann::ordered_json::array();
        for (int row = loaded + 1; row <= offered; ++row)
            leftOut.push_back(row);
        out["rowsLeftOut"] = std::move(leftOut);
    }
}

} // namespace

bool ParseExchange(std::string_view name, TExchange& out) {
    if (name == "save")
        out = TExchange::exSave;
    else if (name == "search")
        out = TExchange::exSearch;
    else if (name == "register")
        out = TExchange::exRegister;
    else if (name == "release")
        out = TExchange::exRelease;
    else
        return false;
    return true;
}

nlohmann::ordered_json ResponseToJson(std::string_view xml, TExchange exchange,
                                      const TFormTableMaker& formTable) {
    TQmProtocol protocol;
    bool ok = false;
    std::string readError;
    try {
        ok = protocol.ReadXml(xml);
        if (!ok) {
            readError = WhereUnreadable(xml);
            if (readError.empty()) readError = "the document was not read to its end";
        }
    } catch (const std::exception& e) {
        // What was read before the failure stays, as it does for the module.
        readError = e.what();
    }
    nlohmann::ordered_json out;
    out["format"] = kJsonFormat;
    out["ok"] = ok;
    out["statusCode"] = protocol.StatusCode;
    out["codeIsNumber"] = protocol.HasNumericCode();
    out["statusInfo"] = protocol.StatusInfo;
    out["params"] = nlohmann::ordered_json::array();
    for (const auto& p : protocol.Params)
        out["params"].push_back({{"type", ParamTypeName(p->ParamType)}, {"value", p->Value}});
    out["tables"] = nlohmann::ordered_json::array();
    for (const auto& t : protocol.Tables)
        out["tables"].push_back(TableToJson(*t));
    out["rowIds"] = nlohmann::ordered_json::array();
    for (const auto& k : protocol.RowIds)
        out["rowIds"].push_back({{"table", k->TableName}, {"rowNo", k->RowNo}, {"id", k->Id}});
    if (!readError.empty()) out["readError"] = readError;

    // The verdict of the form that sent the request.
    switch (exchange) {
    case TExchange::exSave:
        // A decimal code decides even when the rest of the answer is broken.
        out["exchange"] = "save";
        out["moduleReads"] = !protocol.HasNumericCode() ? "unreadable"
                             : protocol.StatusCode == 0 ? "saved"
                                                        : "refused";
        break;
    case TExchange::exSearch:
        out["exchange"] = "search";
        if (!ok)
            out["moduleReads"] = "unreadable"; // the rows stay as they were
        else if (protocol.StatusCode != 0)
            out["moduleReads"] = "refused";
        else
            JudgeSearch(protocol, formTable, out);
        break;
    case TExchange::exRegister:
        // Only a negative code refuses a registration; the first parameter is the function id.
        out["exchange"] = "register";
        out["moduleReads"] = !ok ? "unreadable" : protocol.StatusCode < 0 ? "refused" : "registered";
        if (ok && protocol.StatusCode >= 0)
            out["funcId"] = protocol.ParamCount() > 0 ? protocol.Param(0).AsInteger() : 0;
        break;
    case TExchange::exRelease:
        out["exchange"] = "release";
        out["moduleReads"] = !ok ? "unreadable" : protocol.StatusCode < 0 ? "refused" : "released";
        break;
    }
    return out;
}

} // namespace qm::tool
