// Reading a host's answer into a protocol: the single-pass reader where the text is plain, the
// document reader where it is not, both told into one builder that holds every rule.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qm {

class TQmProtocol;

// A row left out of an answer: its key and the field whose value could not be held.
struct TLeftOutRow {
    std::string Key;
    std::string Field;
};

struct TAnswerPolicy {
    // Null: a value its field refuses fails the read (EConvertError) with its row left pending.
    // Otherwise, in a success (a numeric code of 0), such a row is left out, added here with the
    // value of its KeyField attribute, and the read goes on.
    std::vector<TLeftOutRow>* LeftOut = nullptr;
    std::string KeyField;
    // The document reader alone, for comparisons and measurements.
    bool DocumentOnly = false;
};

// True when the answer was read to its end. The protocol's last answer is forgotten first; its
// status stays where this answer has no code or info of its own, and wholly when the text is no
// document. Raises what a refused value or a broken field list raises, once the text is known to
// be a document.
bool ReadAnswer(TQmProtocol& protocol, std::string_view text, const TAnswerPolicy& policy = {});
// The record's own UTF-16 text, read where it stands when it is plain.
bool ReadAnswer(TQmProtocol& protocol, std::u16string_view text, const TAnswerPolicy& policy = {});

} // namespace qm
