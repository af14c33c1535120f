// An operation stopped on purpose after the user was told why: callers unwind it without a further
// message.
#pragma once

#include <stdexcept>

namespace qm {

class EAbort : public std::runtime_error {
public:
    EAbort() : std::runtime_error("Operation aborted") {}
};

} // namespace qm
