// The records shared by host and module. Every slot is pointer-sized, so compiled for a 32-bit
// target the offsets are exactly those of the wire contract; on 64-bit they widen uniformly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

#include "platform/platform.h"

namespace qm {

struct TShareStream; // the record's memory stream; opaque to the host

// The exchange record of one data request. Wide-string slots hold null or a shared string.
struct TShareVar {
    const void* Header; // identifies the record's class inside the module
    union {
        std::int32_t FuncId;
        std::intptr_t FuncIdSlot;
    };
    BSTR RequestXml;
    BSTR RegisterAnswer;
    BSTR ReleaseAnswer;
    BSTR ExecuteAnswer;
    BSTR ModuleKey;
    BSTR ActionName;
    BSTR SearchAnswer;
    BSTR Unused36[8]; // offsets 36 to 64
    BSTR SystemCode;
    std::intptr_t Unused72;
    BSTR ContextTail;
    BSTR Unused80[2]; // offsets 80, 84
    std::intptr_t Unused88;
    BSTR Unused92[2]; // offsets 92, 96
    TShareStream* Stream;
    std::intptr_t Unused104;
    BSTR Unused108;
    std::intptr_t Unused112;
    BSTR Unused116;
};

// The login context: owned by the host, read in place.
struct THostContext {
    void* Unused0[3];
    BSTR UserName; // offset 12
    void* Unused16[2];
    BSTR UserGroup; // offset 24
    void* Unused28[4];
    BSTR AppPath; // offset 44: the folder of dialog.dll, with its trailing separator
};

// The colour scheme: owned by the host, read in place. Colours are 0x00BBGGRR.
struct THostColors {
    void* Unused0;
    std::uint8_t ShowTitle; // offset 4: non-zero shows the form's title bar
    std::uint8_t ShowTitlePad[sizeof(void*) - 1];
    union {
        TColor PanelColor; // offset 8
        std::uintptr_t PanelColorSlot;
    };
    void* Unused12[3];
    union {
        TColor FormColor; // offset 24
        std::uintptr_t FormColorSlot;
    };
    void* Unused28[2];
    union {
        TColor TitleColor; // offset 36
        std::uintptr_t TitleColorSlot;
    };
};

static_assert(std::is_standard_layout_v<TShareVar>);
static_assert(std::is_standard_layout_v<THostContext>);
static_assert(std::is_standard_layout_v<THostColors>);
static_assert(sizeof(TShareVar) == 30 * sizeof(void*));

#if defined(__SIZEOF_POINTER__) && __SIZEOF_POINTER__ == 4
static_assert(sizeof(TShareVar) == 120);
static_assert(offsetof(TShareVar, FuncId) == 4);
static_assert(offsetof(TShareVar, RequestXml) == 8);
static_assert(offsetof(TShareVar, RegisterAnswer) == 12);
static_assert(offsetof(TShareVar, ReleaseAnswer) == 16);
static_assert(offsetof(TShareVar, ExecuteAnswer) == 20);
static_assert(offsetof(TShareVar, ModuleKey) == 24);
static_assert(offsetof(TShareVar, ActionName) == 28);
static_assert(offsetof(TShareVar, SearchAnswer) == 32);
static_assert(offsetof(TShareVar, Unused36) == 36);
static_assert(offsetof(TShareVar, SystemCode) == 68);
static_assert(offsetof(TShareVar, ContextTail) == 76);
static_assert(offsetof(TShareVar, Stream) == 100);
static_assert(offsetof(TShareVar, Unused116) == 116);
static_assert(offsetof(THostContext, UserName) == 12);
static_assert(offsetof(THostContext, UserGroup) == 24);
static_assert(offsetof(THostContext, AppPath) == 44);
static_assert(offsetof(THostColors, ShowTitle) == 4);
static_assert(offsetof(THostColors, PanelColor) == 8);
static_assert(offsetof(THostColors, FormColor) == 24);
static_assert(offsetof(THostColors, TitleColor) == 36);
#endif

// A new record: every slot null or zero, a new empty stream.
TShareVar* NewShareVar();
// Releases every non-null string slot once, frees the stream and the record. Null is fine.
void FreeShareVar(TShareVar* record);

struct ShareVarDeleter {
    void operator()(TShareVar* record) const { FreeShareVar(record); }
};
// One exchange's record, freed when the exchange ends however it ends.
using ShareVarPtr = std::unique_ptr<TShareVar, ShareVarDeleter>;
inline ShareVarPtr MakeShareVar() {
    return ShareVarPtr(NewShareVar());
}

// Reads a wide-string slot as UTF-8; a null slot is the empty text.
inline std::string SlotText(const char16_t* slot) {
    return BstrToUtf8(slot);
}
// Replaces a slot's string by a new shared string holding the text.
inline void SetSlotText(BSTR& slot, std::string_view utf8) {
    SysFreeString(slot);
    slot = SysAllocStringUtf8(utf8);
}

} // namespace qm
