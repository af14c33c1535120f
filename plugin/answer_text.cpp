#include "plugin/answer_text.h"

#include <algorithm>
#include <string_view>

#include "platform/platform.h"

namespace qm {

namespace {
constexpr std::size_t kPiece = 1 << 16; // code units converted between two pumps
}

std::string ReadAnswerText(const char16_t* slot) {
    return ReadAnswerText(std::u16string_view(slot ? slot : u"", SysStringLen(slot)));
}

std::string ReadAnswerText(std::u16string_view text) {
    if (text.size() <= 4 * kPiece) return Utf16ToUtf8(text);
    // Pieces that never split a surrogate pair, measured first so that the text gets a buffer of
    // its exact size: the reader parses in that buffer, and a long answer is tens of megabytes.
    auto pieceEnd = [&](std::size_t at) {
        std::size_t end = std::min(text.size(), at + kPiece);
        if (end < text.size() && text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF) --end;
        return end;
    };
    std::size_t bytes = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = pieceEnd(at);
        bytes += Utf8Size(text.substr(at, end - at));
        at = end;
        ProcessMessagesIfDue();
    }
    std::string out(bytes, '\0');
    char* w = out.data();
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = pieceEnd(at);
        w = Utf16ToUtf8(text.substr(at, end - at), w);
        at = end;
        ProcessMessagesIfDue();
    }
    return out;
}

} // namespace qm
