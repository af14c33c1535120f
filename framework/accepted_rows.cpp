#include "framework/accepted_rows.h"

#include "dataset/mem_table.h"
#include "protocol/table_guards.h"

namespace qm {

TAcceptedRows::TAcceptedRows() = default;
TAcceptedRows::~TAcceptedRows() = default;

void TAcceptedRows::Drop() {
    FRows.reset();
}

void TAcceptedRows::Take(TMemTable& table) {
    auto rows = std::make_unique<TMemTable>();
    rows->CopyFieldDefs(table);
    rows->CreateDataSet();
    if (table.Active() && table.RecordCount() > 0) {
        const TBookmark position = table.GetBookmark();
        TControlsDisabled quiet(table);
        rows->ReserveRows(table.RecordCount());
        // The copy shares the rows' bytes: nothing but the row list is copied.
        for (table.First(); !table.Eof(); table.Next())
            rows->AppendCopy(table, true);
        if (position && table.BookmarkValid(position)) table.GotoBookmark(position);
    }
    FRows = std::move(rows);
}

bool LocateKey(TMemTable& table, const std::string& keyField, const std::string& keyText) {
    TField* key = keyText.empty() ? nullptr : table.FindField(keyField);
    if (!key) return false;
    const TBookmark position = table.GetBookmark();
    {
        TControlsDisabled quiet(table);
        for (table.First(); !table.Eof(); table.Next())
            if (key->AsString() == keyText) return true;
        if (position && table.BookmarkValid(position)) table.GotoBookmark(position);
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
        table.EmptyTable();
        table.ReserveRows(FRows->RecordCount());
        for (FRows->First(); !FRows->Eof(); FRows->Next())
            table.AppendCopy(*FRows, true);
        table.First();
        if (!LocateKey(table, keyField, current) && recNo > 0)
            table.SetRecNo(std::min(recNo, table.RecordCount()));
    }
    return true;
}

} // namespace qm
