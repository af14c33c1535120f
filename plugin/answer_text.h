// Reading a host's answer out of its wide-string slot.
#pragma once

#include <string>
#include <string_view>

namespace qm {

// The slot's text as UTF-8 (null reads as ""). A large answer is converted piece by piece with
// pending messages let run in between, so a search of many rows keeps the window painting.
std::string ReadAnswerText(const char16_t* slot);
// The same for a text already taken out of its slot.
std::string ReadAnswerText(std::u16string_view text);

} // namespace qm
