// The in-memory table: typed rows with nulls, cached updates with a per-row status, a cursor,
// bookmarks, a one-field equality filter, and notifications to the data sources attached to it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/component.h"
#include "dataset/errors.h"
#include "dataset/field.h"
#include "dataset/field_defs.h"
#include "dataset/record.h"
#include "dataset/value_counts.h"

namespace qm {

class TDataSource;
class TMemTable;

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };
using enum TDataSetState;

using TDataSetNotifyEvent = std::function<void(TMemTable* DataSet)>;

// A remembered row; cheap to copy, empty when default-constructed.
class TBookmark {
public:
    TBookmark() = default;
    bool Empty() const { return FId == 0; }
    explicit operator bool() const { return FId != 0; }
    friend bool operator==(const TBookmark&, const TBookmark&) = default;

private:
    friend class TMemTable;
    TBookmark(std::uint32_t id, std::uint32_t hint) : FId(id), FHint(hint) {}
    std::uint32_t FId = 0;
    std::uint32_t FHint = 0; // where the row was; checked first
};

// What a table tells its data sources and their links.
enum class TDataEvent {
    deActiveChanged,   // opened or closed
    deLayoutChanged,   // fields or their presentation changed
    deDataSetChanged,  // rows reloaded, filtered, emptied, merged: read everything again
    deRowsInserted,    // info: first visible position (0-based); one row
    deRowsRemoved,     // info: first visible position (0-based); one row
    deRecordChanged,   // info: the TField* changed, or 0 for the whole current row
    deDataSetScrolled, // info: distance moved (0 when unknown)
    deStateChanged,    // browse / edit / insert
    deUpdateRecord,    // a post is about to read the fields: controls write pending input now
    deRowsComing       // info: how many rows are about to replace the table's
};

class TMemTable : public TComponent {
public:
    explicit TMemTable(TComponent* owner = nullptr);
    ~TMemTable() override;

    // ---- definitions and fields
    TFieldDefs& FieldDefs() { return FFieldDefs; }
    const TFieldDefs& FieldDefs() const { return FFieldDefs; }
    void CopyFieldDefs(const TMemTable& source);
    int FieldCount() const { return static_cast<int>(FFields.size()); }
    TField* Fields(int index) const;                  // raises EDatabaseError when out of range
    TField* FieldByName(std::string_view name) const; // raises EDatabaseError naming the field
    TField* FindField(std::string_view name) const;   // null when absent; names ignore ASCII case
    // Removes the fields; only while closed. The next open builds them from the definitions.
    void ClearFields();

    // ---- open and close
    // Builds the fields from the definitions (kept when they already match) and opens empty.
    void CreateDataSet();
    // Opens with the current fields, or builds them from the definitions; the table is empty.
    void Open();
    void Close(); // drops rows and any pending edit
    bool Active() const { return FState != dsInactive; }
    void SetActive(bool active) { active ? Open() : Close(); }
    TDataSetState State() const { return FState; }

    // ---- editing
    void Append(); // a new row at the end, in insert state
    void Insert(); // a new row before the current one, in insert state
    void Edit();   // on an empty table: Append
    void Post();   // BeforePost may change fields or throw; the row then stays in edit/insert
    void Cancel(); // restores the values from before the edit; an unposted new row is dropped
    // Removes the current row (BeforeDelete first; an unposted new row is only cancelled).
    void Delete();
    // A pending edit or insert is posted (cancelled when nothing changed and nothing is new).
    void CheckBrowseMode();
    bool Modified() const { return FModified; }

    // ---- navigation (a pending edit is posted first)
    void First();
    void Prior();
    void Next();
    void Last();
    bool Bof() const { return FBof; }
    bool Eof() const { return FEof; }
    bool IsEmpty() const { return RecordCount() == 0; }
    int RecordCount() const;                             // visible rows; the row being inserted counts
    int RecNo() const;                                   // 1-based visible position; 0 without a current row
    void SetRecNo(int recNo);                            // out of range: nothing happens
    TBookmark GetBookmark() const;                       // empty without a current row
    bool BookmarkValid(const TBookmark& bookmark) const; // the row exists and is visible
    void GotoBookmark(const TBookmark& bookmark);        // raises EDatabaseError when not valid

