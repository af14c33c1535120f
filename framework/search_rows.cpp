#include "framework/search_rows.h"

#include <pugixml.hpp>

#include <memory>

#include "dataset/errors.h"
#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "plugin/answer_text.h"
#include "protocol/answer_values.h"
#include "protocol/field_list.h"
#include "protocol/qm_protocol.h"
#include "protocol/response_stream.h"
#include "protocol/table_guards.h"

namespace qm {

namespace {

// The first field of the row whose text the field type refuses, as the reader would set it;
// empty when every value is accepted.
std::string RefusedField(pugi::xml_node row, TMemTable& probe) {
    probe.Append();
    std::string refused;
    for (pugi::xml_attribute a = row.first_attribute(); a && refused.empty(); a = a.next_attribute()) {
        TField* field = probe.FindField(a.name());
        if (!field || !*a.value()) continue;
        try {
            field->SetAsString(answer::FieldText(a.value(), field->DataType() == ftDate));
        } catch (...) {
            refused = field->FieldName();
        }
    }
    probe.Cancel();
    return refused;
}

// Names the field that refuses a row's value, with a table laid out by the row's recordset.
class TRefusalProbe {
public:
    std::string RefusedField(pugi::xml_node row) {
        if (!FTable || FRecordset != row.parent()) {
            FRecordset = row.parent();
            FTable = std::make_unique<TMemTable>();
            ParseFieldList(FRecordset.attribute("fields").value(), FTable->FieldDefs());
            FTable->CreateDataSet();
        }
        return qm::RefusedField(row, *FTable);
    }

private:
    pugi::xml_node FRecordset;
    std::unique_ptr<TMemTable> FTable;
};

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

// The streaming reader where it decides; when it leaves the answer to the document reader, the
// status is put back as it was before (the rest that reader clears itself).
template <class Text> TStreamOutcome ReadPlain(TQmProtocol& protocol, Text text) {
    const std::int32_t code = protocol.StatusCode;
    const TStreamOutcome outcome = TResponseStream::Read(protocol, text);
    if (outcome == TStreamOutcome::Unsupported) {
        protocol.StatusCode = code;
        protocol.StatusInfo.clear();
    }
    return outcome;
}

} // namespace

bool ReadSearchAnswer(TQmProtocol& protocol, const char16_t* slot, const std::string& nameField,
                      std::vector<TLeftOutRow>& leftOut) {
    protocol.StatusInfo.clear(); // an answer without info has none
    const TStreamOutcome outcome =
        ReadPlain(protocol, std::u16string_view(slot ? slot : u"", SysStringLen(slot)));
    if (outcome != TStreamOutcome::Unsupported) return outcome == TStreamOutcome::Read;
    return ReadSearchAnswer(protocol, ReadAnswerText(slot), nameField, leftOut);
}

bool ReadSearchAnswer(TQmProtocol& protocol, std::string answer, const std::string& nameField,
                      std::vector<TLeftOutRow>& leftOut) {
    protocol.StatusInfo.clear(); // an answer without info has none
    const TStreamOutcome outcome = ReadPlain(protocol, std::string_view(answer));
    if (outcome != TStreamOutcome::Unsupported) return outcome == TStreamOutcome::Read;
    // Parsed in place, and read once: in a success, a row with a value its field refuses is left
    // out and named, and the read goes on.
    TRefusalProbe probe;
    TReadRows how;
    how.Refused = [&](pugi::xml_node row) {
        if (!protocol.HasNumericCode() || protocol.StatusCode != 0) return false;
        const std::string field = probe.RefusedField(row);
        if (field.empty()) return false;
        const pugi::xml_attribute key = row.attribute(nameField.c_str());
        leftOut.push_back({key ? key.value() : std::string(), field});
        return true;
    };
    pugi::xml_document doc;
    try {
        return protocol.ReadXmlInPlace(answer, doc, how);
    } catch (...) {
        return false;
    }
}

void ReplaceRows(const TQmTable& table, TMemTable& target, const std::string& nameField,
                 std::vector<TLeftOutRow>& leftOut) {
    TMemTable& rows = table.Rows();
    TControlsDisabled targetQuiet(target);
    if (!target.Active()) target.Open();
    if (target.State() == dsEdit || target.State() == dsInsert) target.Cancel();
    target.EmptyTable();
    if (HoldsRows(rows)) {
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
