#include "protocol/qm_param.h"

#include <charconv>

#include "platform/platform.h"

namespace qm {

std::string FloatText15(double x) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 15);
    std::string text(buf, res.ptr);
    const char sep = FormatSettings().DecimalSeparator;
    if (sep != '.')
        for (char& c : text)
            if (c == '.') c = sep;
    return text;
}

void TQmParam::SetString(std::string_view text) {
    Value = std::string(text);
    ParamType = ptString;
}

void TQmParam::SetInteger(std::int32_t n) {
    Value = IntToStr(n);
    ParamType = ptInteger;
}

void TQmParam::SetFloat(double x) {
    Value = FloatText15(x);
    ParamType = ptDouble;
}

std::int32_t TQmParam::AsInteger() const {
    std::int32_t n = 0;
    return TryStrToInt(Value, n) ? n : 0;
}

} // namespace qm
