// Creating and freeing exchange records.
#include <vector>

#include "plugin/records.h"

namespace qm {

// The record's memory stream: created with it, freed with it, never used by this module.
struct TShareStream {
    std::vector<unsigned char> Data;
    std::size_t Position = 0;
};

namespace {
// Its address marks a record as one of ours.
constexpr char kShareVarClass[] = "TShareVar";

template <std::size_t N> void FreeSlots(BSTR (&slots)[N]) {
    for (BSTR& s : slots) {
        SysFreeString(s);
        s = nullptr;
    }
}
void FreeSlot(BSTR& s) {
    SysFreeString(s);
    s = nullptr;
}
} // namespace

TShareVar* NewShareVar() {
    auto* record = new TShareVar{};
    record->Header = kShareVarClass;
    record->Stream = new TShareStream{};
    return record;
}

void FreeShareVar(TShareVar* record) {
    if (!record) return;
    for (BSTR* slot : {&record->RequestXml, &record->RegisterAnswer, &record->ReleaseAnswer,
                       &record->ExecuteAnswer, &record->ModuleKey, &record->ActionName, &record->SearchAnswer,
                       &record->SystemCode, &record->ContextTail, &record->Unused108, &record->Unused116})
        FreeSlot(*slot);
    FreeSlots(record->Unused36);
    FreeSlots(record->Unused80);
    FreeSlots(record->Unused92);
    delete record->Stream;
    delete record;
}

} // namespace qm
