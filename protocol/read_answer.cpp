#include "protocol/read_answer.h"

#include "plugin/answer_text.h"
#include "protocol/answer_builder.h"
#include "protocol/qm_protocol.h"
#include "protocol/response_document.h"
#include "protocol/response_stream.h"

namespace qm {

bool ReadAnswer(TQmProtocol& protocol, std::string_view text, const TAnswerPolicy& policy) {
    TAnswerBuilder builder(protocol, policy);
    if (!policy.DocumentOnly) {
        if (TokenizeStream(text, builder)) return builder.Finish();
        builder.Restart();
    }
    return TokenizeDocument(text, builder) && builder.Finish();
}

bool ReadAnswer(TQmProtocol& protocol, std::u16string_view text, const TAnswerPolicy& policy) {
    TAnswerBuilder builder(protocol, policy);
    if (!policy.DocumentOnly) {
        if (TokenizeStream(text, builder)) return builder.Finish();
        builder.Restart();
    }
    // Converted with messages let run between pieces, and parsed where it was converted to.
    std::string utf8 = ReadAnswerText(text);
    return TokenizeDocumentInPlace(utf8, builder) && builder.Finish();
}

} // namespace qm
