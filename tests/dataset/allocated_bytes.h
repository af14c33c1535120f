// Bytes handed out by operator new in this test program so far, for tests that show a copy
// allocates nothing per row.
#pragma once

#include <cstddef>

namespace qm::test {

std::size_t AllocatedBytes();

} // namespace qm::test
