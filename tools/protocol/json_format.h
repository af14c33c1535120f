// The version of the JSON qmproto prints, so that callers can rely on its members.
#pragma once

namespace qm::tool {

// Carried as "format" by every JSON document qmproto prints; it changes only when a member
// changes its meaning or goes away.
constexpr int kJsonFormat = 1;

} // namespace qm::tool
