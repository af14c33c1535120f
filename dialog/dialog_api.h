// The exports of dialog.dll, for whoever loads it with dlopen: the box itself and the answer
// queue that automated runs use instead of clicks.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

#include "platform/platform.h"

#define QM_DIALOG_EXPORT extern "C" __attribute__((visibility("default")))

namespace qm::dialog {

// The box: owner window handle, caption, text, flags (1 notice, 2 warning, 4 yes/no; 0x100 added
// makes the second button, 否, the default). Returns 6 yes / 7 no for a yes/no box (Esc and the
// frame's close are 否), 1 for the notices, 0 when nothing could be shown.
using QmMessageBoxFunction = int (*)(std::uint32_t owner, const char* caption, const char* text, int flags);
// Queues the answer of the next box that finds the queue non-empty; kQueuedDefault answers as
// Enter would, with the box's default button.
using QueueAnswerFunction = void (*)(int answer);
// Empties the queue and forgets the recorded calls and the failed mark.
using ClearQueueFunction = void (*)();
// Non-zero: a box with no answer queued records itself, returns 0 and fails the run.
using SetStrictFunction = void (*)(int strict);
using CallCountFunction = int (*)();
// Recorded call i; the texts stay valid until the queue is cleared. Null/-1 when i is out of range.
using CallCaptionFunction = const char* (*)(int index);
using CallTextFunction = const char* (*)(int index);
using CallFlagsFunction = int (*)(int index);
using RunFailedFunction = int (*)();
using PendingAnswersFunction = int (*)();

inline constexpr char kFileName[] = "dialog.dll";
inline constexpr int kQueuedDefault = -1;

// The library's exports, resolved from the file in a given folder. The library is never unloaded
// (it is linked to stay), so the queue seen here is the one every loader of the same file sees.
struct DialogApi {
    QmMessageBoxFunction MessageBox = nullptr;
    QueueAnswerFunction QueueAnswer = nullptr;
    ClearQueueFunction ClearQueue = nullptr;
    SetStrictFunction SetStrict = nullptr;
    CallCountFunction CallCount = nullptr;
    CallCaptionFunction CallCaption = nullptr;
    CallTextFunction CallText = nullptr;
    CallFlagsFunction CallFlags = nullptr;
    RunFailedFunction RunFailed = nullptr;
    PendingAnswersFunction PendingAnswers = nullptr;

    // folder ends with a separator. False when the file or any export is missing.
    bool Load(const std::string& folder) {
        LibraryHandle lib = LoadLibrary(folder + kFileName);
        if (!lib) return false;
        auto get = [lib](auto& slot, const char* name) {
            slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(GetProcAddress(lib, name));
            return slot != nullptr;
        };
        return get(MessageBox, "QmMessageBox") && get(QueueAnswer, "QmDialogQueueAnswer") &&
               get(ClearQueue, "QmDialogClearQueue") && get(SetStrict, "QmDialogSetStrict") &&
               get(CallCount, "QmDialogCallCount") && get(CallCaption, "QmDialogCallCaption") &&
               get(CallText, "QmDialogCallText") && get(CallFlags, "QmDialogCallFlags") &&
               get(RunFailed, "QmDialogRunFailed") && get(PendingAnswers, "QmDialogPendingAnswers");
    }
};

} // namespace qm::dialog
