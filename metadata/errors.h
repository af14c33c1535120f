// Errors raised by the field-metadata import.
#pragma once

#include <stdexcept>
#include <string>

namespace qm {

// A field-metadata document that does not parse; the text says where and why.
class EMetadataXmlError : public std::runtime_error {
public:
    explicit EMetadataXmlError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace qm
