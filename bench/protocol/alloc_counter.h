// Live heap bytes of this process, counted by the replaced global operator new/delete.
#pragma once

#include <cstddef>

namespace qm::bench {

std::size_t LiveHeapBytes();
// The most live bytes since the last reset.
std::size_t PeakHeapBytes();
void ResetPeakHeap();

}  // namespace qm::bench
