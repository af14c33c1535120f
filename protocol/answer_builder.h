// Every rule of what an answer means, in one place for both readers: the status, typed values,
// recordsets and their field lists, key rows, and what a row does whose value its field refuses.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "protocol/answer_sink.h"
#include "protocol/read_answer.h"

namespace qm {

class TMemTable;
class TQmProtocol;

namespace answer {
// Whether an rs element with these attributes holds rows (typ "recordset", in any letter case).
bool HoldsRows(const TAttributes& rsAttrs);
} // namespace answer

class TAnswerBuilder final : public TAnswerSink {
public:
    // Forgets the protocol's last answer; its status stays until this answer brings its own.
    TAnswerBuilder(TQmProtocol& protocol, const TAnswerPolicy& policy);
    // The reader gave up on the text: the status as it was, the answer and its left-out rows
    // forgotten, for another reader.
    void Restart();
    // Whether the answer was read to its end; raises what a rule raised on the way. A rule that
    // raises ends the read there, but the reader goes on to the end of the text first, so that a
    // text which turns out to be no document is judged as such.
    bool Finish();

    void Status(std::optional<std::string_view> code, std::optional<std::string_view> info) override;
    bool BeginRs(const answer::TAttributes& attrs, std::size_t rowsHint) override;
    void Text(std::string_view text) override;
    void Row(const answer::TAttributes& attrs) override;
    void EndRs() override;

private:
    bool Listening() const { return FSeenStatus && !FStopped && !FError; }
    void Fail() { FError = std::current_exception(); }
    void KeyRow(const answer::TAttributes& attrs);
    bool DefineRows();
    void DataRow(const answer::TAttributes& attrs);
    void FillRow(const answer::TAttributes& attrs, std::string& refused);
    bool LeaveOut(const answer::TAttributes& attrs, const std::string& refused);

    TQmProtocol& FProtocol;
    const TAnswerPolicy& FPolicy;
    std::int32_t FEarlierCode;
    std::string FEarlierInfo;
    std::size_t FEarlierLeftOut;
    bool FSeenStatus = false;
    bool FStopped = false; // a data row came before any field list: nothing more is read
    std::exception_ptr FError;

    // The rs being read.
    std::string FWord; // its typ, lower case
    TMemTable* FRows = nullptr;
    bool FHasFields = false;
    std::string FFields;
    bool FDefined = false;
    std::vector<answer::TFieldSlot> FSlots;
    std::size_t FRowsHint = 0;
    unsigned FRowCount = 0;
};

} // namespace qm
