// State shared between the files of the platform layer; not part of its interface.
#pragma once

#include "platform/platform.h"

namespace qm::detail {

// Drops every queued message addressed to the handle (called when it is released).
void DropPostedMessages(HWND handle);

}  // namespace qm::detail
