// Moving and copying a table's rows all at once, for keeping a table aside and putting it back
// without walking the cursor (and so without anything attached following the walk).
#include "dataset/mem_table.h"
#include "platform/platform.h"

#include <cstdint>
#include <vector>

namespace qm {

void TMemTable::AppendAllRows(const TMemTable& source) {
    CheckActive();
    source.CheckActive();
    if (&source == this || !SameLayout(source))
        throw EDatabaseError("Rows are copied whole only between tables with the same fields");
    if (source.FState != dsBrowse) throw EDatabaseError("The source table has a row that is not posted");
    CheckBrowseMode();
    FRows.reserve(FRows.size() + static_cast<std::size_t>(source.VisibleCount()));
    // Read again on every row: the source is left alone, but messages run in between.
    for (int pos = 0; pos < source.VisibleCount(); ++pos) {
        ProcessMessages();
        const TStoredRow& row = source.FRows[source.RowAt(pos)];
        FRows.push_back(
            TStoredRow{row.Data ? ShareRow(source, row) : TRowData(), FNextId++, 0, usUnmodified});
        Counted(FRows.back().Data.get(), 1);
    }
    InvalidateView();
    const int count = VisibleCount();
    FPos = count - 1;
    FBof = count == 0;
    FEof = count == 0;
    Notify(TDataEvent::deDataSetChanged);
}

bool TMemTable::CanTakeRows(const TMemTable& source) const {
    if (&source == this || source.FFields.size() != FFields.size()) return false;
    // Integers of either width store the same bytes; a narrower field must hold every value.
    std::vector<int> narrow;
    bool wider = false;
    for (std::size_t i = 0; i < FFields.size(); ++i) {
        const TFieldType to = FFields[i]->DataType();
        const TFieldType from = source.FFields[i]->DataType();
        if (source.FFields[i]->FieldName() != FFields[i]->FieldName()) return false;
        if (to == from) continue;
        if (to == ftInteger && from == ftLargeint)
            narrow.push_back(static_cast<int>(i));
        else if (to == ftLargeint && from == ftInteger)
            wider = true;
        else
            return false;
    }
    if (narrow.empty() && !wider) return true;
    // Old values and deleted rows are not looked at: only plain rows change width.
    if (!source.Active() || source.FState != dsBrowse || !source.FDeletedLog.empty()) return false;
    for (const TStoredRow& row : source.FRows) {
        ProcessMessages();
        if (row.Status != usUnmodified) return false;
        if (!row.Data) continue;
        for (const int i : narrow) {
            if (record::IsNull(source.FLayout, row.Data.get(), i)) continue;
            const auto v = static_cast<std::int64_t>(record::Slot(source.FLayout, row.Data.get(), i));
            if (v < INT32_MIN || v > INT32_MAX) return false;
        }
    }
    return true;
}

void TMemTable::TakeRows(TMemTable& source) {
    CheckActive();
    source.CheckActive();
    if (&source == this) return;
    if (!CanTakeRows(source)) throw EDatabaseError("Rows are moved only between tables with the same fields");
    Cancel();
    source.Cancel();
    ReleaseRows();
    FRows = std::move(source.FRows);
    FDeletedLog = std::move(source.FDeletedLog);
    FArena = std::move(source.FArena);
    FSharedArenas = std::move(source.FSharedArenas);
    FArenasVersion = NextLayoutVersion();
    // New numbers: a bookmark taken on either table before does not find one of these rows.
    for (TStoredRow& row : FRows)
        row.Id = FNextId++;
    for (TStoredRow& row : FDeletedLog)
        row.Id = FNextId++;
    source.EmptyTable();
    ApplyFilter(); // the view over the new rows, from the first
}

} // namespace qm
