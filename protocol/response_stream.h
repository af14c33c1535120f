// Reads a response front to back without building a document: the fast way for the plain answers
// hosts write. It takes only a plain subset of XML and leaves every other document to the DOM
// reader, which stays the judge of what is unusual.
#pragma once

#include <string_view>

namespace qm {

class TQmProtocol;

enum class TStreamOutcome {
    Read,       // ReadXml would return true, and the protocol holds what it would
    NotRead,    // ReadXml would return false, and the protocol holds what it would
    Unsupported // outside the subset: the protocol holds a partial read for the caller to drop
};

class TResponseStream {
public:
    static TStreamOutcome Read(TQmProtocol& protocol, std::string_view text);
    // The record's own text: values are turned into UTF-8 one at a time, unpaired surrogates as
    // U+FFFD, so that the result is that of the whole text converted first.
    static TStreamOutcome Read(TQmProtocol& protocol, std::u16string_view text);
};

} // namespace qm
