// What a clerk may write into a field as text: the longest text a column takes, counted in
// characters as the store counts them, and numbers as an input method types them. Every path that
// writes a typed text into a field (the cell editor, a paste, a scripted edit) goes by these rules.
#pragma once

#include <string>
#include <string_view>

namespace qm {

class TField;

// Characters (code points) of a UTF-8 text.
int CharacterCount(std::string_view utf8);
// The refusal of a text longer than the field takes, naming the field by its label; empty when the
// text fits or the field has no length.
std::string LengthRefusal(const std::string& label, int size, int characters);
std::string LengthRefusal(const TField& field, std::string_view text);
// The refusal of a text holding a control character other than tab and newline (a NUL among
// them, which would otherwise cut the value where it stands), naming the first by its code point;
// empty when there is none.
std::string ControlRefusal(const std::string& label, std::string_view text);
// Full-width digits, signs, point and space (as a Chinese input method types them) as ASCII.
std::string PlainNumberText(std::string_view text);
// The refusal of a whole number beyond the range of an integer field; empty when the text is no
// whole number or fits.
std::string RangeRefusal(const TField& field, std::string_view text);

} // namespace qm
