// The events a response reader tells, written down one per line and passed on to another sink when
// one is given. Shared by the reader tests and the differential fuzz target.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "protocol/answer_builder.h"
#include "protocol/answer_sink.h"

namespace qm::test {

class TEventLog final : public TAnswerSink {
public:
    explicit TEventLog(TAnswerSink* next = nullptr) : FNext(next) {}
    std::string Log;

    void Status(std::optional<std::string_view> code, std::optional<std::string_view> info) override {
        Log += "status";
        if (code) Add(" code", *code);
        if (info) Add(" info", *info);
        Log += '\n';
        if (FNext) FNext->Status(code, info);
    }
    bool BeginRs(const answer::TAttributes& attrs, std::size_t rowsHint) override {
        Log += "rs";
        AddAll(attrs);
        const bool rows = FNext ? FNext->BeginRs(attrs, rowsHint) : answer::HoldsRows(attrs);
        Log += rows ? " holding rows\n" : " holding text\n";
        return rows;
    }
    void Text(std::string_view text) override {
        Add("text", text);
        Log += '\n';
        if (FNext) FNext->Text(text);
    }
    void Row(const answer::TAttributes& attrs) override {
        Log += "row";
        AddAll(attrs);
        Log += '\n';
        if (FNext) FNext->Row(attrs);
    }
    void EndRs() override {
        Log += "end\n";
        if (FNext) FNext->EndRs();
    }

private:
    // Sized, so that any value reads back unambiguously.
    void Add(std::string_view name, std::string_view value) {
        Log.append(name).append("[").append(std::to_string(value.size())).append("]").append(value);
    }
    void AddAll(const answer::TAttributes& attrs) {
        for (const answer::TAttribute& a : attrs) {
            Log += ' ';
            Add(a.Name, a.Value);
        }
    }
    TAnswerSink* FNext;
};

} // namespace qm::test
