// The block in which the grid hands out the shown cells of many rows in one call, to a reader that
// knows it only as a Qt model (the desk's export, across the module's boundary): cell after cell, a
// native 32-bit length and that many UTF-8 bytes, or a check box's state and no bytes.
#pragma once

#include <cstdint>

namespace qm::shown_cells {

// The model's invokable method that returns the block.
inline constexpr char kMethod[] = "ShownCells(int,int,QList<int>)";
inline constexpr std::uint32_t kChecked = 0xFFFFFFFFu;
inline constexpr std::uint32_t kUnchecked = 0xFFFFFFFEu;

} // namespace qm::shown_cells
