// Which reader reads a response: the streaming one where it can, the DOM where it cannot.
#include <string>

#include "platform/platform.h"
#include "protocol/qm_protocol.h"
#include "protocol/response_stream.h"

namespace qm {

namespace {

// True when the stream decided; result is then what ReadXml returns. Otherwise the protocol's
// status is as it was, and the DOM reader clears the rest.
template <class Text> bool ReadByStream(TQmProtocol& protocol, Text text, bool& result) {
    const std::int32_t code = protocol.StatusCode;
    std::string info = protocol.StatusInfo;
    const TStreamOutcome outcome = TResponseStream::Read(protocol, text);
    if (outcome != TStreamOutcome::Unsupported) {
        result = outcome == TStreamOutcome::Read;
        return true;
    }
    protocol.StatusCode = code;
    protocol.StatusInfo = std::move(info);
    return false;
}

} // namespace

bool TQmProtocol::ReadXml(std::string_view text) {
    bool result = false;
    if (ReadByStream(*this, text, result)) return result;
    return ReadXmlDom(text);
}

bool TQmProtocol::ReadXml(std::u16string_view text) {
    bool result = false;
    if (ReadByStream(*this, text, result)) return result;
    ProcessMessagesIfDue();
    return ReadXmlDom(Utf16ToUtf8(text));
}

} // namespace qm
