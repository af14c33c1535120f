// Reads a response front to back without building a document: the fast way for the plain answers
// hosts write. It takes only a plain subset of XML and leaves every other text to the document
// reader, which stays the judge of what is unusual.
#pragma once

#include <string_view>

namespace qm {

class TAnswerSink;

// True when the text lies within the subset and the sink was told all of it; false leaves the
// text to the document reader, after the sink may have heard a part.
bool TokenizeStream(std::string_view text, TAnswerSink& sink);
// The record's own text: names and values are turned into UTF-8 one at a time, unpaired
// surrogates as U+FFFD, so that the sink hears what the whole text converted first would give.
bool TokenizeStream(std::u16string_view text, TAnswerSink& sink);

} // namespace qm
