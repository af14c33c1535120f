// A response table into a form's table, and the host's keys into the form's inserted rows.
#include <unordered_map>

#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "protocol/qm_protocol.h"
#include "protocol/response_tables.h"
#include "protocol/table_guards.h"

namespace qm {

void LoadTable(const TQmTable& table, TMemTable& target) {
    TMemTable& rows = table.Rows();
    if (!HoldsRows(rows)) return;
    rows.First();
    const int count = rows.RecordCount();
    TControlsDisabled rowsQuiet(rows);
    TControlsDisabled targetQuiet(target);
    if (!target.Active()) target.Open();
    target.CheckBrowseMode();
    target.ReserveRows(target.RecordCount() + count);
    // The whole table is taken, so the target may refer to the response's row bytes instead of
    // copying them; they stay unchanged while the response table lives on.
    for (int i = 0; i < count; ++i, rows.Next()) {
        ProcessMessages();
        target.AppendCopy(rows, true);
    }
    target.First();
}

void TQmProtocol::ApplyKeys(TMemTable& target) {
    // The keys for this table by row number; a later key row replaces an earlier one.
    std::unordered_map<std::int32_t, std::int32_t> keys;
    for (const auto& key : RowIds)
        if (SameText(key->TableName, target.QmTableName)) keys[key->RowNo] = key->Id;

    const TBookmark position = target.GetBookmark();
    TControlsDisabled quiet(target);
    try {
        for (int pos : target.ChangedPositions()) {
            if (target.StatusAt(pos) != usInserted) continue;
            target.SetRecNo(pos + 1);
            const auto found = keys.find(target.RecNo());
            if (found == keys.end()) continue; // no key came back: the row keeps its own
            TField* keyField = target.FieldByName(target.PKName);
            target.Edit();
            keyField->SetAsInteger(found->second);
            target.Post();
        }
    } catch (...) {
        if (target.State() == dsEdit) target.Cancel();
        if (position && target.BookmarkValid(position)) target.GotoBookmark(position);
        throw;
    }
    if (position && target.BookmarkValid(position)) target.GotoBookmark(position);
}

} // namespace qm
