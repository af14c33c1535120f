// Reads a response by parsing it into a document: any XML, and the judge of every text the
// single-pass reader leaves.
#pragma once

#include <string>
#include <string_view>

namespace qm {

class TAnswerSink;

// False when the text is no XML document; the sink has then heard nothing.
bool TokenizeDocument(std::string_view text, TAnswerSink& sink);
// The same, parsed in the text's own buffer, which no longer holds the answer afterwards.
bool TokenizeDocumentInPlace(std::string& text, TAnswerSink& sink);

} // namespace qm
