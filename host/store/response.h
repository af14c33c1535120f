// Response documents as the module reads them: status, typed result items, recordsets, key rows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qm::host {

// Appends XML-escaped text (for element text and double-quoted attribute values). Control
// characters XML cannot carry become blanks and bytes that are not UTF-8 become U+FFFD.
void AppendEscaped(std::string& out, std::string_view text);

// The characters of clean text (UTF-8 without control characters other than tab, line feed and
// carriage return: text that survives a response document unchanged); npos when it is not clean.
std::size_t CleanLength(std::string_view text);

// Appends clean text escaped as AppendEscaped does, in the same pass that checks and counts it:
// returns its characters, or npos (with part of it appended) when it is not clean or holds more
// than maxChars characters.
std::size_t AppendClean(std::string& out, std::string_view text, std::size_t maxChars);

// Takes a long response document in pieces as it is written, each of whole characters.
class ResponseSink {
public:
    virtual ~ResponseSink() = default;
    virtual void Reserve(std::size_t bytes) = 0; // about this many more bytes are coming
    virtual void Append(std::string_view text) = 0;
    // Position of what comes next, in the sink's own units.
    virtual std::size_t Mark() const = 0;
    // Puts text at a position Mark gave; returns how far what followed it moved.
    virtual std::size_t Insert(std::size_t at, std::string_view text) = 0;
    virtual void Clear() = 0;
};

// Builds one response document in order: status first, then any number of result items. With a
// sink, finished rows leave for it in pieces and Finish returns only the rest.
class ResponseWriter {
public:
    ResponseWriter(int code, std::string_view info, ResponseSink* sink = nullptr);

    void AddInteger(std::int64_t value);
    // A recordset; rows go in between Begin and End.
    void BeginRecordset(std::string_view tableName, std::string_view fields);
    // Opens a row element; add attributes, then CloseRow.
    void OpenRow(std::string_view elementName);
    void Attribute(std::string_view name, std::string_view value);
    // What goes before an attribute's value, made once for the many rows of a recordset.
    static std::string AttributeLead(std::string_view name);
    void LeadAttribute(std::string_view lead, std::string_view value);
    // A text value checked as it is written: its characters, or npos when it is not clean text of
    // at most maxChars characters (the row is then to be taken back).
    std::size_t CleanAttribute(std::string_view lead, std::string_view value, std::size_t maxChars);
    void CloseRow();
    void EndRecordset();
    // A key row: the key the host gave to the inserted row numbered rn.
    void AddKeyRow(std::string_view tableName, std::int64_t rn, std::int64_t id);

    // Adds to the status info after the items were written (a note a search found on the way).
    void AppendInfo(std::string_view info);

    std::string Finish();

    // The rows not yet handed to the sink; a row being written may be taken back by resizing it.
    std::string& Buffer() { return FText; }
    // Bytes written so far, including those handed on.
    std::size_t Written() const { return FSent + FText.size(); }
    // About this many more bytes are coming.
    void Reserve(std::size_t bytes);

private:
    void HandOn();

    std::string FText;
    std::size_t FInfoEnd = 0;
    ResponseSink* FSink = nullptr;
    std::size_t FSent = 0;
    std::size_t FInfoMark = 0; // where the info ends in the sink, once handed on
};

// A complete response with nothing but a status.
std::string StatusResponse(int code, std::string_view info);

} // namespace qm::host