    // ---- cached updates
    bool CachedUpdates() const { return FCachedUpdates; }
    void SetCachedUpdates(bool on) { FCachedUpdates = on; }
    // Of the current row; unmodified without one and for a row not yet posted.
    TUpdateStatus UpdateStatus() const;
    // Every row becomes unmodified; deleted rows are dropped. No events.
    void MergeChangeLog();
    int ChangeCount() const; // rows not unmodified, deleted ones included
    // Like Append; the posted row takes this status and remembers the number.
    void AppendWithStatus(TUpdateStatus status, int sourceRowNo);
    int SourceRowNo() const; // of the current row; 0 when none was given
    // Appends and stores a row whose fields take the values of the source's current row by field
    // name (converted to this table's types); unmatched fields stay null. Outside the change log,
    // without events; the new row becomes current.
    // With shareBytes, a row taken byte for byte from one of the source's arenas (its own, or one it
    // shares in turn) is not copied: this table then keeps the source's arenas alive until it is
    // emptied or closed. For copying a whole table.
    void AppendCopy(const TMemTable& source, bool shareBytes = false);
    // Appends a copy of the source's current row as a posted row with the given status and number,
    // with the result AppendWithStatus, assigning every field and Post would have, when that needs
    // no event, conversion or notification: both tables have the same field names and types in
    // order, and this table has no handlers, data sources or filter. False, changing nothing,
    // when that does not hold; the caller then copies field by field.
    // The copy shares the row's bytes as AppendCopy with shareBytes does.
    bool AppendRowCopy(const TMemTable& source, TUpdateStatus status, int sourceRowNo);
    // Appends a copy of every visible row of the source, in order, as unchanged rows sharing the
    // source's bytes as AppendCopy with shareBytes does, without moving the source's cursor or
    // notifying its views; the last row becomes current. Both tables have the same field names and
    // types in order, and the source is browsing; EDatabaseError otherwise. Lets messages run.
    void AppendAllRows(const TMemTable& source);
    // Replaces this table's rows and change log by the source's rows, which move over as they are
    // (statuses and change log included) and leave the source empty. Pending edits of both are
    // cancelled first. The source is one CanTakeRows accepts; EDatabaseError otherwise. The cursor
    // goes to the first row; bookmarks taken before find none of the rows.
    void TakeRows(TMemTable& source);
    // Whether TakeRows accepts the source: the same field names and types in order, where an
    // integer field may be of the other width when the source is browsing, has no change log and
    // every value it holds fits this table's field. Lets messages run.
    bool CanTakeRows(const TMemTable& source) const;
    // For readers that fill many rows: BeginQuietRow starts a new row that the fields fill and
    // PostQuietRow stores at the end, with the result of Append, the same assignments and Post but
    // without events or notifications. Only while browsing without a filter, data sources or
    // handlers; false, changing nothing, otherwise (use Append). CancelQuietRow drops the row.
    bool BeginQuietRow();
    void PostQuietRow();
    void CancelQuietRow();
    // Makes room for this many rows in all, so that a long load does not move the rows repeatedly.
    void ReserveRows(int count);
    // Removes every row and the change log. No events.
    void EmptyTable();

    // ---- filter "FIELD=value": rows whose value as text differs are hidden
    const std::string& Filter() const { return FFilterText; }
    void SetFilter(std::string_view text); // raises EDatabaseError for a filter it cannot use
    bool Filtered() const { return FFiltered; }
    void SetFiltered(bool on);

