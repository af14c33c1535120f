// Live heap bytes of this process, counted by the replaced global operator new/delete.
#pragma once

#include <cstddef>

namespace qm::bench {

std::size_t LiveHeapBytes();

}  // namespace qm::bench
