// Connects a table to grids and data-aware controls: the table tells its data sources what
// happened, and each data source passes it to its links.
#pragma once

#include <cstdint>
#include <vector>

#include "base/component.h"
#include "dataset/mem_table.h"

namespace qm {

class TDataSource;

// An observer of one data source. Override the notifications of interest; by default the row-level
// ones fall back to DataSetChanged, so a simple view only needs that one. Notifications are not
// sent while the table's controls are disabled; enabling them sends DataSetChanged (and
// EditingChanged when the state moved) once, or only DataSetScrolled when nothing but the cursor
// moved.
class TDataLink {
public:
    TDataLink() = default;
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* source);
    TMemTable* DataSet() const; // null without a source or a table
    bool Active() const;        // the table is open
    bool Editing() const;       // edit or insert state

protected:
    friend class TDataSource;
    virtual void ActiveChanged() {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void DataSetChanged() {}
    // A row appeared at / vanished from this visible position (0-based).
    virtual void RowInserted(int /*position*/) { DataSetChanged(); }
    virtual void RowRemoved(int /*position*/) { DataSetChanged(); }
    // A value of the current row changed; field is null when the whole row may have changed.
    virtual void RecordChanged(TField* /*field*/) {}
    virtual void DataSetScrolled(int /*distance*/) {}
    virtual void EditingChanged() {}
    // The table is about to post: write any input still held by the control into the field.
    virtual void UpdateData() {}
    // About `count` rows are about to replace the table's: a view may get ready for them.
    virtual void RowsComing(int /*count*/) {}

private:
    TDataSource* FDataSource = nullptr;
};

class TDataSource : public TComponent {
public:
    explicit TDataSource(TComponent* owner = nullptr);
    ~TDataSource() override;

    TMemTable* DataSet() const { return FDataSet; }
    void SetDataSet(TMemTable* table);
    TDataSetState State() const { return FDataSet ? FDataSet->State() : dsInactive; }
    // While false, links hear nothing.
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    int LinkCount() const { return static_cast<int>(FLinks.size()); }

    TNotifyEvent OnStateChange; // the table's state changed
    TNotifyEvent OnDataChange;  // rows or the current row changed, or the cursor moved

private:
    friend class TDataLink;
    friend class TMemTable;
    void AddLink(TDataLink* link);
    void RemoveLink(TDataLink* link);
    void DataEvent(TDataEvent event, std::intptr_t info);
    void TableDestroyed();

    TMemTable* FDataSet = nullptr;
    bool FEnabled = true;
    std::vector<TDataLink*> FLinks;
};

} // namespace qm
