// Errors raised by the protocol documents.
#pragma once

#include <stdexcept>
#include <string>

#include "base/list_error.h" // an index outside one of the protocol object's lists

namespace qm {

// The XML library refused a document or a name: a text that does not parse, an element or attribute
// name that XML cannot hold.
class EXmlError : public std::runtime_error {
public:
    explicit EXmlError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace qm