    // ---- attached controls
    // Asks attached controls to write input they still hold into the fields; Post and the
    // implicit post before a move call it first, so typed text is never lost.
    void UpdateRecord();
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount > 0; }
    // Tells attached controls that about `count` rows are about to replace the table's, so that a
    // view can get ready for them while the old rows still stand; it may let messages run. Not
    // sent while controls are disabled. The rows come after, with the usual notifications.
    void AnnounceRows(int count);

    // ---- events
    TDataSetNotifyEvent BeforePost, AfterPost, AfterOpen, BeforeClose, AfterClose, BeforeDelete, AfterDelete,
        AfterInsert, AfterEdit, AfterCancel, AfterScroll;

    // ---- names carried to requests
    std::string QmTableName;
    std::string PKName;
    std::string FKName;

    // ---- for TField, TDataSource and measurements
    bool HasCurrentRow() const;
    // Plain text of a field in the visible row at 0-based pos, the cursor left alone ("" for null
    // or out of range). The current row reads its pending edit. For views that paint many rows.
    std::string TextAt(int pos, int field) const;
    // The same without a copy: a text field's bytes where the row keeps them, any other value
    // formatted into scratch. Valid until the row changes or scratch is used again.
    std::string_view TextViewAt(int pos, int field, std::string& scratch) const;
    // The value of a number, date, time or boolean field in the visible row at pos as a number
    // (dates as days); false for null, text fields and positions out of range. For sorting views.
    bool NumberAt(int pos, int field, double& out) const;
    // Update status of the visible row at 0-based pos, as UpdateStatus reads it with that row
    // current; unmodified out of range.
    TUpdateStatus StatusAt(int pos) const;
    // The 0-based visible positions of the rows whose status is not unmodified, in order: for the
    // work a save does on changed rows only, whatever the number of rows.
    std::vector<int> ChangedPositions() const;
    // The first visible position in [from, end) of an unmodified row whose plain text of the field
    // (as TextAt reads it, text fields in place) satisfies match; -1 when none. Lets messages run.
    int FindUnmodified(int field, int from, int end,
                       const std::function<bool(std::string_view)>& match) const;
    // What values are compared by: a view into a value's text (without its surrounding blanks, say).
    using TValueKey = std::string_view (*)(std::string_view text);
    // How many stored rows hold a value of the field whose key is keyText: rows of any status, shown
    // or hidden, as stored (not a pending edit; a new row not yet posted as blank). Never fewer than
    // that; more only when two keys share a hash. Counted on the first call for a field and key, then
    // kept in step with every change until the rows are replaced.
    int RowsHolding(int field, TValueKey key, std::string_view keyText);
    // Bytes held by rows (approximate: includes allocation heads; arenas shared with other tables
    // count whole).
    std::size_t MemoryUsed() const;

