#include "host/store/response.h"

namespace qm::host {

namespace {

// Length of the well-formed UTF-8 sequence at text[i], or 0.
std::size_t SequenceLength(std::string_view text, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = b(i);
    std::size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    if (n == 0 || i + n > text.size()) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((b(i + k) & 0xC0) != 0x80) return 0;
    // No overlong forms, surrogates or code points past U+10FFFF.
    if (c == 0xE0 && b(i + 1) < 0xA0) return 0;
    if (c == 0xED && b(i + 1) >= 0xA0) return 0;
    if (c == 0xF0 && b(i + 1) < 0x90) return 0;
    if (c == 0xF4 && b(i + 1) >= 0x90) return 0;
    return n;
}

// Bytes that go out as they are: printable ASCII other than the markup characters.
bool IsPlain(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u < 0x80 && c != '&' && c != '<' && c != '>' && c != '"';
}

const char* Reference(char c) {
    switch (c) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '"':
        return "&quot;";
    // Kept as references so that attribute values survive the reader's normalisation.
    case '\n':
        return "&#10;";
    case '\r':
        return "&#13;";
    case '\t':
        return "&#9;";
    default:
        return nullptr;
    }
}

// Walks clean text once: runs of plain bytes to run(at, bytes), every other character to
// one(at, bytes). Returns its characters, or npos at the first byte that makes it unclean or the
// first character past maxChars.
template <class Run, class One>
std::size_t WalkClean(std::string_view text, std::size_t maxChars, Run&& run, One&& one) {
    constexpr std::size_t kRefused = std::string_view::npos;
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = i;
        while (end < text.size() && IsPlain(text[end]))
            ++end;
        if (end > i) {
            chars += end - i;
            if (chars > maxChars) return kRefused;
            run(i, end - i);
            i = end;
            continue;
        }
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t n = c < 0x80 ? (c >= 0x20 || Reference(text[i]) ? 1 : 0) : SequenceLength(text, i);
        if (n == 0 || ++chars > maxChars) return kRefused;
        one(i, n);
        i += n;
    }
    return chars;
}

} // namespace

std::size_t CleanLength(std::string_view text) {
    return WalkClean(
        text, std::string_view::npos - 1, [](std::size_t, std::size_t) {}, [](std::size_t, std::size_t) {});
}

std::size_t AppendClean(std::string& out, std::string_view text, std::size_t maxChars) {
    return WalkClean(
        text, maxChars, [&](std::size_t at, std::size_t n) { out.append(text.data() + at, n); },
        [&](std::size_t at, std::size_t n) {
            if (const char* ref = n == 1 ? Reference(text[at]) : nullptr)
                out += ref;
            else
                out.append(text.data() + at, n);
        });
}

void AppendEscaped(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A search answer is mostly plain text: copy each run in one piece.
        std::size_t run = i;
        while (run < text.size() && IsPlain(text[run]))
            ++run;
        if (run > i) {
            out.append(text.data() + i, run - i);
            i = run;
            if (i == text.size()) break;
        }
        const char c = text[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            // Bytes that are not UTF-8 (written by another tool) would make the whole document
            // unreadable: each becomes U+FFFD.
            const std::size_t n = SequenceLength(text, i);
            if (n == 0) {
                out += "\xEF\xBF\xBD";
            } else {
                out.append(text.data() + i, n);
                i += n - 1;
            }
            continue;
        }
        if (const char* ref = Reference(c))
            out += ref;
        else // other control characters cannot appear in XML 1.0 at all
            out += ' ';
    }
}

namespace {

// Rows leave for the sink in pieces small enough to be converted while still in the cache.
constexpr std::size_t kPieceBytes = 128 * 1024;

} // namespace

ResponseWriter::ResponseWriter(int code, std::string_view info, ResponseSink* sink) : FSink(sink) {
    FText.reserve(256);
    FText += "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<quelmar><status><code>";
    FText += std::to_string(code);
    FText += "</code><info>";
    AppendEscaped(FText, info);
    FInfoEnd = FText.size();
    FText += "</info></status>";
}

void ResponseWriter::AppendInfo(std::string_view info) {
    std::string escaped;
    AppendEscaped(escaped, info);
    if (FSent == 0) {
        FText.insert(FInfoEnd, escaped);
        FInfoEnd += escaped.size();
        return;
    }
    FInfoMark += FSink->Insert(FInfoMark, escaped);
}

void ResponseWriter::Reserve(std::size_t bytes) {
    if (FSink)
        FSink->Reserve(bytes);
    else
        FText.reserve(FText.size() + bytes);
}

void ResponseWriter::HandOn() {
    if (FSent == 0) {
        // The info may still grow: the sink says where it ends.
        FSink->Append(std::string_view(FText).substr(0, FInfoEnd));
        FInfoMark = FSink->Mark();
        FSink->Append(std::string_view(FText).substr(FInfoEnd));
    } else {
        FSink->Append(FText);
    }
    FSent += FText.size();
    FText.clear();
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

std::string ResponseWriter::AttributeLead(std::string_view name) {
    std::string lead = " ";
    lead += name;
    lead += "=\"";
    return lead;
}

void ResponseWriter::LeadAttribute(std::string_view lead, std::string_view value) {
    FText += lead;
    AppendEscaped(FText, value);
    FText += '"';
}

std::size_t ResponseWriter::CleanAttribute(std::string_view lead, std::string_view value,
                                           std::size_t maxChars) {
    FText += lead;
    const std::size_t chars = AppendClean(FText, value, maxChars);
    FText += '"';
    return chars;
}

void ResponseWriter::CloseRow() {
    FText += "/>";
    if (FSink && FText.size() >= kPieceBytes) HandOn();
}

void ResponseWriter::EndRecordset() {
    FText += "</rs>";
}

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

} // namespace qm::host
