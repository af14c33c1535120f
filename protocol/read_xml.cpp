// The response document: status, typed rs items, recordsets and key rows.
#include <cstring>
#include <vector>

#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "protocol/field_list.h"
#include "protocol/qm_protocol.h"
#include "protocol/xml_text.h"

namespace qm {

namespace {

// A number in an answer may be pretty-printed with blanks around it.
std::int32_t ReadInt(std::string_view text, bool* ok = nullptr) {
    std::int32_t n = 0;
    const bool read = TryStrToInt(Trim(text), n);
    if (ok) *ok = read;
    return read ? n : 0;
}

double ReadFloat(std::string_view text) {
    double x = 0;
    return TryStrToFloat(Trim(text), x) ? x : 0.0;
}

// Every element named rs, in document order; walked without recursion.
std::vector<pugi::xml_node> CollectRs(const pugi::xml_document& doc) {
    std::vector<pugi::xml_node> found;
    pugi::xml_node node = doc.first_child();
    while (node) {
        if (node.type() == pugi::node_element && std::strcmp(node.name(), "rs") == 0) found.push_back(node);
        if (pugi::xml_node child = node.first_child()) {
            node = child;
            continue;
        }
        pugi::xml_node next = node.next_sibling();
        while (!next) {
            node = node.parent();
            if (!node) break;
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

pugi::xml_attribute FindValue(pugi::xml_node row, const FieldSlot& slot, pugi::xml_attribute& next) {
    // Hosts write the attributes in field order: try the one after the last match first.
    if (next && std::strcmp(next.name(), slot.exact.c_str()) == 0) {
        pugi::xml_attribute hit = next;
        next = next.next_attribute();
        return hit;
    }
    pugi::xml_attribute hit = row.attribute(slot.exact.c_str());
    if (!hit && !slot.upper.empty()) hit = row.attribute(slot.upper.c_str());
    if (!hit && !slot.lower.empty()) hit = row.attribute(slot.lower.c_str());
    if (hit) next = hit.next_attribute();
    return hit;
}

int CountElements(pugi::xml_node parent) {
    int count = 0;
    for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_element) ++count;
    return count;
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

void FillFields(pugi::xml_node row, const std::vector<FieldSlot>& slots) {
    pugi::xml_attribute next = row.first_attribute();
    for (const FieldSlot& slot : slots) {
        ProcessMessages();
        const pugi::xml_attribute attr = FindValue(row, slot, next);
        std::string_view value = attr ? attr.value() : "";
        if (value.empty()) continue;  // the new row is all null
        // The writer's "yyyy-mm-dd hh:nn:ss" arrives as its date part.
        if (slot.isDate && value.find(':') != std::string_view::npos) value = value.substr(0, value.find(' '));
        slot.field->SetAsString(value);
    }
}

void ReadDataRow(pugi::xml_node row, TMemTable& rows, const std::vector<FieldSlot>& slots) {
    rows.SetCachedUpdates(false);  // the row enters unchanged
    // Without listeners the row skips the editing machinery; a value the field refuses is read
    // again the ordinary way, so that the failure leaves the table as it always did.
    if (rows.BeginQuietRow()) {
        try {
            FillFields(row, slots);
        } catch (const EConvertError&) {
            rows.CancelQuietRow();
            rows.Append();
            FillFields(row, slots);
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
    FillFields(row, slots);
    rows.Post();
}

}  // namespace

// False stops the whole read: a data row came before any field list.
static bool ReadRecordset(TQmProtocol& protocol, pugi::xml_node rs) {
    const pugi::xml_attribute tbname = rs.attribute("tbname");
    TQmTable& table = protocol.Table(protocol.AddTable());
    TMemTable& rows = table.Rows();
    rows.QmTableName = tbname ? UpperCase(tbname.value()) : std::string("UNKNOWN");

    bool defined = false;
    std::vector<FieldSlot> slots;
    for (pugi::xml_node row = rs.first_child(); row; row = row.next_sibling()) {
        if (row.type() != pugi::node_element) continue;
        ProcessMessages();
        if (const pugi::xml_attribute rn = row.attribute("rn")) {
            TQmRowId& key = protocol.RowId(protocol.AddRowId());
            key.TableName = row.attribute("tbname").value();
            key.RowNo = ReadInt(rn.value());
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
            rows.ReserveRows(CountElements(rs));
            defined = true;
        }
        if (!rows.Active()) rows.Open();
        ReadDataRow(row, rows, slots);
    }
    return true;
}

bool TQmProtocol::ReadXml(std::string_view text) {
    FHasNumericCode = false;
    Params.Clear();
    Tables.Clear();
    RowIds.Clear();

    pugi::xml_document doc;
    if (!doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8)) return false;
    const pugi::xml_node status = doc.child("quelmar").child("status");
    if (!status) return false;
    if (const pugi::xml_node code = status.child("code")) StatusCode = ReadInt(ElementText(code), &FHasNumericCode);
    if (const pugi::xml_node info = status.child("info")) StatusInfo = ElementText(info);

    for (const pugi::xml_node rs : CollectRs(doc)) {
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
            if (!ReadRecordset(*this, rs)) return false;
        }
    }
    return true;
}

}  // namespace qm
