// Errors raised by the protocol documents.
#pragma once

#include <stdexcept>
#include <string>

namespace qm {

// The XML library refused a document or a name: a text that does not parse, an element or attribute
// name that XML cannot hold.
class EXmlError : public std::runtime_error {
public:
    explicit EXmlError(const std::string& message) : std::runtime_error(message) {}
};

// An index outside one of the protocol object's lists.
class EListError : public std::out_of_range {
public:
    explicit EListError(const std::string& message) : std::out_of_range(message) {}
};

} // namespace qm
