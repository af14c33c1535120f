// State shared between the files of the platform layer; not part of its interface.
#pragma once

#include "platform/platform.h"

namespace qm::detail {

// Drops every queued message addressed to the handle (called when it is released).
void DropPostedMessages(HWND handle);

// True on a RunAside helper thread, which must never run the pump: the pump's state belongs to the
// thread that waits.
extern thread_local bool tAsideHelper;

} // namespace qm::detail

namespace qm::detail {

// Decodes the code point at text[i] and advances i; malformed bytes read as U+FFFD one at a time.
char32_t NextCodePoint(std::string_view text, std::size_t& i);

} // namespace qm::detail
