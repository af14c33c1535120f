// The two response readers against each other: wherever the single-pass reader takes a text, the
// document reader takes it too and tells the same events; the single-pass reader tells over the
// UTF-16 text what it tells over its UTF-8 conversion; and ReadAnswer, on either text and with or
// without leaving out refused rows, ends exactly as the document reader alone does.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "protocol/protocol.h"
#include "protocol/response_document.h"
#include "protocol/response_stream.h"
#include "tests/protocol/answer_events.h"
#include "tests/protocol/protocol_state.h"

namespace {

using qm::TAnswerPolicy;
using qm::TQmProtocol;

[[noreturn]] void Finding(const char* what, const std::string& detail) {
    std::fprintf(stderr, "readstream: %s: %s\n", what, detail.c_str());
    std::abort();
}

// The events the stream tells, or nothing when it declines the text.
template <class Text> bool StreamEvents(Text text, std::string& events) {
    qm::test::TEventLog log;
    const bool taken = qm::TokenizeStream(text, log);
    events = std::move(log.Log);
    return taken;
}

void CheckAgainstDocument(std::string_view text) {
    std::string stream;
    if (!StreamEvents(text, stream)) return;
    qm::test::TEventLog document;
    if (!qm::TokenizeDocument(text, document))
        Finding("the document reader refused what the stream took", stream);
    if (stream != document.Log) Finding("events differ", stream + "---\n" + document.Log);
}

// What a read came to: its result or the text of what it raised, and the rows it left out.
template <class Read> std::string Verdict(TQmProtocol& protocol, Read read) {
    protocol.StatusCode = 77; // a status from an earlier answer, kept unless this one has its own
    protocol.StatusInfo = "earlier";
    try {
        return read(protocol) ? "read" : "not read";
    } catch (const std::exception& e) {
        return std::string("raised ") + e.what();
    }
}

template <class Text> void CheckReadAnswer(Text text, std::string_view utf8, bool leaveOut) {
    std::vector<qm::TLeftOutRow> leftOut, leftOutAlone;
    TAnswerPolicy policy, alone{.DocumentOnly = true};
    if (leaveOut) {
        policy.LeftOut = &leftOut;
        alone.LeftOut = &leftOutAlone;
        policy.KeyField = alone.KeyField = "ID";
    }
    TQmProtocol both, document;
    const std::string got = Verdict(both, [&](TQmProtocol& p) { return qm::ReadAnswer(p, text, policy); });
    const std::string expected =
        Verdict(document, [&](TQmProtocol& p) { return qm::ReadAnswer(p, utf8, alone); });
    if (got != expected) Finding("ReadAnswer differs from the document reader", got + " vs " + expected);
    const std::string difference = qm::test::StateDifference(both, document);
    if (!difference.empty()) Finding("ReadAnswer leaves another state than the document reader", difference);
    if (leftOut.size() != leftOutAlone.size())
        Finding("left-out rows differ", std::to_string(leftOut.size()));
    for (std::size_t i = 0; i < leftOut.size(); ++i)
        if (leftOut[i].Key != leftOutAlone[i].Key || leftOut[i].Field != leftOutAlone[i].Field)
            Finding("left-out row differs", std::to_string(i));
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
    CheckAgainstDocument(text);

    const std::u16string wide = Widen(text);
    const std::string narrow = qm::Utf16ToUtf8(wide);
    if (narrow != text) CheckAgainstDocument(narrow);
    std::string byWide, byNarrow;
    const bool w = StreamEvents(std::u16string_view(wide), byWide);
    const bool n = StreamEvents(std::string_view(narrow), byNarrow);
    if (w != n) Finding("UTF-16 text taken otherwise than UTF-8", w ? "UTF-16 taken" : "UTF-8 taken");
    if (w && byWide != byNarrow) Finding("UTF-16 events differ from UTF-8", byWide + "---\n" + byNarrow);

    for (const bool leaveOut : {false, true}) {
        CheckReadAnswer(text, text, leaveOut);
        CheckReadAnswer(std::u16string_view(wide), narrow, leaveOut);
    }
    return 0;
}
