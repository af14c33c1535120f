// The field list of a response recordset: "NAME:TYPE:SIZE:SCALE" descriptions separated by blanks.
#pragma once

#include <string_view>

#include "dataset/field_defs.h"

namespace qm {

// The definition one description gives. Raises EConvertError for a description without a name, or
// a size or scale that is not a decimal integer from 0 to 1,048,576 where the type uses it.
TFieldDef ParseFieldDescription(std::string_view description);

// Adds one definition per description, in list order; empty descriptions are skipped. Lets pending
// messages run before each description.
void ParseFieldList(std::string_view list, TFieldDefs& defs);

} // namespace qm
