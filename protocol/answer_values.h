// Values of an answer as the answer builder puts them into tables: numbers, a row's attributes
// and the field each attribute fills.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class TField;
class TMemTable;

namespace answer {

// A number in an answer may be pretty-printed with blanks around it; anything else reads as 0.
std::int32_t ReadInt(std::string_view text, bool* ok = nullptr);
double ReadFloat(std::string_view text);

// The text a field is set from: the writer's "yyyy-mm-dd hh:nn:ss" arrives as its date part.
std::string_view FieldText(std::string_view value, bool isDate);

// A row's attributes, read once in document order.
struct TAttribute {
    std::string_view Name;
    std::string_view Value;
};
using TAttributes = std::vector<TAttribute>;

// The first attribute of the name, as a DOM's lookup finds it; null when absent.
const TAttribute* FindAttribute(const TAttributes& attrs, std::string_view name);

// Where a data row finds the value of one field: the exact name, then upper, then lower case.
struct TFieldSlot {
    TField* Field;
    std::string Exact, Upper, Lower; // Upper/Lower empty when equal to Exact
    bool IsDate;
};
std::vector<TFieldSlot> MakeSlots(TMemTable& rows);

// Sets every field of the row being filled from its attribute; a missing or empty one stays null.
// Lets messages run between fields. When a field refuses its value, refused (if given) is set to
// the field's name before the error goes on.
void FillFields(const TAttributes& attrs, const std::vector<TFieldSlot>& slots,
                std::string* refused = nullptr);

} // namespace answer
} // namespace qm
