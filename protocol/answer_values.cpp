#include "protocol/answer_values.h"

#include "dataset/mem_table.h"
#include "platform/platform.h"

namespace qm::answer {

std::int32_t ReadInt(std::string_view text, bool* ok) {
    std::int32_t n = 0;
    const bool read = TryStrToInt(Trim(text), n);
    if (ok) *ok = read;
    return read ? n : 0;
}

double ReadFloat(std::string_view text) {
    double x = 0;
    return TryStrToFloat(Trim(text), x) ? x : 0.0;
}

std::string_view FieldText(std::string_view value, bool isDate) {
    if (isDate && value.find(':') != std::string_view::npos) return value.substr(0, value.find(' '));
    return value;
}

const TAttribute* FindAttribute(const TAttributes& attrs, std::string_view name) {
    for (const TAttribute& a : attrs)
        if (a.Name == name) return &a;
    return nullptr;
}

std::vector<TFieldSlot> MakeSlots(TMemTable& rows) {
    std::vector<TFieldSlot> slots;
    for (int i = 0; i < rows.FieldCount(); ++i) {
        TField* field = rows.Fields(i);
        TFieldSlot slot{field, field->FieldName(), UpperCase(field->FieldName()),
                        LowerCase(field->FieldName()), field->DataType() == ftDate};
        if (slot.Upper == slot.Exact) slot.Upper.clear();
        if (slot.Lower == slot.Exact) slot.Lower.clear();
        slots.push_back(std::move(slot));
    }
    return slots;
}

namespace {

std::size_t FindName(const TAttributes& attrs, std::string_view name) {
    for (std::size_t i = 0; i < attrs.size(); ++i)
        if (attrs[i].Name == name) return i;
    return attrs.size();
}

const std::string_view* FindValue(const TAttributes& attrs, const TFieldSlot& slot, std::size_t& next) {
    // Hosts write the attributes in field order: try the one after the last match first.
    if (next < attrs.size() && attrs[next].Name == slot.Exact) return &attrs[next++].Value;
    std::size_t hit = FindName(attrs, slot.Exact);
    if (hit == attrs.size() && !slot.Upper.empty()) hit = FindName(attrs, slot.Upper);
    if (hit == attrs.size() && !slot.Lower.empty()) hit = FindName(attrs, slot.Lower);
    if (hit == attrs.size()) return nullptr;
    next = hit + 1;
    return &attrs[hit].Value;
}

} // namespace

void FillFields(const TAttributes& attrs, const std::vector<TFieldSlot>& slots, std::string* refused) {
    std::size_t next = 0;
    for (const TFieldSlot& slot : slots) {
        ProcessMessages();
        const std::string_view* found = FindValue(attrs, slot, next);
        if (!found || found->empty()) continue; // the new row is all null
        try {
            slot.Field->SetAsString(FieldText(*found, slot.IsDate));
        } catch (...) {
            if (refused) *refused = slot.Field->FieldName();
            throw;
        }
    }
}

} // namespace qm::answer
