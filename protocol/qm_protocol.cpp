#include "protocol/qm_protocol.h"

#include "platform/platform.h"
#include "protocol/read_answer.h"

namespace qm {

TQmProtocol::~TQmProtocol() {
    Params.Clear();
    Tables.Clear();
    Variables.Clear();
    RowIds.Clear();
}

int TQmProtocol::AddTable() {
    const int index = Tables.Add();
    TQmTable& table = Tables.Items(index);
    table.DeleteMode = DeleteMode;
    table.CopyMode = CopyMode;
    return index;
}

bool TQmProtocol::FindKey(std::string_view tableName, std::int32_t rowNo, std::int32_t& id) const {
    bool found = false;
    for (const auto& key : RowIds) {
        if (key->RowNo == rowNo && SameText(key->TableName, tableName)) {
            id = key->Id; // a later match replaces an earlier one
            found = true;
        }
    }
    return found;
}

std::int32_t TQmProtocol::FindKey(std::string_view tableName, std::int32_t rowNo) const {
    std::int32_t id = 0;
    return FindKey(tableName, rowNo, id) ? id : 0;
}

void TQmProtocol::SetCopyMode(std::uint8_t mode) {
    if (mode == CopyMode) return;
    CopyMode = mode;
    for (const auto& table : Tables)
        table->CopyMode = mode;
}

bool TQmProtocol::ReadXml(std::string_view text) {
    return ReadAnswer(*this, text);
}

bool TQmProtocol::ReadXml(std::u16string_view text) {
    return ReadAnswer(*this, text);
}

void TQmProtocol::ForgetAnswer() {
    FHasNumericCode = false;
    Params.Clear();
    Tables.Clear();
    RowIds.Clear();
}

void TQmProtocol::Clear() {
    ClearParams();
    ClearTables();
    ClearVariables();
}

} // namespace qm
