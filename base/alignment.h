// Text alignment shared by fields, grid columns and captioned controls.
#pragma once

namespace qm {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
using enum TAlignment;

} // namespace qm
