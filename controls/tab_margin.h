// The margins inside the tabs of a page control.
#pragma once

#include <functional>

#include "base/component.h"

namespace qm {

class TTabMargin : public TObject {
public:
    int LeftMargin() const { return margins_[0]; }
    int TopMargin() const { return margins_[1]; }
    int RightMargin() const { return margins_[2]; }
    void SetLeftMargin(int value) { SetMargin(0, value); }
    void SetTopMargin(int value) { SetMargin(1, value); }
    void SetRightMargin(int value) { SetMargin(2, value); }

    // Copies another TTabMargin's values without notifying; any other class is refused with
    // EConvertError.
    void Assign(const TObject& source);

    // (new value, old value, index: 0 left, 1 top, 2 right), before the value is stored.
    std::function<void(int, int, int)> OnChange;

private:
    void SetMargin(int index, int value);
    int margins_[3] = {0, 0, 0};
};

// The class name of an object as the error texts show it ("TTabMargin", not a mangled name).
std::string ClassNameOf(const TObject& object);

} // namespace qm
