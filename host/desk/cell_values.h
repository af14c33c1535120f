// Reading a shown text as a number or a date, as a spreadsheet should store it.
#pragma once

#include "host/desk/table_source.h"

#include <string_view>
#include <vector>

namespace qm::desk {

struct DateTimeParts {
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0;
    double Second = 0;
};

// A plain decimal number ("-12", "3.5", "1e3"); no blanks, no thousands separators, no hex, and
// none of the texts a code column holds ("007" stays text: its zeros are part of it).
bool ReadNumber(std::string_view text, double& out);
// "yyyy-mm-dd", optionally followed by " hh:mm" or " hh:mm:ss"; a real calendar day.
bool ReadDate(std::string_view text, DateTimeParts& out);

// The kind of a column from how it is aligned on show and from samples of its texts: numbers when
// right-aligned and every non-empty sample reads as one, dates when every non-empty sample reads as
// one, text otherwise (also when there is nothing to go by).
ColumnKind InferKind(bool alignedRight, const std::vector<std::string>& samples);

} // namespace qm::desk
