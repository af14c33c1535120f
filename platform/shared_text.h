// A shared wide string built from pieces of UTF-8.
#pragma once

#include "platform/platform.h"

#include <cstddef>
#include <string_view>

namespace qm {

// Builds one shared wide string from UTF-8 handed over in pieces, each of whole characters, so
// that a long text never exists whole in both encodings and each piece is converted while it is
// still in the cache.
class SharedTextBuilder {
public:
    SharedTextBuilder() = default;
    ~SharedTextBuilder();
    SharedTextBuilder(const SharedTextBuilder&) = delete;
    SharedTextBuilder& operator=(const SharedTextBuilder&) = delete;

    // Room for this many more code units (the UTF-8 size of what is still to come is enough).
    void Reserve(std::size_t units);
    void Append(std::string_view utf8);
    // Puts utf8 before the code unit at position at; returns the code units it took.
    std::size_t Insert(std::size_t at, std::string_view utf8);
    std::size_t Size() const { return FUnits; }
    void Clear() { FUnits = 0; }
    // The string made so far, or null when it is too long for one (the builder is left empty).
    BSTR Take();

private:
    unsigned char* FBlock = nullptr;
    std::size_t FUnits = 0;
    std::size_t FRoom = 0; // code units, not counting the closing zero
    char16_t* Chars() const;
};

} // namespace qm
