// Response documents as the module reads them: status, typed result items, recordsets, key rows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qm::host {

// Appends XML-escaped text (for element text and double-quoted attribute values). Control
// characters XML cannot carry become blanks and bytes that are not UTF-8 become U+FFFD.
void AppendEscaped(std::string& out, std::string_view text);

// Whether text is UTF-8 without control characters other than tab, line feed and carriage return:
// text that survives a response document unchanged.
bool IsCleanText(std::string_view text);

// Builds one response document in order: status first, then any number of result items.
class ResponseWriter {
public:
    ResponseWriter(int code, std::string_view info);

    void AddInteger(std::int64_t value);
    // A recordset; rows go in between Begin and End.
    void BeginRecordset(std::string_view tableName, std::string_view fields);
    // Opens a row element; add attributes, then CloseRow.
    void OpenRow(std::string_view elementName);
    void Attribute(std::string_view name, std::string_view value);
    void CloseRow();
    void EndRecordset();
    // A key row: the key the host gave to the inserted row numbered rn.
    void AddKeyRow(std::string_view tableName, std::int64_t rn, std::int64_t id);

    // Adds to the status info after the items were written (a note a search found on the way).
    void AppendInfo(std::string_view info);

    std::string Finish();

    std::string& Buffer() { return FText; }

private:
    std::string FText;
    std::size_t FInfoEnd = 0;
};

// A complete response with nothing but a status.
std::string StatusResponse(int code, std::string_view info);

} // namespace qm::host
