// Where a response document stops being one the module can read, for people fixing a host.
#pragma once

#include <string>
#include <string_view>

namespace qm::tool {

// "line L, column C: what is wrong, expected what" for the first place the module's reader
// gives up at; empty when nothing in the document's shape explains a failure.
std::string WhereUnreadable(std::string_view xml);

} // namespace qm::tool
