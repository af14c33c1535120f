// The request document: declaration, quelmar, params with parameters, variables and tables.
#include "dataset/mem_table.h"
#include "protocol/qm_protocol.h"
#include "protocol/request_tables.h"
#include "protocol/table_guards.h"
#include "protocol/xml_text.h"

namespace qm {

namespace {

// The typ word of a parameter; null where none is written.
const char* ParamWord(std::uint8_t type) {
    switch (type) {
    case ptString: return "string";
    case ptInteger: return "integer";
    case ptDouble: return "double";
    case ptFloat: return "float";
    case ptDateTime: return "datetime";
    case ptDate: return "date";
    case ptTime: return "time";
    case ptMemo: return "memo";
    default: return nullptr;
    }
}

// The typ word of a variable; null where none is written.
const char* VariableWord(std::uint8_t type) {
    if (type == ptVar) return "var";
    if (type == ptMemo) return nullptr;
    return ParamWord(type);
}

void WriteParam(const TQmParam& param, pugi::xml_node params) {
    pugi::xml_node element = params.append_child("param");
    if (param.ParamType == ptNone) return;
    const auto kind = param.ParamType == ptMemo ? pugi::node_cdata : pugi::node_pcdata;
    element.append_child(kind).set_value(param.Value.c_str());
    if (const char* word = ParamWord(param.ParamType)) element.append_attribute("typ") = word;
}

void WriteVariables(const TQmParams& variables, pugi::xml_node params) {
    pugi::xml_node block = params.append_child("param");
    block.append_attribute("typ") = "variable";
    for (const auto& var : variables) {
        if (var->ParamType == ptNone) continue;
        pugi::xml_node element = block.append_child("var");
        element.append_attribute("varname") = var->Name.c_str();
        element.append_attribute("value") = var->Value.c_str();
        if (const char* word = VariableWord(var->ParamType)) element.append_attribute("typ") = word;
    }
}

}  // namespace

std::string TQmProtocol::WriteXml() {
    pugi::xml_document doc;
    pugi::xml_node decl = doc.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "utf-8";
    pugi::xml_node params = doc.append_child("quelmar").append_child("params");

    for (const auto& param : Params) WriteParam(*param, params);
    if (Variables.Count() > 0) WriteVariables(Variables, params);
    for (const auto& table : Tables) {
        if (HoldsRows(table->Rows()) || HoldsRows(table->Deleted())) {
            WriteTable(*table, "", params);
        } else {
            pugi::xml_node empty = params.append_child("param");
            empty.append_attribute("typ") = "recordset";
            empty.append_attribute("tbname") = "UNKNOWN";
        }
    }
    return SaveXml(doc);
}

}  // namespace qm
