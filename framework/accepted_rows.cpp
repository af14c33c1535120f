#include "framework/accepted_rows.h"

#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "protocol/table_guards.h"

namespace qm {

TAcceptedRows::TAcceptedRows() = default;
TAcceptedRows::~TAcceptedRows() = default;

void TAcceptedRows::Drop() {
    FRows.reset();
}

void TAcceptedRows::Take(TMemTable& table) {
    auto rows = std::make_unique<TMemTable>();
    for (int i = 0; i < table.FieldCount(); ++i) {
        const TField* field = table.Fields(i);
        rows->FieldDefs().Add(field->FieldName(), field->DataType(), field->Size(), field->Required());
    }
    rows->CreateDataSet();
    if (table.Active()) {
        table.CheckBrowseMode();
        // Only the row list is copied, and the table's cursor and views stay where they are.
        rows->AppendAllRows(table);
    }
    FRows = std::move(rows);
}

// Reads the keys in place: the cursor moves once, to the row found, and messages run meanwhile.
bool LocateKey(TMemTable& table, const std::string& keyField, const std::string& keyText) {
    TField* key = keyText.empty() ? nullptr : table.FindField(keyField);
    if (!key) return false;
    table.CheckBrowseMode();
    for (int pos = 0; pos < table.RecordCount(); ++pos) {
        ProcessMessages();
        if (table.TextAt(pos, key->Index()) != keyText) continue;
        table.SetRecNo(pos + 1);
        return true;
    }
    return false;
}

bool TAcceptedRows::Restore(TMemTable& table, const std::string& keyField) {
    if (!FRows) return false;
    TField* key = table.FindField(keyField);
    const std::string current =
        key && table.HasCurrentRow() && table.UpdateStatus() != usInserted && !(table.State() == dsInsert)
            ? key->AsString()
            : std::string();
    const int recNo = table.RecNo();
    {
        TControlsDisabled quiet(table);
        if (table.State() == dsEdit || table.State() == dsInsert) table.Cancel();
        table.TakeRows(*FRows);
        if (!LocateKey(table, keyField, current) && recNo > 0)
            table.SetRecNo(std::min(recNo, table.RecordCount()));
    }
    FRows.reset();
    return true;
}

} // namespace qm