private:
    friend class TField;
    friend class TDataSource;

    // value access for TField
    bool ValueIsNull(int field) const;
    std::uint64_t ValueSlot(int field) const;
    std::string_view ValueText(int field) const;
    bool OldIsNull(int field) const;
    std::uint64_t OldSlot(int field) const;
    std::string_view OldText(int field) const;
    void CheckWritable() const;
    TEditBuffer& Buffer() { return FBuffer; }
    void FieldChanged(TField* field);

    void BuildFields();
    bool FieldsMatchDefs() const;
    void CheckActive() const;
    void BeginNewRow(bool atEnd);
    void FinishScroll(int oldPos, bool fireEvent = true);
    void InvalidateView();
    void EnsureView() const;
    bool RowVisible(std::size_t row) const;
    int VisibleCount() const;
    std::size_t RowAt(int pos) const; // visible position -> row index
    int PosOf(std::size_t row) const; // row index -> visible position, -1 when hidden
    void SetState(TDataSetState state);
    void Notify(TDataEvent event, std::intptr_t info = 0);
    void ParseFilter(std::string_view text, int& field, std::string& value) const;
    void RemoveRow(std::size_t row);
    std::size_t CurrentRow() const { return RowAt(FPos); }
    bool FilterActive() const { return FFiltered && FFilterField >= 0; }
    void ApplyFilter();
    void Reposition(std::size_t row, int oldPos);
    std::size_t FindRow(const TBookmark& bookmark) const; // FRows.size() when absent
    std::uint32_t FNewRowId = 0;

    TFieldDefs FFieldDefs;
    std::vector<std::unique_ptr<TField>> FFields;
    TRecordLayout FLayout;
    std::vector<TStoredRow> FRows;
    std::vector<TStoredRow> FDeletedLog; // rows deleted under cached updates
    // Rows stored in bulk live in FArena; rows shared with other tables keep theirs alive.
    std::shared_ptr<TRowArena> FArena;
    std::vector<std::shared_ptr<const TRowArena>> FSharedArenas;
    TRowArena& Arena();
    TRowData InArena(std::byte* data) { return TRowData::InArena(data, TRowData::TPlace::OwnArena); }
    TRowData ShareRow(const TMemTable& source, const TStoredRow& row);
    void KeepArena(std::shared_ptr<const TRowArena> arena);
    // Changes whenever the arenas this table holds change; ShareRow keeps a source's arenas once
    // per version.
    std::uint64_t FArenasVersion = 0;
    const TMemTable* FKeptArenasOf = nullptr;
    std::uint64_t FKeptArenasVersion = 0;
    void ReleaseRows();
    TEditBuffer FBuffer;
    std::uint32_t FNextId = 1;

    TDataSetState FState = dsInactive;
    int FPos = -1; // visible position of the current row; -1 when none
    bool FBof = true;
    bool FEof = true;
    bool FModified = false;
    bool FNewRow = false; // the current row was added by Append/Insert and is not posted yet
    TUpdateStatus FForcedStatus = usUnmodified;
    bool FForceStatus = false;
    std::int32_t FForcedSourceRowNo = 0;

    bool FCachedUpdates = false;

    std::string FFilterText;
    bool FFiltered = false;
    int FFilterField = -1;
    std::string FFilterValue;
    mutable std::vector<std::uint32_t> FView; // visible row indexes while a filter applies
    mutable bool FViewDirty = true;

    int FDisableCount = 0;
    bool FSuppressedData = false;
    bool FSuppressedState = false;
    bool FSuppressedActive = false;
    bool FSuppressedScroll = false;
    bool FQuietStore = false; // AppendCopy fills the buffer without field events
    std::vector<TDataSource*> FDataSources;

    // AppendCopy's field pairing, kept for repeated copies from the same source
    const TMemTable* FCopySource = nullptr;
    std::uint64_t FCopySourceLayout = 0;
    std::vector<int> FCopyMap;
    // Whether a stored row of the copy source can be taken byte for byte, and the integer fields
    // that must then still fit 32 bits (a wider source value takes the converting path).
    std::uint64_t FCopyOwnLayout = 0;
    bool FCopyRaw = false;
    std::vector<int> FCopyNarrow;
    // AppendRowCopy's layout check, kept for repeated copies from the same source
    const TMemTable* FRowCopySource = nullptr;
    std::uint64_t FRowCopySourceLayout = 0;
    std::uint64_t FRowCopyLayout = 0;
    bool FRowCopySame = false;
    bool SameLayout(const TMemTable& source) const;
    bool HasFieldHandlers() const;
    const std::byte* CurrentRowData() const;
    std::uint64_t FLayoutVersion = 0;
    static std::uint64_t NextLayoutVersion();

    // RowsHolding's counts, and the number of rows they cover (every row of FRows, when in step).
    struct TCountedField {
        int Field;
        TValueKey Key;
        TValueCounts Counts;
    };
    std::vector<TCountedField> FCounts;
    std::size_t FCountedRows = 0;
    std::uint32_t StoredHash(const std::byte* data, int field, TValueKey key) const;
    void CountRow(const std::byte* data, int delta) noexcept;
    // A row added (delta 1) or gone (-1), or its stored values replaced.
    void Counted(const std::byte* data, int delta) {
        if (!FCounts.empty()) CountRow(data, delta);
    }
    void RecountRow(const std::byte* before, const std::byte* after) noexcept;
    void DropCounts() noexcept;
};

} // namespace qm
