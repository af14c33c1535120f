#include "dataset/field_defs.h"

#include "dataset/errors.h"
#include "platform/platform.h"

namespace qm {

const char* FieldTypeName(TFieldType type) {
    switch (type) {
    case ftString:
        return "ftString";
    case ftInteger:
        return "ftInteger";
    case ftLargeint:
        return "ftLargeint";
    case ftFloat:
        return "ftFloat";
    case ftDate:
        return "ftDate";
    case ftDateTime:
        return "ftDateTime";
    case ftTime:
        return "ftTime";
    case ftBoolean:
        return "ftBoolean";
    case ftUnknown:
        break;
    }
    return "ftUnknown";
}

TFieldDef& TFieldDefs::Add(std::string_view name, TFieldType type, int size, bool required) {
    if (Trim(name).empty()) throw EDatabaseError("Field name missing");
    if (IndexOf(name) >= 0) throw EDatabaseError("Duplicate field name '" + std::string(name) + "'");
    FItems.push_back(TFieldDef{std::string(name), type, size, required});
    return FItems.back();
}

int TFieldDefs::IndexOf(std::string_view name) const {
    for (std::size_t i = 0; i < FItems.size(); ++i)
        if (SameText(FItems[i].Name, name)) return static_cast<int>(i);
    return -1;
}

const TFieldDef* TFieldDefs::Find(std::string_view name) const {
    int i = IndexOf(name);
    return i < 0 ? nullptr : &FItems[static_cast<std::size_t>(i)];
}

bool TFieldDefs::operator==(const TFieldDefs& other) const {
    return FItems == other.FItems;
}

} // namespace qm
