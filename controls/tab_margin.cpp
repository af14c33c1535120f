#include "controls/tab_margin.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "controls/tab_errors.h"

namespace qm {

std::string ClassNameOf(const TObject& object) {
    const char* mangled = typeid(object).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> plain(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                 std::free);
    std::string name = status == 0 && plain ? plain.get() : mangled;
    const auto colon = name.rfind("::");
    return colon == std::string::npos ? name : name.substr(colon + 2);
}

void TTabMargin::SetMargin(int index, int value) {
    if (margins_[index] == value) return;
    if (OnChange) OnChange(value, margins_[index], index);
    margins_[index] = value;
}

void TTabMargin::Assign(const TObject& source) {
    const auto* other = dynamic_cast<const TTabMargin*>(&source);
    if (!other) throw EConvertError("Cannot assign a " + ClassNameOf(source) + " to a TTabMargin");
    for (int i = 0; i < 3; ++i)
        margins_[i] = other->margins_[i];
}

} // namespace qm
