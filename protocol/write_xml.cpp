// The request document: declaration, quelmar, params with parameters, variables and tables.
#include "dataset/mem_table.h"
#include "protocol/qm_protocol.h"
#include "protocol/request_tables.h"
#include "protocol/table_guards.h"
#include "protocol/xml_stream.h"
#include "protocol/xml_text.h"

namespace qm {

namespace {

// The typ word of a parameter; null where none is written.
const char* ParamWord(std::uint8_t type) {
    switch (type) {
    case ptString:
        return "string";
    case ptInteger:
        return "integer";
    case ptDouble:
        return "double";
    case ptFloat:
        return "float";
    case ptDateTime:
        return "datetime";
    case ptDate:
        return "date";
    case ptTime:
        return "time";
    case ptMemo:
        return "memo";
    default:
        return nullptr;
    }
}

// The typ word of a variable; null where none is written.
const char* VariableWord(std::uint8_t type) {
    if (type == ptVar) return "var";
    if (type == ptMemo) return nullptr;
    return ParamWord(type);
}

void WriteParam(const TQmParam& param, TStreamNode params) {
    TStreamNode element = params.Child("param");
    if (param.ParamType == ptNone) return;
    element.Text(param.Value, param.ParamType == ptMemo);
    if (const char* word = ParamWord(param.ParamType)) element.Attribute("typ", word);
}

void WriteVariables(const TQmParams& variables, TStreamNode params) {
    TStreamNode block = params.Child("param");
    block.Attribute("typ", "variable");
    for (const auto& var : variables) {
        if (var->ParamType == ptNone) continue;
        TStreamNode element = block.Child("var");
        element.Attribute("varname", var->Name);
        element.Attribute("value", var->Value);
        if (const char* word = VariableWord(var->ParamType)) element.Attribute("typ", word);
    }
}

} // namespace

// Written front to back: the same text as a DOM saved raw, without building the tree.
std::string TQmProtocol::WriteXml() {
    std::string text;
    TXmlStream stream(text);
    stream.Declaration();
    const TStreamNode params = TStreamNode{&stream, 0}.Child("quelmar").Child("params");

    for (const auto& param : Params)
        WriteParam(*param, params);
    if (Variables.Count() > 0) WriteVariables(Variables, params);
    for (const auto& table : Tables) {
        if (HoldsRows(table->Rows()) || HoldsRows(table->Deleted())) {
            WriteTable(*table, "", stream, params.Depth);
        } else {
            TStreamNode empty = params.Child("param");
            empty.Attribute("typ", "recordset");
            empty.Attribute("tbname", "UNKNOWN");
        }
    }
    stream.Finish();
    return text;
}

} // namespace qm
