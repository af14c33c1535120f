// One typed scalar of a request or response: a parameter, or a named variable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/component.h"
#include "protocol/qm_list.h"

namespace qm {

enum TQmParamType : std::uint8_t {
    ptString = 0,
    ptInteger = 1,
    ptDouble = 2,
    ptFloat = 3,
    ptDateTime = 4,
    ptDate = 5,
    ptTime = 6,
    ptVar = 7,
    ptMemo = 8,
    ptNone = 10,
};

class TQmParam : public TObject {
public:
    std::string Value;
    std::uint8_t ParamType = ptNone;
    std::string Name; // used only by variables

    void SetString(std::string_view text);
    void SetInteger(std::int32_t n);
    void SetFloat(double x);
    // Value read as a decimal integer; 0 when it is not one.
    std::int32_t AsInteger() const;
};

using TQmParams = TQmList<TQmParam>;

// x as decimal text with at most 15 significant digits and the system decimal separator.
std::string FloatText15(double x);

} // namespace qm
