// One table of a request or response: its rows, its deleted rows and its child tables.
#pragma once

#include <cstdint>
#include <memory>

#include "base/component.h"
#include "protocol/qm_list.h"

namespace qm {

class TMemTable;

enum TQmCopyMode : std::uint8_t {
    cmAllRows = 0,
    cmChangedRows = 1,
    cmCurrentRow = 2,
};

class TQmTable : public TObject {
public:
    TQmTable();
    ~TQmTable() override;
    TQmTable(const TQmTable&) = delete;
    TQmTable& operator=(const TQmTable&) = delete;

    TMemTable& Rows() const { return *FRows; }
    TMemTable& Deleted() const { return *FDeleted; }

    int ChildCount() const;
    TQmTable& Child(int index) const;
    void ClearChildren();
    // Attaches a new child table (detail rows keyed by this table's key) and returns its index.
    // The child takes this table's DeleteMode and CopyMode.
    int AddChild();

    bool IsChild = false;
    TQmTable* Parent = nullptr; // not owned
    bool DeleteMode = false;
    std::uint8_t CopyMode = cmCurrentRow;

private:
    std::unique_ptr<TMemTable> FRows;
    std::unique_ptr<TMemTable> FDeleted;
    std::unique_ptr<TQmList<TQmTable>> FChildren;
};

using TQmTables = TQmList<TQmTable>;

} // namespace qm
