// The response document: status, typed rs items, recordsets and key rows.
#include <cstring>
#include <functional>
#include <vector>

#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "protocol/field_list.h"
#include "protocol/answer_numbers.h"
#include "protocol/qm_protocol.h"
#include "protocol/xml_text.h"

namespace qm {

namespace {

// About a millisecond of parsing.
constexpr std::size_t kParseAsideBytes = 256 * 1024;

using answer::ReadFloat;
using answer::ReadInt;

// Every element named rs, in document order, with the number of elements directly inside it;
// walked without recursion, and only once: a long answer is mostly rows.
struct FoundRs {
    pugi::xml_node node;
    int elements;
};

std::vector<FoundRs> CollectRs(const pugi::xml_document& doc) {
    std::vector<FoundRs> found;
    std::vector<int> inside{-1};  // per open level: the found rs whose children it holds, or -1
    pugi::xml_node node = doc.first_child();
    while (node) {
        ProcessMessages();  // a search answer holds a hundred thousand elements
        int self = -1;
        if (node.type() == pugi::node_element) {
            if (inside.back() >= 0) ++found[static_cast<std::size_t>(inside.back())].elements;
            if (std::strcmp(node.name(), "rs") == 0) {
                self = static_cast<int>(found.size());
                found.push_back({node, 0});
            }
        }
        if (pugi::xml_node child = node.first_child()) {
            inside.push_back(self);
            node = child;
            continue;
        }
        pugi::xml_node next = node.next_sibling();
        while (!next) {
            node = node.parent();
            if (!node) break;
            inside.pop_back();
            next = node.next_sibling();
        }
        node = next;
    }
    return found;
}

// Where a data row finds the value of one field: the exact name, then upper, then lower case.
struct FieldSlot {
    TField* field;
    std::string exact, upper, lower;  // upper/lower empty when equal to exact
    bool isDate;
};

// A row's attributes, read once in document order: a lookup by name in pugixml compares every
// attribute again, and each access is a call into the library.
struct RowAttribute {
    const char* name;
    const char* value;
};
using RowAttributes = std::vector<RowAttribute>;

bool SameName(const char* name, const std::string& wanted) {
    for (const char c : wanted)
        if (*name++ != c) return false;
    return *name == '\0';
}

// True when the row carries an "rn" attribute: then it is a key row, not data.
bool ReadAttributes(pugi::xml_node row, RowAttributes& out) {
    out.clear();
    bool key = false;
    for (pugi::xml_attribute a = row.first_attribute(); a; a = a.next_attribute()) {
        const char* name = a.name();
        if (name[0] == 'r' && name[1] == 'n' && name[2] == '\0') key = true;
        out.push_back({name, a.value()});
    }
    return key;
}

std::size_t FindName(const RowAttributes& attrs, const std::string& name) {
    for (std::size_t i = 0; i < attrs.size(); ++i)
        if (SameName(attrs[i].name, name)) return i;
    return attrs.size();
}

const char* FindValue(const RowAttributes& attrs, const FieldSlot& slot, std::size_t& next) {
    // Hosts write the attributes in field order: try the one after the last match first.
    if (next < attrs.size() && SameName(attrs[next].name, slot.exact)) return attrs[next++].value;
    std::size_t hit = FindName(attrs, slot.exact);
    if (hit == attrs.size() && !slot.upper.empty()) hit = FindName(attrs, slot.upper);
    if (hit == attrs.size() && !slot.lower.empty()) hit = FindName(attrs, slot.lower);
    if (hit == attrs.size()) return nullptr;
    next = hit + 1;
    return attrs[hit].value;
}

std::vector<FieldSlot> MakeSlots(TMemTable& rows) {
    std::vector<FieldSlot> slots;
    for (int i = 0; i < rows.FieldCount(); ++i) {
        TField* field = rows.Fields(i);
        FieldSlot slot{field, field->FieldName(), UpperCase(field->FieldName()), LowerCase(field->FieldName()),
                       field->DataType() == ftDate};
        if (slot.upper == slot.exact) slot.upper.clear();
        if (slot.lower == slot.exact) slot.lower.clear();
        slots.push_back(std::move(slot));
    }
    return slots;
}

void FillFields(const RowAttributes& attrs, const std::vector<FieldSlot>& slots) {
    std::size_t next = 0;
    for (const FieldSlot& slot : slots) {
        ProcessMessages();
        const char* found = FindValue(attrs, slot, next);
        std::string_view value = found ? found : "";
        if (value.empty()) continue;  // the new row is all null
        // The writer's "yyyy-mm-dd hh:nn:ss" arrives as its date part.
        if (slot.isDate && value.find(':') != std::string_view::npos) value = value.substr(0, value.find(' '));
        slot.field->SetAsString(value);
    }
}

void ReadDataRow(const RowAttributes& attrs, TMemTable& rows, const std::vector<FieldSlot>& slots) {
    rows.SetCachedUpdates(false);  // the row enters unchanged
    // Without listeners the row skips the editing machinery; a value the field refuses is read
    // again the ordinary way, so that the failure leaves the table as it always did.
    if (rows.BeginQuietRow()) {
        try {
            FillFields(attrs, slots);
        } catch (const EConvertError&) {
            rows.CancelQuietRow();
            rows.Append();
            FillFields(attrs, slots);
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
    FillFields(attrs, slots);
    rows.Post();
}

}  // namespace

// False stops the whole read: a data row came before any field list.
static bool ReadRecordset(TQmProtocol& protocol, pugi::xml_node rs, int elements, const TReadRows& how) {
    const pugi::xml_attribute tbname = rs.attribute("tbname");
    TQmTable& table = protocol.Table(protocol.AddTable());
    TMemTable& rows = table.Rows();
    rows.QmTableName = tbname ? UpperCase(tbname.value()) : std::string("UNKNOWN");

    bool defined = false;
    std::vector<FieldSlot> slots;
    RowAttributes attrs;
    for (pugi::xml_node row = rs.first_child(); row; row = row.next_sibling()) {
        if (row.type() != pugi::node_element) continue;
        ProcessMessages();
        if (ReadAttributes(row, attrs)) {
            TQmRowId& key = protocol.RowId(protocol.AddRowId());
            key.TableName = row.attribute("tbname").value();
            key.RowNo = ReadInt(row.attribute("rn").value());
            key.Id = ReadInt(row.attribute("id").value());
            continue;
        }
        if (!defined) {
            rows.FieldDefs().Clear();
            const pugi::xml_attribute fields = rs.attribute("fields");
            if (!fields) return false;
            ParseFieldList(fields.value(), rows.FieldDefs());
            rows.CreateDataSet();
            slots = MakeSlots(rows);
            rows.ReserveRows(elements);
            defined = true;
        }
        if (!rows.Active()) rows.Open();
        try {
            ReadDataRow(attrs, rows, slots);
        } catch (const std::exception&) {
            if (!how.Refused || !how.Refused(row)) throw;
            if (rows.State() == dsInsert || rows.State() == dsEdit) rows.Cancel();
        }
    }
    return true;
}

namespace {

// The parse is one step that cannot yield: a long answer is parsed beside the window, which keeps
// its messages running meanwhile; a short one is not worth a thread.
bool Parse(std::size_t size, const std::function<bool()>& parse) {
    ProcessMessagesIfDue();
    bool parsed = false;
    if (size >= kParseAsideBytes)
        RunAside([&] { parsed = parse(); });
    else
        parsed = parse();
    ProcessMessagesIfDue();
    return parsed;
}

}  // namespace

void TQmProtocol::ForgetAnswer() {
    FHasNumericCode = false;
    Params.Clear();
    Tables.Clear();
    RowIds.Clear();
}

bool TQmProtocol::ReadXmlDom(std::string_view text) {
    ForgetAnswer();
    pugi::xml_document doc;
    if (!Parse(text.size(), [&] {
            return bool(doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8));
        }))
        return false;
    return ReadDocument(doc);
}

bool TQmProtocol::ReadXmlInPlace(std::string& text, pugi::xml_document& doc, const TReadRows& how) {
    ForgetAnswer();
    doc.reset();
    if (!Parse(text.size(), [&] {
            return bool(
                doc.load_buffer_inplace(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8));
        }))
        return false;
    return ReadDocument(doc, how);
}

bool TQmProtocol::ReadDocument(const pugi::xml_document& doc, const TReadRows& how) {
    ForgetAnswer();
    const pugi::xml_node status = doc.child("quelmar").child("status");
    if (!status) return false;
    if (const pugi::xml_node code = status.child("code")) StatusCode = ReadInt(ElementText(code), &FHasNumericCode);
    if (const pugi::xml_node info = status.child("info")) StatusInfo = ElementText(info);

    for (const auto& [rs, elements] : CollectRs(doc)) {
        ProcessMessages();
        const pugi::xml_attribute typ = rs.attribute("typ");
        if (!typ) continue;
        const std::string word = LowerCase(typ.value());
        if (word == "string" || word == "date") {
            Param(AddParam()).SetString(ElementText(rs));
        } else if (word == "integer" || word == "long") {
            Param(AddParam()).SetInteger(ReadInt(ElementText(rs)));
        } else if (word == "double") {
            Param(AddParam()).SetFloat(ReadFloat(ElementText(rs)));
        } else if (word == "recordset") {
            if (!ReadRecordset(*this, rs, elements, how)) return false;
        }
    }
    return true;
}

}  // namespace qm
