// The streaming response reader against the DOM reader: wherever the stream decides (read or not
// read), the DOM must decide the same and leave the same protocol; and the stream over the UTF-16
// text must agree with the stream over its UTF-8 conversion.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "protocol/protocol.h"
#include "protocol/response_stream.h"
#include "tests/protocol/protocol_state.h"

namespace {

using qm::TQmProtocol;
using qm::TStreamOutcome;

[[noreturn]] void Finding(const char* what, const std::string& detail) {
    std::fprintf(stderr, "readstream: %s: %s\n", what, detail.c_str());
    std::abort();
}

void CheckAgainstDom(std::string_view text) {
    TQmProtocol stream;
    const TStreamOutcome outcome = qm::TResponseStream::Read(stream, text);
    if (outcome == TStreamOutcome::Unsupported) return;
    TQmProtocol dom;
    bool read = false;
    try {
        read = dom.ReadXmlDom(text);
    } catch (const std::exception& e) {
        Finding("the DOM raised where the stream decided", e.what());
    }
    if (read != (outcome == TStreamOutcome::Read))
        Finding("outcome differs from the DOM's", read ? "DOM read" : "DOM not read");
    const std::string difference = qm::test::StateDifference(stream, dom);
    if (!difference.empty()) Finding("state differs from the DOM's", difference);
}

// What a read gave: its result, or the text of what it raised.
template <class Read> std::string Verdict(TQmProtocol& protocol, Read read) {
    protocol.StatusCode = 77; // a status from an earlier answer, kept unless this one has its own
    protocol.StatusInfo = "earlier";
    try {
        return read(protocol) ? "read" : "not read";
    } catch (const std::exception& e) {
        return std::string("raised ") + e.what();
    }
}

// ReadXml, stream first, behaves exactly as the DOM reader alone on the text it would parse.
template <class Text> void CheckReadXml(Text text, std::string_view utf8) {
    TQmProtocol hook, dom;
    const std::string got = Verdict(hook, [&](TQmProtocol& p) { return p.ReadXml(text); });
    const std::string expected = Verdict(dom, [&](TQmProtocol& p) { return p.ReadXmlDom(utf8); });
    if (got != expected) Finding("ReadXml differs from the DOM reader", got + " vs " + expected);
    const std::string difference = qm::test::StateDifference(hook, dom);
    if (!difference.empty()) Finding("ReadXml leaves another state than the DOM reader", difference);
}

// The input as UTF-16; the never-valid byte 0xF8 followed by two bytes stands for that code unit,
// so that unpaired surrogates reach the reader.
std::u16string Widen(std::string_view bytes) {
    std::u16string out;
    std::size_t run = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) != 0xF8 || i + 2 >= bytes.size()) continue;
        out += qm::Utf8ToUtf16(bytes.substr(run, i - run));
        out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i + 1]) << 8 |
                                     static_cast<unsigned char>(bytes[i + 2]));
        i += 2;
        run = i + 1;
    }
    return out + qm::Utf8ToUtf16(bytes.substr(run));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckAgainstDom(text);
    CheckReadXml(text, text);

    const std::u16string wide = Widen(text);
    const std::string narrow = qm::Utf16ToUtf8(wide);
    if (narrow != text) CheckAgainstDom(narrow);
    CheckReadXml(std::u16string_view(wide), narrow);
    TQmProtocol byWide, byNarrow;
    const TStreamOutcome w = qm::TResponseStream::Read(byWide, wide);
    const TStreamOutcome n = qm::TResponseStream::Read(byNarrow, narrow);
    if (w != n)
        Finding("UTF-16 outcome differs from UTF-8",
                std::to_string(int(w)) + " vs " + std::to_string(int(n)));
    if (w != TStreamOutcome::Unsupported) {
        const std::string difference = qm::test::StateDifference(byWide, byNarrow);
        if (!difference.empty()) Finding("UTF-16 state differs from UTF-8", difference);
    }
    return 0;
}
