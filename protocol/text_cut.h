// Cutting separated lists (field lists, foreign-key lists) into their pieces.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qm {

// Occurrences of c in text.
std::size_t CountChar(std::string_view text, char c);

// The piece between the (n-1)-th occurrence of c (the start for n = 1) and the n-th occurrence
// (the end when there are fewer). A piece that would be the whole text is returned empty, so
// callers append a trailing separator before cutting. n below 1, or beyond the last piece, gives "".
std::string NthField(std::string_view text, char c, int n);

} // namespace qm
