// The response document: status, typed rs items, recordsets and key rows.
#include <cstring>
#include <functional>
#include <vector>

#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "protocol/answer_values.h"
#include "protocol/field_list.h"
#include "protocol/qm_protocol.h"
#include "protocol/xml_text.h"

namespace qm {

namespace {

// About a millisecond of parsing.
constexpr std::size_t kParseAsideBytes = 256 * 1024;

using answer::FillFields;
using answer::MakeSlots;
using answer::ReadFloat;
using answer::ReadInt;
using answer::TAttributes;
using answer::TFieldSlot;

// Every element named rs, in document order, with the number of elements directly inside it;
// walked without recursion, and only once: a long answer is mostly rows.
struct FoundRs {
    pugi::xml_node node;
    int elements;
};

std::vector<FoundRs> CollectRs(const pugi::xml_document& doc) {
    std::vector<FoundRs> found;
    std::vector<int> inside{-1}; // per open level: the found rs whose children it holds, or -1
    pugi::xml_node node = doc.first_child();
    while (node) {
        ProcessMessages(); // a search answer holds a hundred thousand elements
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

// A row's attributes, read once in document order: a lookup by name in pugixml compares every
// attribute again, and each access is a call into the library. True when the row carries an "rn"
// attribute: then it is a key row, not data.
bool ReadAttributes(pugi::xml_node row, TAttributes& out) {
    out.clear();
    bool key = false;
    for (pugi::xml_attribute a = row.first_attribute(); a; a = a.next_attribute()) {
        const std::string_view name = a.name();
        if (name == "rn") key = true;
        out.push_back({name, a.value()});
    }
    return key;
}

void ReadDataRow(const TAttributes& attrs, TMemTable& rows, const std::vector<TFieldSlot>& slots) {
    rows.SetCachedUpdates(false); // the row enters unchanged
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

} // namespace

// False stops the whole read: a data row came before any field list.
static bool ReadRecordset(TQmProtocol& protocol, pugi::xml_node rs, int elements, const TReadRows& how) {
    const pugi::xml_attribute tbname = rs.attribute("tbname");
    TQmTable& table = protocol.Table(protocol.AddTable());
    TMemTable& rows = table.Rows();
    rows.QmTableName = tbname ? UpperCase(tbname.value()) : std::string("UNKNOWN");

    bool defined = false;
    std::vector<TFieldSlot> slots;
    TAttributes attrs;
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
bool Parse(std::string_view text, const std::function<bool()>& parse) {
    // XML has no character zero; the parser would take one for the end of the text.
    if (std::memchr(text.data(), '\0', text.size())) return false;
    const std::size_t size = text.size();
    ProcessMessagesIfDue();
    bool parsed = false;
    if (size >= kParseAsideBytes)
        RunAside([&] { parsed = parse(); });
    else
        parsed = parse();
    ProcessMessagesIfDue();
    return parsed;
}

} // namespace

void TQmProtocol::ForgetAnswer() {
    FHasNumericCode = false;
    Params.Clear();
    Tables.Clear();
    RowIds.Clear();
}

bool TQmProtocol::ReadXmlDom(std::string_view text) {
    ForgetAnswer();
    pugi::xml_document doc;
    if (!Parse(text, [&] {
            return bool(doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8));
        }))
        return false;
    return ReadDocument(doc);
}

bool TQmProtocol::ReadXmlInPlace(std::string& text, pugi::xml_document& doc, const TReadRows& how) {
    ForgetAnswer();
    doc.reset();
    if (!Parse(text, [&] {
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
    if (const pugi::xml_node code = status.child("code"))
        StatusCode = ReadInt(ElementText(code), &FHasNumericCode);
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

} // namespace qm
