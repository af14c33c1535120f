// The data module of a form that maintains one table in a grid: field metadata, the main table
// with cached updates, its data source, and a delta table that keeps copies of deleted rows.
#pragma once

#include <cstdint>

#include "metadata/base_dm.h"

namespace qm {

class TDataSource;
class TMemTable;
class TQmTbField;

// Table roles by Tag, recognised by the forms' edit-state change.
inline constexpr std::intptr_t MainTableTag = 255;
inline constexpr std::intptr_t DeltaTableTag = 256;

class TSingleMuliColDm : public TBaseDm {
public:
    explicit TSingleMuliColDm(TComponent* owner = nullptr);

    // Owned components, in creation order.
    TQmTbField* tbfldMain;
    TMemTable* mtblMain;
    TDataSource* dsMain;
    TMemTable* mtblMainDelta;

    // The concrete module's constructor runs it once its components exist.
    void DataModuleCreate(TObject* sender) override;
    // Re-creates the delta table when the main table opens while it is closed.
    virtual void mtblMainAfterOpen(TMemTable* dataSet);
    // Copies a row the store knows into the delta table before it is deleted.
    virtual void mtblMainBeforeDelete(TMemTable* dataSet);
    virtual void mtblMainAfterPost(TMemTable* dataSet);
};

} // namespace qm
