// Field definitions: what a table is created from.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qm {

enum class TFieldType {
    ftUnknown,
    ftString,
    ftInteger,
    ftLargeint,
    ftFloat,
    ftDate,
    ftDateTime,
    ftTime,
    ftBoolean
};
using enum TFieldType;

// "ftString", "ftInteger", ...
const char* FieldTypeName(TFieldType type);

struct TFieldDef {
    std::string Name;
    TFieldType DataType = ftUnknown;
    int Size = 0; // characters, for text fields
    bool Required = false;
    bool operator==(const TFieldDef&) const = default;
};

// Ordered definitions with names unique ignoring ASCII case.
class TFieldDefs {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    const TFieldDef& Items(int index) const { return FItems.at(static_cast<std::size_t>(index)); }
    const TFieldDef& operator[](int index) const { return Items(index); }
    // Raises EDatabaseError for an empty name or a name that is already defined.
    TFieldDef& Add(std::string_view name, TFieldType type, int size = 0, bool required = false);
    void Clear() { FItems.clear(); }
    void Assign(const TFieldDefs& source) {
        if (&source != this) FItems = source.FItems;
    }
    int IndexOf(std::string_view name) const;           // -1 when absent
    const TFieldDef* Find(std::string_view name) const; // null when absent
    bool operator==(const TFieldDefs& other) const;

private:
    std::vector<TFieldDef> FItems;
};

} // namespace qm
