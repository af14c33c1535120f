// Errors raised by in-memory tables and by value conversions.
#pragma once

#include <stdexcept>
#include <string>

namespace qm {

// A table operation that cannot be done in the table's present state, or an unknown field.
class EDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text or value that the target type cannot hold.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace qm
