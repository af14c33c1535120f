// Live and peak heap bytes of this process, counted by a replaced global operator new/delete and,
// once CountXmlAllocations has run, by the XML library's allocator too.
#pragma once

#include <cstddef>

namespace qm::bench {

std::size_t LiveHeapBytes();
// The highest live figure since the last ResetPeakHeap.
std::size_t PeakHeapBytes();
void ResetPeakHeap();
// Routes pugixml's allocations through the counter (it calls malloc directly otherwise).
void CountXmlAllocations();

} // namespace qm::bench
