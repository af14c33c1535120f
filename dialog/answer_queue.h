// The queued answers and the record of every box asked while they were in use.
#pragma once

#include "dialog/dialog_api.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace qm::dialog {

// The parts of a box's flags.
inline constexpr int kKindMask = 0x0F;
inline constexpr int kYesNo = 4;
inline constexpr int kWarning = 2;
inline constexpr int kDefaultSecond = 0x100;

// What Enter answers: for a yes/no box 是 (6), or 否 (7) when the flags make it the default.
inline int DefaultButtonAnswer(int flags) {
    if ((flags & kKindMask) != kYesNo) return 1;
    return flags & kDefaultSecond ? 7 : 6;
}

struct RecordedCall {
    std::string Caption;
    std::string Text;
    int Flags = 0;
};

class AnswerQueue {
public:
    static AnswerQueue& Instance();

    void Push(int answer) { FAnswers.push_back(answer); }
    void Clear() {
        FAnswers.clear();
        FCalls.clear();
        FFailed = false;
    }
    void SetStrict(bool strict) { FStrict = strict; }

    // The answer for a box when the queue decides it, or nothing when a real box must be shown.
    std::optional<int> Answer(const RecordedCall& call) {
        FCalls.push_back(call);
        if (FAnswers.empty() && !FStrict) return std::nullopt;
        if (FAnswers.empty()) {
            FFailed = true; // strict, nothing queued: no one would click
            return 0;
        }
        const int answer = FAnswers.front();
        FAnswers.pop_front();
        return answer == kQueuedDefault ? DefaultButtonAnswer(call.Flags) : answer;
    }

    const std::vector<RecordedCall>& Calls() const { return FCalls; }
    bool Failed() const { return FFailed; }
    int Pending() const { return static_cast<int>(FAnswers.size()); }

private:
    std::deque<int> FAnswers;
    std::vector<RecordedCall> FCalls;
    bool FStrict = false;
    bool FFailed = false;
};

} // namespace qm::dialog
