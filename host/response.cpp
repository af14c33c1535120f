#include "host/response.h"

namespace qm::host {

void AppendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            // Kept as references so that attribute values survive the reader's normalisation.
            case '\n': out += "&#10;"; break;
            case '\r': out += "&#13;"; break;
            case '\t': out += "&#9;"; break;
            default:
                // Other control characters cannot appear in XML 1.0 at all.
                if (static_cast<unsigned char>(c) < 0x20) out += ' ';
                else out += c;
        }
    }
}

ResponseWriter::ResponseWriter(int code, std::string_view info) {
    FText.reserve(256);
    FText += "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<quelmar><status><code>";
    FText += std::to_string(code);
    FText += "</code><info>";
    AppendEscaped(FText, info);
    FText += "</info></status>";
}

void ResponseWriter::AddInteger(std::int64_t value) {
    FText += "<rs typ=\"integer\">";
    FText += std::to_string(value);
    FText += "</rs>";
}

void ResponseWriter::BeginRecordset(std::string_view tableName, std::string_view fields) {
    FText += "<rs typ=\"recordset\" tbname=\"";
    AppendEscaped(FText, tableName);
    FText += '"';
    if (!fields.empty()) {
        FText += " fields=\"";
        AppendEscaped(FText, fields);
        FText += '"';
    }
    FText += '>';
}

void ResponseWriter::OpenRow(std::string_view elementName) {
    FText += '<';
    FText += elementName;
}

void ResponseWriter::Attribute(std::string_view name, std::string_view value) {
    FText += ' ';
    FText += name;
    FText += "=\"";
    AppendEscaped(FText, value);
    FText += '"';
}

void ResponseWriter::CloseRow() { FText += "/>"; }

void ResponseWriter::EndRecordset() { FText += "</rs>"; }

void ResponseWriter::AddKeyRow(std::string_view tableName, std::int64_t rn, std::int64_t id) {
    OpenRow(tableName);
    Attribute("tbname", tableName);
    Attribute("rn", std::to_string(rn));
    Attribute("id", std::to_string(id));
    CloseRow();
}

std::string ResponseWriter::Finish() {
    FText += "</quelmar>\n";
    return std::move(FText);
}

std::string StatusResponse(int code, std::string_view info) {
    return ResponseWriter(code, info).Finish();
}

}  // namespace qm::host
