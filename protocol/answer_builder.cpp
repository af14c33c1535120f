#include "protocol/answer_builder.h"

#include "dataset/errors.h"
#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "protocol/field_list.h"
#include "protocol/qm_protocol.h"

namespace qm {

using answer::FindAttribute;
using answer::ReadInt;
using answer::TAttribute;
using answer::TAttributes;

namespace {

// Rows between two looks at the clock: the countdown alone would wait too long between pumps.
constexpr unsigned kRowsPerPumpCheck = 256;

std::string_view ValueOf(const TAttributes& attrs, std::string_view name) {
    const TAttribute* found = FindAttribute(attrs, name);
    return found ? found->Value : std::string_view();
}

} // namespace

bool answer::HoldsRows(const TAttributes& rsAttrs) {
    const TAttribute* typ = FindAttribute(rsAttrs, "typ");
    return typ && LowerCase(typ->Value) == "recordset";
}

TAnswerBuilder::TAnswerBuilder(TQmProtocol& protocol, const TAnswerPolicy& policy)
    : FProtocol(protocol), FPolicy(policy), FEarlierCode(protocol.StatusCode),
      FEarlierInfo(protocol.StatusInfo), FEarlierLeftOut(policy.LeftOut ? policy.LeftOut->size() : 0) {
    FProtocol.ForgetAnswer();
}

void TAnswerBuilder::Restart() {
    FProtocol.StatusCode = FEarlierCode;
    FProtocol.StatusInfo = FEarlierInfo;
    FProtocol.ForgetAnswer();
    if (FPolicy.LeftOut) FPolicy.LeftOut->resize(FEarlierLeftOut);
    FSeenStatus = FStopped = false;
    FError = nullptr;
    EndRs();
}

bool TAnswerBuilder::Finish() {
    if (FError) std::rethrow_exception(FError);
    return FSeenStatus && !FStopped;
}

void TAnswerBuilder::Status(std::optional<std::string_view> code, std::optional<std::string_view> info) {
    FSeenStatus = true;
    try {
        if (code) FProtocol.StatusCode = ReadInt(*code, &FProtocol.FHasNumericCode);
        if (info) FProtocol.StatusInfo = *info;
    } catch (...) {
        Fail();
    }
}

bool TAnswerBuilder::BeginRs(const TAttributes& attrs, std::size_t rowsHint) {
    EndRs();
    const bool rows = answer::HoldsRows(attrs);
    if (!Listening()) return rows;
    try {
        ProcessMessages();
        if (!rows) {
            const TAttribute* typ = FindAttribute(attrs, "typ");
            FWord = typ ? LowerCase(typ->Value) : std::string();
            return false;
        }
        FRows = &FProtocol.Table(FProtocol.AddTable()).Rows();
        const TAttribute* tbname = FindAttribute(attrs, "tbname");
        FRows->QmTableName = tbname ? UpperCase(tbname->Value) : std::string("UNKNOWN");
        const TAttribute* fields = FindAttribute(attrs, "fields");
        FHasFields = fields != nullptr;
        if (fields) FFields = fields->Value;
        FRowsHint = rowsHint;
    } catch (...) {
        Fail();
    }
    return rows;
}

void TAnswerBuilder::Text(std::string_view text) {
    if (!Listening()) return;
    try {
        if (FWord == "string" || FWord == "date")
            FProtocol.Param(FProtocol.AddParam()).SetString(text);
        else if (FWord == "integer" || FWord == "long")
            FProtocol.Param(FProtocol.AddParam()).SetInteger(ReadInt(text));
        else if (FWord == "double")
            FProtocol.Param(FProtocol.AddParam()).SetFloat(answer::ReadFloat(text));
    } catch (...) {
        Fail();
    }
}

void TAnswerBuilder::EndRs() {
    FWord.clear();
    FRows = nullptr;
    FHasFields = FDefined = false;
    FFields.clear();
    FSlots.clear();
}

void TAnswerBuilder::Row(const TAttributes& attrs) {
    if (!FRows || !Listening()) return;
    try {
        if (++FRowCount % kRowsPerPumpCheck == 0) ProcessMessagesIfDue();
        ProcessMessages();
        if (FindAttribute(attrs, "rn")) {
            KeyRow(attrs);
            return;
        }
        if (!FDefined && !DefineRows()) return;
        if (!FRows->Active()) FRows->Open();
        DataRow(attrs);
    } catch (...) {
        Fail();
    }
}

// A row with an "rn" attribute is no data: it returns the key the host gave an inserted row.
void TAnswerBuilder::KeyRow(const TAttributes& attrs) {
    TQmRowId& key = FProtocol.RowId(FProtocol.AddRowId());
    key.TableName = ValueOf(attrs, "tbname");
    key.RowNo = ReadInt(ValueOf(attrs, "rn"));
    key.Id = ReadInt(ValueOf(attrs, "id"));
}

// At the first data row; false when the recordset has no field list, which ends the whole read.
bool TAnswerBuilder::DefineRows() {
    FRows->FieldDefs().Clear();
    if (!FHasFields) {
        FStopped = true;
        return false;
    }
    ParseFieldList(FFields, FRows->FieldDefs());
    FRows->CreateDataSet();
    FSlots = answer::MakeSlots(*FRows);
    FRows->ReserveRows(static_cast<int>(FRowsHint));
    FDefined = true;
    return true;
}

void TAnswerBuilder::DataRow(const TAttributes& attrs) {
    std::string refused;
    try {
        FillRow(attrs, refused);
    } catch (const std::exception&) {
        if (!LeaveOut(attrs, refused)) throw;
        if (FRows->State() == dsInsert || FRows->State() == dsEdit) FRows->Cancel();
    }
}

void TAnswerBuilder::FillRow(const TAttributes& attrs, std::string& refused) {
    TMemTable& rows = *FRows;
    rows.SetCachedUpdates(false); // the row enters unchanged
    // Without listeners the row skips the editing machinery; a value the field refuses is read
    // again the ordinary way, so that the failure leaves the row pending as an ordinary read does.
    if (rows.BeginQuietRow()) {
        try {
            answer::FillFields(attrs, FSlots, &refused);
        } catch (const EConvertError&) {
            rows.CancelQuietRow();
            rows.Append();
            answer::FillFields(attrs, FSlots, &refused);
            rows.Post();
            return;
        } catch (...) {
            rows.CancelQuietRow();
            throw;
        }
        rows.PostQuietRow();
        return;
    }
    rows.Append();
    answer::FillFields(attrs, FSlots, &refused);
    rows.Post();
}

bool TAnswerBuilder::LeaveOut(const TAttributes& attrs, const std::string& refused) {
    if (!FPolicy.LeftOut || refused.empty()) return false;
    if (!FProtocol.HasNumericCode() || FProtocol.StatusCode != 0) return false;
    FPolicy.LeftOut->push_back({std::string(ValueOf(attrs, FPolicy.KeyField)), refused});
    return true;
}

} // namespace qm
