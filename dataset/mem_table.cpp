#include "dataset/mem_table.h"

#include <algorithm>
#include <atomic>
#include <cassert>

#include "dataset/data_source.h"
#include "platform/platform.h"

namespace qm {

namespace {
void Fire(const TDataSetNotifyEvent& event, TMemTable* table) {
    if (event) event(table);
}
} // namespace

std::uint64_t TMemTable::NextLayoutVersion() {
    static std::atomic<std::uint64_t> next{1};
    return next++;
}

TMemTable::TMemTable(TComponent* owner) : TComponent(owner) {}

TMemTable::~TMemTable() {
    for (TDataSource* ds : FDataSources)
        ds->TableDestroyed();
}

// ---------------------------------------------------------------- definitions and fields

void TMemTable::CopyFieldDefs(const TMemTable& source) {
    if (&source == this) return;
    if (source.FFieldDefs.Count() == 0 && source.FieldCount() > 0) {
        FFieldDefs.Clear();
        for (const auto& f : source.FFields)
            FFieldDefs.Add(f->FieldName(), f->DataType(), f->Size(), f->Required());
        return;
    }
    FFieldDefs.Assign(source.FFieldDefs);
}

TField* TMemTable::Fields(int index) const {
    if (index < 0 || index >= FieldCount())
        throw EDatabaseError("Field index " + std::to_string(index) + " out of range");
    return FFields[static_cast<std::size_t>(index)].get();
}

TField* TMemTable::FindField(std::string_view name) const {
    for (const auto& f : FFields)
        if (f->FieldName() == name) return f.get();
    for (const auto& f : FFields)
        if (SameText(f->FieldName(), name)) return f.get();
    return nullptr;
}

TField* TMemTable::FieldByName(std::string_view name) const {
    TField* f = FindField(name);
    if (!f) throw EDatabaseError("Field '" + std::string(name) + "' not found");
    return f;
}

void TMemTable::ClearFields() {
    if (Active()) throw EDatabaseError("Cannot remove the fields of an open table");
    FFields.clear();
    FLayout.Build({});
    FLayoutVersion = NextLayoutVersion();
    DropCounts();
    Notify(TDataEvent::deLayoutChanged);
}

bool TMemTable::FieldsMatchDefs() const {
    if (FFieldDefs.Count() != FieldCount()) return false;
    for (int i = 0; i < FieldCount(); ++i) {
        const TFieldDef& d = FFieldDefs[i];
        const TField& f = *FFields[static_cast<std::size_t>(i)];
        if (d.Name != f.FieldName() || d.DataType != f.DataType() || d.Size != f.Size()) return false;
    }
    return true;
}

void TMemTable::BuildFields() {
    for (int i = 0; i < FFieldDefs.Count(); ++i)
        if (FFieldDefs[i].DataType == ftUnknown)
            throw EDatabaseError("Field '" + FFieldDefs[i].Name + "' is of an unknown type");
    FFields.clear();
    std::vector<TFieldType> types;
    for (int i = 0; i < FFieldDefs.Count(); ++i) {
        FFields.push_back(std::make_unique<TField>(this, i, FFieldDefs[i]));
        types.push_back(FFieldDefs[i].DataType);
    }
    FLayout.Build(types);
    FLayoutVersion = NextLayoutVersion();
    DropCounts();
    Notify(TDataEvent::deLayoutChanged);
}

// ---------------------------------------------------------------- open and close

void TMemTable::CreateDataSet() {
    if (FFieldDefs.Count() == 0 && FFields.empty())
        throw EDatabaseError("Cannot create table '" + Name + "' without field definitions");
    Close();
    if (FFieldDefs.Count() > 0 && !FieldsMatchDefs()) BuildFields();
    Open();
}

void TMemTable::Open() {
    if (Active()) return;
    if (FFields.empty() || (FFieldDefs.Count() > 0 && !FieldsMatchDefs())) {
        if (FFieldDefs.Count() == 0) throw EDatabaseError("Cannot open table '" + Name + "' without fields");
        BuildFields();
    }
    FFilterField = -1;
    if (FFiltered) ParseFilter(FFilterText, FFilterField, FFilterValue);
    ReleaseRows();
    FBuffer.Reset(FieldCount());
    FPos = -1;
    FBof = FEof = true;
    FModified = FNewRow = FForceStatus = false;
    InvalidateView();
    FState = dsBrowse;
    Notify(TDataEvent::deActiveChanged);
    Fire(AfterOpen, this);
    Fire(AfterScroll, this);
}

void TMemTable::Close() {
    if (!Active()) return;
    Fire(BeforeClose, this);
    FState = dsInactive;
    ReleaseRows();
    FPos = -1;
    FBof = FEof = true;
    FModified = FNewRow = FForceStatus = false;
    InvalidateView();
    Notify(TDataEvent::deActiveChanged);
    Fire(AfterClose, this);
}

void TMemTable::CheckActive() const {
    if (!Active()) throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

void TMemTable::CheckWritable() const {
    if (FState != dsEdit && FState != dsInsert) throw EDatabaseError("Dataset not in edit or insert mode");
}

void TMemTable::SetState(TDataSetState state) {
    assert(!FQuietStore && "a quiet row is posted or dropped before the table changes state");
    if (state == FState) return;
    FState = state;
    Notify(TDataEvent::deStateChanged);
}

// ---------------------------------------------------------------- value access for fields

bool TMemTable::HasCurrentRow() const {
    return Active() && FPos >= 0;
}

bool TMemTable::ValueIsNull(int field) const {
    if (FState == dsEdit || FState == dsInsert) return FBuffer.Nulls[static_cast<std::size_t>(field)] != 0;
    return OldIsNull(field);
}

std::uint64_t TMemTable::ValueSlot(int field) const {
    if (FState == dsEdit || FState == dsInsert) return FBuffer.Slots[static_cast<std::size_t>(field)];
    return OldSlot(field);
}

std::string_view TMemTable::ValueText(int field) const {
    if (FState == dsEdit || FState == dsInsert) {
        auto i = static_cast<std::size_t>(field);
        return FBuffer.Nulls[i] ? std::string_view() : std::string_view(FBuffer.Texts[i]);
    }
    return OldText(field);
}

bool TMemTable::OldIsNull(int field) const {
    if (!HasCurrentRow()) return true;
    return record::IsNull(FLayout, FRows[CurrentRow()].Data.get(), field);
}

std::uint64_t TMemTable::OldSlot(int field) const {
    if (!HasCurrentRow()) return 0;
    return record::Slot(FLayout, FRows[CurrentRow()].Data.get(), field);
}

std::string_view TMemTable::OldText(int field) const {
    if (!HasCurrentRow()) return {};
    return record::Text(FLayout, FRows[CurrentRow()].Data.get(), field);
}

void TMemTable::FieldChanged(TField* field) {
    FModified = true;
    if (!FDataSources.empty()) Notify(TDataEvent::deRecordChanged, reinterpret_cast<std::intptr_t>(field));
}

// ---------------------------------------------------------------- editing

void TMemTable::Append() {
    CheckActive();
    CheckBrowseMode();
    BeginNewRow(true);
}

void TMemTable::Insert() {
    CheckActive();
    CheckBrowseMode();
    BeginNewRow(false);
}

void TMemTable::AppendWithStatus(TUpdateStatus status, int sourceRowNo) {
    Append();
    FForceStatus = true;
    FForcedStatus = status;
    FForcedSourceRowNo = sourceRowNo;
}

void TMemTable::BeginNewRow(bool atEnd) {
    const std::size_t row = atEnd || FPos < 0 ? FRows.size() : CurrentRow();
    const bool filtered = FilterActive();
    if (filtered) EnsureView();
    FRows.insert(FRows.begin() + static_cast<std::ptrdiff_t>(row),
                 TStoredRow{nullptr, FNextId++, 0, usUnmodified});
    Counted(nullptr, 1);
    FNewRow = true;
    FNewRowId = FRows[row].Id;
    FModified = false;
    FForceStatus = false;
    FBuffer.Reset(FieldCount());
    if (filtered) {
        if (row == FRows.size() - 1 && !FViewDirty)
            FView.push_back(static_cast<std::uint32_t>(row));
        else
            InvalidateView();
    }
    FPos = PosOf(row);
    FBof = FEof = false;
    SetState(dsInsert);
    Notify(TDataEvent::deRowsInserted, FPos);
    Fire(AfterInsert, this);
    Fire(AfterScroll, this);
}

void TMemTable::Edit() {
    CheckActive();
    if (FState == dsEdit || FState == dsInsert) return;
    if (FPos < 0) {
        Append();
        return;
    }
    record::Unpack(FLayout, FRows[CurrentRow()].Data.get(), FBuffer);
    FModified = false;
    SetState(dsEdit);
    Fire(AfterEdit, this);
}

void TMemTable::Post() {
    CheckActive();
    if (FState != dsEdit && FState != dsInsert) return;
    UpdateRecord();
    Fire(BeforePost, this);
    const std::size_t rowIndex = CurrentRow();
    TStoredRow& row = FRows[rowIndex];
    if (FNewRow) {
        row.Data = record::Pack(FLayout, FBuffer);
        RecountRow(nullptr, row.Data.get());
        row.Status = FForceStatus ? FForcedStatus : (FCachedUpdates ? usInserted : usUnmodified);
        row.SourceRowNo = FForceStatus ? FForcedSourceRowNo : 0;
        FNewRow = false;
        FForceStatus = false;
    } else if (!record::Same(FLayout, row.Data.get(), FBuffer)) {
        TRowData packed = record::Pack(FLayout, FBuffer);
        Counted(row.Data.get(), -1);
        row.Data = std::move(packed);
        Counted(row.Data.get(), 1);
        if (FCachedUpdates && row.Status == usUnmodified) row.Status = usModified;
    }
    FModified = false;
    const int oldPos = FPos;
    SetState(dsBrowse);
    if (FilterActive()) {
        InvalidateView();
        Reposition(rowIndex, oldPos);
    }
    Notify(TDataEvent::deRecordChanged, 0);
    Fire(AfterPost, this);
}

void TMemTable::Cancel() {
    if (FState != dsEdit && FState != dsInsert) return;
    const bool dropped = FNewRow;
    if (FNewRow) {
        const int pos = FPos;
        FNewRow = false;
        RemoveRow(CurrentRow());
        const int count = VisibleCount();
        FPos = std::min(pos, count - 1);
        if (count == 0) FBof = FEof = true;
        Notify(TDataEvent::deRowsRemoved, pos);
    }
    FModified = false;
    FForceStatus = false;
    SetState(dsBrowse);
    Notify(TDataEvent::deRecordChanged, 0);
    Fire(AfterCancel, this);
    if (dropped) Fire(AfterScroll, this);
}

void TMemTable::Delete() {
    CheckActive();
    if (FState == dsInsert) {
        Cancel();
        return;
    }
    if (FPos < 0) throw EDatabaseError("Cannot perform this operation on an empty dataset");
    if (FState == dsEdit) Cancel();
    Fire(BeforeDelete, this);
    const int pos = FPos;
    const std::size_t rowIndex = CurrentRow();
    if (FCachedUpdates && FRows[rowIndex].Status != usInserted) {
        RecountRow(FRows[rowIndex].Data.get(), nullptr); // the move leaves no values behind
        FDeletedLog.push_back(std::move(FRows[rowIndex]));
        FDeletedLog.back().Status = usDeleted;
    }
    RemoveRow(rowIndex);
    const int count = VisibleCount();
    FPos = std::min(pos, count - 1);
    FBof = count == 0;
    FEof = pos >= count;
    Notify(TDataEvent::deRowsRemoved, pos);
    Fire(AfterDelete, this);
    Fire(AfterScroll, this);
}

void TMemTable::RemoveRow(std::size_t row) {
    Counted(FRows[row].Data.get(), -1);
    FRows.erase(FRows.begin() + static_cast<std::ptrdiff_t>(row));
    InvalidateView();
}

void TMemTable::UpdateRecord() {
    if (FState == dsEdit || FState == dsInsert) Notify(TDataEvent::deUpdateRecord);
}

void TMemTable::CheckBrowseMode() {
    if (FState != dsEdit && FState != dsInsert) return;
    UpdateRecord();
    if (FModified)
        Post();
    else
        Cancel();
}

// ---------------------------------------------------------------- navigation

void TMemTable::FinishScroll(int oldPos, bool fireEvent) {
    if (FPos == oldPos) return;
    Notify(TDataEvent::deDataSetScrolled, FPos - oldPos);
    if (fireEvent) Fire(AfterScroll, this);
}

void TMemTable::First() {
    CheckActive();
    CheckBrowseMode();
    const int old = FPos;
    const int count = VisibleCount();
    FPos = count > 0 ? 0 : -1;
    FBof = true;
    FEof = count == 0;
    FinishScroll(old);
}

void TMemTable::Last() {
    CheckActive();
    CheckBrowseMode();
    const int old = FPos;
    const int count = VisibleCount();
    FPos = count - 1;
    FEof = true;
    FBof = count == 0;
    FinishScroll(old);
}

void TMemTable::Next() {
    CheckActive();
    CheckBrowseMode();
    if (FEof) return;
    const int old = FPos;
    if (FPos + 1 < VisibleCount()) {
        ++FPos;
        FBof = false;
    } else {
        FEof = true;
    }
    FinishScroll(old);
}

void TMemTable::Prior() {
    CheckActive();
    CheckBrowseMode();
    if (FBof) return;
    const int old = FPos;
    if (FPos > 0) {
        --FPos;
        FEof = false;
    } else {
        FBof = true;
    }
    FinishScroll(old);
}

int TMemTable::RecordCount() const {
    return Active() ? VisibleCount() : 0;
}

int TMemTable::RecNo() const {
    return HasCurrentRow() ? FPos + 1 : 0;
}

void TMemTable::SetRecNo(int recNo) {
    CheckActive();
    CheckBrowseMode();
    if (recNo < 1 || recNo > VisibleCount()) return;
    const int old = FPos;
    FPos = recNo - 1;
    FBof = FEof = false;
    FinishScroll(old);
}

TBookmark TMemTable::GetBookmark() const {
    if (!HasCurrentRow()) return {};
    const std::size_t row = CurrentRow();
    return TBookmark(FRows[row].Id, static_cast<std::uint32_t>(row));
}

std::size_t TMemTable::FindRow(const TBookmark& bookmark) const {
    if (bookmark.Empty()) return FRows.size();
    if (bookmark.FHint < FRows.size() && FRows[bookmark.FHint].Id == bookmark.FId) return bookmark.FHint;
    for (std::size_t i = 0; i < FRows.size(); ++i)
        if (FRows[i].Id == bookmark.FId) return i;
    return FRows.size();
}

bool TMemTable::BookmarkValid(const TBookmark& bookmark) const {
    if (!Active()) return false;
    const std::size_t row = FindRow(bookmark);
    return row < FRows.size() && PosOf(row) >= 0;
}

void TMemTable::GotoBookmark(const TBookmark& bookmark) {
    CheckActive();
    CheckBrowseMode();
    const std::size_t row = FindRow(bookmark);
    const int pos = row < FRows.size() ? PosOf(row) : -1;
    if (pos < 0) throw EDatabaseError("Record not found");
    const int old = FPos;
    FPos = pos;
    FBof = FEof = false;
    FinishScroll(old);
}

// ---------------------------------------------------------------- cached updates

TUpdateStatus TMemTable::UpdateStatus() const {
    if (!HasCurrentRow() || FNewRow) return usUnmodified;
    return FRows[CurrentRow()].Status;
}

int TMemTable::SourceRowNo() const {
    if (!HasCurrentRow()) return 0;
    if (FNewRow) return FForceStatus ? FForcedSourceRowNo : 0;
    return FRows[CurrentRow()].SourceRowNo;
}

void TMemTable::MergeChangeLog() {
    if (!Active()) return;
    bool changed = !FDeletedLog.empty();
    FDeletedLog.clear();
    const std::uint32_t currentId = HasCurrentRow() ? FRows[CurrentRow()].Id : 0;
    const int oldPos = FPos;
    std::size_t kept = 0;
    bool removed = false;
    for (std::size_t i = 0; i < FRows.size(); ++i) {
        TStoredRow& row = FRows[i];
        const bool pending = FNewRow && row.Id == FNewRowId;
        if (!pending && row.Status == usDeleted) {
            removed = true;
            Counted(row.Data.get(), -1);
            continue;
        }
        if (row.Status != usUnmodified) changed = true;
        row.Status = usUnmodified;
        if (kept != i) FRows[kept] = std::move(row);
        ++kept;
    }
    FRows.resize(kept);
    if (removed) {
        changed = true;
        InvalidateView();
        std::size_t row = 0;
        while (row < FRows.size() && FRows[row].Id != currentId)
            ++row;
        if (row < FRows.size())
            FPos = PosOf(row);
        else
            FPos = std::min(oldPos, VisibleCount() - 1);
        if (FPos < 0) FBof = FEof = true;
    }
    if (changed) Notify(TDataEvent::deDataSetChanged);
}

int TMemTable::ChangeCount() const {
    int count = static_cast<int>(FDeletedLog.size());
    for (const TStoredRow& row : FRows)
        if (row.Status != usUnmodified && !(FNewRow && row.Id == FNewRowId)) ++count;
    return count;
}

void TMemTable::AppendCopy(const TMemTable& source, bool shareBytes) {
    CheckActive();
    CheckBrowseMode();
    if (!source.HasCurrentRow()) throw EDatabaseError("The source table has no current row to copy");
    if (FCopySource != &source || FCopySourceLayout != source.FLayoutVersion ||
        FCopyOwnLayout != FLayoutVersion || FCopyMap.size() != FFields.size()) {
        FCopyMap.assign(FFields.size(), -1);
        for (std::size_t i = 0; i < FFields.size(); ++i)
            if (const TField* f = source.FindField(FFields[i]->FieldName())) FCopyMap[i] = f->Index();
        FCopySource = &source;
        FCopySourceLayout = source.FLayoutVersion;
        FCopyOwnLayout = FLayoutVersion;
        // Same fields in the same order, with integers of either width, store the same bytes.
        FCopyRaw = source.FFields.size() == FFields.size();
        FCopyNarrow.clear();
        for (std::size_t i = 0; FCopyRaw && i < FFields.size(); ++i) {
            const TFieldType to = FFields[i]->DataType();
            const TFieldType from = source.FFields[i]->DataType();
            if (FCopyMap[i] != static_cast<int>(i))
                FCopyRaw = false;
            else if (to == ftInteger && from == ftLargeint)
                FCopyNarrow.push_back(static_cast<int>(i));
            else if (to != from && !(to == ftLargeint && from == ftInteger))
                FCopyRaw = false;
        }
    }
    TRowData data;
    bool copied = false;
    if (const std::byte* stored = FCopyRaw ? source.CurrentRowData() : nullptr) {
        bool fits = true;
        for (const int i : FCopyNarrow) {
            if (record::IsNull(source.FLayout, stored, i)) continue;
            const auto v = static_cast<std::int64_t>(record::Slot(source.FLayout, stored, i));
            if (v < INT32_MIN || v > INT32_MAX) fits = false;
        }
        if (fits) {
            const TStoredRow& from = source.FRows[source.CurrentRow()];
            data = shareBytes ? ShareRow(source, from)
                              : InArena(record::CloneInto(source.FLayout, stored, Arena()));
            copied = true;
        }
    }
    if (!copied) {
        FBuffer.Reset(FieldCount());
        FQuietStore = true;
        try {
            for (std::size_t i = 0; i < FFields.size(); ++i) {
                const int from = FCopyMap[i];
                if (from < 0 || source.ValueIsNull(from)) continue;
                const TField& src = *source.FFields[static_cast<std::size_t>(from)];
                if (src.DataType() == FFields[i]->DataType()) {
                    FBuffer.Nulls[i] = 0;
                    if (src.DataType() == ftString)
                        FBuffer.Texts[i].assign(source.ValueText(from));
                    else
                        FBuffer.Slots[i] = source.ValueSlot(from);
                } else {
                    FFields[i]->Assign(src);
                }
            }
        } catch (...) {
            FQuietStore = false;
            FBuffer.Reset(FieldCount());
            throw;
        }
        FQuietStore = false;
        data = InArena(record::PackInto(FLayout, FBuffer, Arena()));
    }
    const std::size_t row = FRows.size();
    const bool filtered = FilterActive();
    if (filtered) EnsureView();
    FRows.push_back(TStoredRow{std::move(data), FNextId++, 0, usUnmodified});
    Counted(FRows.back().Data.get(), 1);
    const int old = FPos;
    if (filtered) {
        if (RowVisible(row))
            FView.push_back(static_cast<std::uint32_t>(row));
        else
            return; // hidden by the filter; the cursor stays
    }
    FPos = PosOf(row);
    FBof = FEof = false;
    Notify(TDataEvent::deRowsInserted, FPos);
    FinishScroll(old, false);
}

// The stored bytes of the current row; null while it is being edited or has no stored values.
const std::byte* TMemTable::CurrentRowData() const {
    if (FState != dsBrowse || !HasCurrentRow()) return nullptr;
    return FRows[CurrentRow()].Data.get();
}

bool TMemTable::SameLayout(const TMemTable& source) const {
    if (source.FFields.size() != FFields.size()) return false;
    for (std::size_t i = 0; i < FFields.size(); ++i)
        if (source.FFields[i]->DataType() != FFields[i]->DataType() ||
            source.FFields[i]->FieldName() != FFields[i]->FieldName())
            return false;
    return true;
}

bool TMemTable::HasFieldHandlers() const {
    for (const auto& f : FFields)
        if (f->OnValidate || f->OnChange) return true;
    return false;
}

bool TMemTable::AppendRowCopy(const TMemTable& source, TUpdateStatus status, int sourceRowNo) {
    if (FState != dsBrowse || &source == this || FilterActive() || !FDataSources.empty()) return false;
    if (BeforePost || AfterPost || AfterInsert || AfterScroll) return false;
    if (FRowCopySource != &source || FRowCopySourceLayout != source.FLayoutVersion ||
        FRowCopyLayout != FLayoutVersion) {
        FRowCopySame = SameLayout(source);
        FRowCopySource = &source;
        FRowCopySourceLayout = source.FLayoutVersion;
        FRowCopyLayout = FLayoutVersion;
    }
    // Handlers may be attached at any time, so they are looked at on every row.
    if (!FRowCopySame || HasFieldHandlers()) return false;
    const std::byte* stored = source.CurrentRowData();
    if (!stored) return false;
    FRows.push_back(
        TStoredRow{ShareRow(source, source.FRows[source.CurrentRow()]), FNextId++, sourceRowNo, status});
    Counted(FRows.back().Data.get(), 1);
    FPos = static_cast<int>(FRows.size()) - 1;
    FBof = FEof = false;
    FModified = FNewRow = FForceStatus = false;
    return true;
}

bool TMemTable::BeginQuietRow() {
    if (FState != dsBrowse || FQuietStore || FilterActive() || !FDataSources.empty()) return false;
    if (BeforePost || AfterPost || AfterInsert || AfterScroll || HasFieldHandlers()) return false;
    FBuffer.Reset(FieldCount());
    FQuietStore = true;
    return true;
}

void TMemTable::PostQuietRow() {
    if (!FQuietStore) throw EDatabaseError("No row was begun");
    FQuietStore = false;
    FRows.push_back(TStoredRow{InArena(record::PackInto(FLayout, FBuffer, Arena())), FNextId++, 0,
                               FCachedUpdates ? usInserted : usUnmodified});
    Counted(FRows.back().Data.get(), 1);
    FPos = static_cast<int>(FRows.size()) - 1;
    FBof = FEof = false;
    FModified = false;
}

void TMemTable::CancelQuietRow() {
    assert(FQuietStore && "a quiet row is dropped only after it was begun");
    FQuietStore = false;
    FBuffer.Reset(FieldCount());
}

void TMemTable::ReserveRows(int count) {
    if (count > 0) FRows.reserve(static_cast<std::size_t>(count));
}

void TMemTable::EmptyTable() {
    if (!Active()) return;
    ReleaseRows();
    FNewRow = FModified = FForceStatus = false;
    FPos = -1;
    FBof = FEof = true;
    InvalidateView();
    SetState(dsBrowse);
    Notify(TDataEvent::deDataSetChanged);
}

std::size_t TMemTable::MemoryUsed() const {
    auto chunk = [](std::size_t n) { return std::max<std::size_t>(32, (n + 8 + 15) & ~std::size_t{15}); };
    std::size_t total = FRows.capacity() * sizeof(TStoredRow) + FDeletedLog.capacity() * sizeof(TStoredRow);
    for (const TStoredRow& row : FRows)
        if (row.Data && row.Data.Place() == TRowData::TPlace::Heap)
            total += chunk(record::PackedSize(FLayout, row.Data.get()));
    for (const TStoredRow& row : FDeletedLog)
        if (row.Data && row.Data.Place() == TRowData::TPlace::Heap)
            total += chunk(record::PackedSize(FLayout, row.Data.get()));
    if (FArena) total += FArena->BytesHeld();
    for (const auto& arena : FSharedArenas)
        total += arena->BytesHeld();
    return total;
}

TRowArena& TMemTable::Arena() {
    if (!FArena) {
        FArena = std::make_shared<TRowArena>();
        FArenasVersion = NextLayoutVersion();
    }
    return *FArena;
}

void TMemTable::KeepArena(std::shared_ptr<const TRowArena> arena) {
    if (!FSharedArenas.empty() && FSharedArenas.back() == arena) return;
    const auto known = std::find(FSharedArenas.begin(), FSharedArenas.end(), arena);
    if (known == FSharedArenas.end())
        FSharedArenas.push_back(std::move(arena));
    else
        std::rotate(known, known + 1, FSharedArenas.end()); // the next look finds it last
    FArenasVersion = NextLayoutVersion();
}

// A row in any of the source's arenas is referred to where it is, and every arena the source holds
// is kept alive with it: a row the source itself shares from a third table is not copied either.
// A row in a buffer of its own is copied into ours.
TRowData TMemTable::ShareRow(const TMemTable& source, const TStoredRow& row) {
    if (&source == this || row.Data.Place() == TRowData::TPlace::Heap)
        return InArena(record::CloneInto(source.FLayout, row.Data.get(), Arena()));
    if (FKeptArenasOf != &source || FKeptArenasVersion != source.FArenasVersion) {
        if (source.FArena) KeepArena(source.FArena);
        for (const auto& arena : source.FSharedArenas)
            KeepArena(arena);
        FKeptArenasOf = &source;
        FKeptArenasVersion = source.FArenasVersion;
    }
    return TRowData::InArena(row.Data.get(), TRowData::TPlace::SharedArena);
}

// Rows first: they refer to the arenas.
void TMemTable::ReleaseRows() {
    FRows.clear();
    DropCounts();
    FDeletedLog.clear();
    FArena.reset();
    FSharedArenas.clear();
    FArenasVersion = NextLayoutVersion();
    FKeptArenasOf = nullptr;
}

// ---------------------------------------------------------------- filter and view

void TMemTable::ParseFilter(std::string_view text, int& field, std::string& value) const {
    field = -1;
    value.clear();
    if (Trim(text).empty()) return;
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos)
        throw EDatabaseError("Cannot use the filter '" + std::string(text) + "'");
    const std::string name = Trim(text.substr(0, eq));
    const TField* f = FindField(name);
    if (!f) throw EDatabaseError("Field '" + name + "' not found");
    std::string_view v = text.substr(eq + 1);
    if (v.size() >= 2 && v.front() == '\'' && v.back() == '\'') v = v.substr(1, v.size() - 2);
    field = f->Index();
    value = v;
}

void TMemTable::SetFilter(std::string_view text) {
    if (FFiltered && Active()) {
        int field;
        std::string value;
        ParseFilter(text, field, value);
        CheckBrowseMode();
        FFilterText = text;
        FFilterField = field;
        FFilterValue = std::move(value);
        ApplyFilter();
    } else {
        FFilterText = text;
    }
}

void TMemTable::SetFiltered(bool on) {
    if (on == FFiltered) return;
    if (!Active()) {
        FFiltered = on;
        return;
    }
    int field = -1;
    std::string value;
    if (on) ParseFilter(FFilterText, field, value);
    CheckBrowseMode();
    FFiltered = on;
    FFilterField = field;
    FFilterValue = std::move(value);
    ApplyFilter();
}

void TMemTable::ApplyFilter() {
    InvalidateView();
    const int count = VisibleCount();
    FPos = count > 0 ? 0 : -1;
    FBof = true;
    FEof = count == 0;
    Notify(TDataEvent::deDataSetChanged);
    Fire(AfterScroll, this);
}

void TMemTable::InvalidateView() {
    FViewDirty = true;
    if (!FilterActive()) FView.clear();
}

bool TMemTable::RowVisible(std::size_t row) const {
    if (!FilterActive()) return true;
    const TStoredRow& r = FRows[row];
    if (FNewRow && r.Id == FNewRowId) return true;
    const int f = FFilterField;
    if (record::IsNull(FLayout, r.Data.get(), f)) return FFilterValue.empty();
    if (FLayout.IsText(f)) return record::Text(FLayout, r.Data.get(), f) == FFilterValue;
    return record::FormatSlot(FFields[static_cast<std::size_t>(f)]->DataType(),
                              record::Slot(FLayout, r.Data.get(), f), {}) == FFilterValue;
}

void TMemTable::EnsureView() const {
    if (!FilterActive() || !FViewDirty) return;
    FView.clear();
    for (std::size_t i = 0; i < FRows.size(); ++i)
        if (RowVisible(i)) FView.push_back(static_cast<std::uint32_t>(i));
    FViewDirty = false;
}

int TMemTable::VisibleCount() const {
    if (!FilterActive()) return static_cast<int>(FRows.size());
    EnsureView();
    return static_cast<int>(FView.size());
}

std::size_t TMemTable::RowAt(int pos) const {
    if (!FilterActive()) return static_cast<std::size_t>(pos);
    EnsureView();
    return FView[static_cast<std::size_t>(pos)];
}

int TMemTable::PosOf(std::size_t row) const {
    if (!FilterActive()) return static_cast<int>(row);
    EnsureView();
    auto it = std::lower_bound(FView.begin(), FView.end(), row);
    if (it == FView.end() || *it != row) return -1;
    return static_cast<int>(it - FView.begin());
}

// After a post under a filter the row may have left the view: stay near where it was.
void TMemTable::Reposition(std::size_t row, int oldPos) {
    const int pos = PosOf(row);
    if (pos >= 0) {
        FPos = pos;
        return;
    }
    const int count = VisibleCount();
    FPos = std::min(oldPos, count - 1);
    if (count == 0) FBof = FEof = true;
    Notify(TDataEvent::deDataSetChanged);
}

// ---------------------------------------------------------------- attached controls

void TMemTable::DisableControls() {
    ++FDisableCount;
}

void TMemTable::EnableControls() {
    if (FDisableCount == 0) return;
    if (--FDisableCount > 0) return;
    const bool active = FSuppressedActive, state = FSuppressedState, data = FSuppressedData,
               scroll = FSuppressedScroll;
    FSuppressedActive = FSuppressedState = FSuppressedData = FSuppressedScroll = false;
    if (active) Notify(TDataEvent::deActiveChanged);
    if (state) Notify(TDataEvent::deStateChanged);
    // A walk that only moved the cursor is followed as one move, so views keep their rows.
    if (data || active)
        Notify(TDataEvent::deDataSetChanged);
    else if (scroll)
        Notify(TDataEvent::deDataSetScrolled);
}

void TMemTable::AnnounceRows(int count) {
    if (FDisableCount == 0 && Active()) Notify(TDataEvent::deRowsComing, count);
}

void TMemTable::Notify(TDataEvent event, std::intptr_t info) {
    if (FDataSources.empty()) return;
    // Pending input is collected even while controls are disabled: it would be lost otherwise.
    if (FDisableCount > 0 && event != TDataEvent::deUpdateRecord) {
        if (event == TDataEvent::deActiveChanged)
            FSuppressedActive = true;
        else if (event == TDataEvent::deStateChanged)
            FSuppressedState = true;
        else if (event == TDataEvent::deDataSetScrolled)
            FSuppressedScroll = true;
        else
            FSuppressedData = true;
        return;
    }
    for (std::size_t i = 0; i < FDataSources.size(); ++i)
        FDataSources[i]->DataEvent(event, info);
}

} // namespace qm
