// What a response reader finds in an answer, in document order. The readers only tokenize; what an
// answer means is decided by the one sink that listens (protocol/answer_builder.h).
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "protocol/answer_values.h"

namespace qm {

class TAnswerSink {
public:
    virtual ~TAnswerSink() = default;
    // The status element, with the text of its code and of its info where it holds them.
    virtual void Status(std::optional<std::string_view> code, std::optional<std::string_view> info) = 0;
    // An rs element by its attributes; true when its content is to be read as rows, false as text.
    // rowsHint is about how many rows follow, for room only.
    virtual bool BeginRs(const answer::TAttributes& attrs, std::size_t rowsHint) = 0;
    virtual void Text(std::string_view text) = 0;
    virtual void Row(const answer::TAttributes& attrs) = 0;
    virtual void EndRs() = 0;
};

} // namespace qm
