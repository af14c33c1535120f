// Live heap bytes of this process: every malloc, operator new and the C library's other allocation
// calls are counted, so blocks that libraries take with malloc (the XML DOM, shared wide strings)
// count as well.
#pragma once

#include <cstddef>

namespace qm::bench {

std::size_t LiveHeapBytes();
// The most live bytes since the last ResetPeakHeap (or since the start).
std::size_t PeakHeapBytes();
void ResetPeakHeap();

} // namespace qm::bench
