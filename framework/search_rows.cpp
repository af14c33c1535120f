#include "framework/search_rows.h"

#include "dataset/errors.h"
#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "protocol/qm_protocol.h"
#include "protocol/read_answer.h"
#include "protocol/table_guards.h"

namespace qm {

namespace {

std::string FieldRefusedByTarget(const TMemTable& rows, TMemTable& target) {
    TMemTable probe;
    probe.CopyFieldDefs(target);
    probe.CreateDataSet();
    probe.Append();
    for (int i = 0; i < probe.FieldCount(); ++i) {
        TField* to = probe.Fields(i);
        const TField* from = rows.FindField(to->FieldName());
        if (!from || from->IsNull()) continue;
        try {
            to->Assign(*from);
        } catch (...) {
            return to->FieldName();
        }
    }
    return {};
}

// The answer's info is its own: one without info has none.
template <class Text>
bool ReadLeavingOut(TQmProtocol& protocol, Text text, const std::string& nameField,
                    std::vector<TLeftOutRow>& leftOut) {
    protocol.StatusInfo.clear();
    TAnswerPolicy policy;
    policy.LeftOut = &leftOut;
    policy.KeyField = nameField;
    try {
        return ReadAnswer(protocol, text, policy);
    } catch (...) {
        return false;
    }
}

} // namespace

bool ReadSearchAnswer(TQmProtocol& protocol, const char16_t* slot, const std::string& nameField,
                      std::vector<TLeftOutRow>& leftOut) {
    return ReadLeavingOut(protocol, std::u16string_view(slot ? slot : u"", SysStringLen(slot)), nameField,
                          leftOut);
}

bool ReadSearchAnswer(TQmProtocol& protocol, std::string answer, const std::string& nameField,
                      std::vector<TLeftOutRow>& leftOut) {
    return ReadLeavingOut(protocol, std::string_view(answer), nameField, leftOut);
}

void ReplaceRows(const TQmTable& table, TMemTable& target, const std::string& nameField,
                 std::vector<TLeftOutRow>& leftOut) {
    TMemTable& rows = table.Rows();
    // Rows that move over whole are announced while the views still show the old ones, so that
    // they get ready for so many with messages running.
    const bool active = target.Active();
    bool whole = active && HoldsRows(rows) && target.CanTakeRows(rows);
    if (whole) target.AnnounceRows(rows.RecordCount());
    TControlsDisabled targetQuiet(target);
    if (!active) {
        target.Open();
        whole = HoldsRows(rows) && target.CanTakeRows(rows);
    }
    if (target.State() == dsEdit || target.State() == dsInsert) target.Cancel();
    target.EmptyTable();
    if (whole) {
        // The usual answer: its fields are the form's own and every value fits them, so the rows
        // move over whole instead of one by one.
        target.TakeRows(rows);
        target.MergeChangeLog();
    } else if (HoldsRows(rows)) {
        TControlsDisabled rowsQuiet(rows);
        target.ReserveRows(rows.RecordCount());
        const TField* key = rows.FindField(nameField);
        for (rows.First(); !rows.Eof(); rows.Next()) {
            try {
                target.AppendCopy(rows, true);
            } catch (const std::exception&) {
                leftOut.push_back(
                    {key ? key->AsString() : std::string(), FieldRefusedByTarget(rows, target)});
            }
        }
    }
    target.First();
}

std::string LeftOutText(const std::vector<TLeftOutRow>& leftOut, const TMemTable& target,
                        const std::string& nameField) {
    std::string text = "查询结果中有 " + std::to_string(leftOut.size()) + " 行含有无法显示的值，已略去：";
    std::string rowName = nameField;
    if (const TField* f = target.FindField(nameField); f && !f->DisplayLabel().empty())
        rowName = f->DisplayLabel();
    for (std::size_t i = 0; i < leftOut.size(); ++i) {
        const TLeftOutRow& row = leftOut[i];
        std::string field = row.Field;
        if (const TField* f = target.FindField(row.Field); f && !f->DisplayLabel().empty())
            field = f->DisplayLabel();
        if (i) text += "；";
        text += rowName + " " + (row.Key.empty() ? std::string("（无）") : row.Key) + "（" +
                (field.empty() ? std::string("未知字段") : field) + "）";
    }
    return text;
}

} // namespace qm
