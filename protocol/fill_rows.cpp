// Copying a form's table (with its pending changes) into a request table.
#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "protocol/request_tables.h"
#include "protocol/table_guards.h"

namespace qm {

namespace {

void PrepareCopy(TMemTable& target, const TMemTable& source) {
    target.Close();
    target.ClearFields();
    target.CopyFieldDefs(source);
    target.QmTableName = UpperCase(source.QmTableName);
    target.FKName = UpperCase(source.FKName);
    target.PKName = UpperCase(source.PKName);
    target.CreateDataSet();
    for (int i = 0; i < source.FieldCount(); ++i) {
        const TField* from = source.Fields(i);
        TField* to = target.Fields(i);
        to->SetIsKey(from->IsKey());
        to->SetIsJoin(from->IsJoin());
        to->SetNotNull(from->NotNull());
    }
    target.SetCachedUpdates(true);
}

// For each target field, the source field of the same name (null when none).
std::vector<const TField*> PairFields(const TMemTable& target, const TMemTable& source) {
    std::vector<const TField*> pairs;
    for (int i = 0; i < target.FieldCount(); ++i) {
        const std::string& name = target.Fields(i)->FieldName();
        const TField* same = i < source.FieldCount() ? source.Fields(i) : nullptr;
        pairs.push_back(same && same->FieldName() == name ? same : source.FindField(name));
    }
    return pairs;
}

void CopyCurrentRow(TMemTable& target, const TMemTable& source, const std::vector<const TField*>& pairs) {
    if (target.AppendRowCopy(source, source.UpdateStatus(), source.RecNo())) return;
    target.AppendWithStatus(source.UpdateStatus(), source.RecNo());
    for (int i = 0; i < target.FieldCount(); ++i)
        if (pairs[static_cast<std::size_t>(i)] && !pairs[static_cast<std::size_t>(i)]->IsNull())
            target.Fields(i)->Assign(*pairs[static_cast<std::size_t>(i)]);
    target.Post();
}

void CopyRows(TMemTable& target, TMemTable& source, bool every, bool changedOnly) {
    if (&target == &source) return;
    PrepareCopy(target, source);
    TControlsDisabled targetQuiet(target);
    TControlsDisabled sourceQuiet(source);
    const bool wasClosed = !source.Active();
    if (wasClosed) source.Open();
    const auto pairs = PairFields(target, source);
    if (every) {
        source.CheckBrowseMode();
        for (source.First(); !source.Eof(); source.Next())
            CopyCurrentRow(target, source, pairs);
    } else if (changedOnly) {
        // The cursor visits only the changed rows: a few changes among many rows cost a few.
        source.CheckBrowseMode();
        for (int pos : source.ChangedPositions()) {
            source.SetRecNo(pos + 1);
            CopyCurrentRow(target, source, pairs);
        }
        if (!source.IsEmpty()) source.Last();
    } else if (source.HasCurrentRow() && !source.Eof()) {
        CopyCurrentRow(target, source, pairs);
    }
    if (wasClosed) source.Close();
    target.First();
}

} // namespace

void FillRows(TQmTable& table, TMemTable& source) {
    const bool every = table.IsChild || table.CopyMode == cmAllRows;
    CopyRows(table.Rows(), source, every, !every && table.CopyMode == cmChangedRows);
}

void FillDeleted(TQmTable& table, TMemTable& source) {
    CopyRows(table.Deleted(), source, true, false);
}

} // namespace qm
