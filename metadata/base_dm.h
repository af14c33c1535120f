// The ancestor of every data module: a container of tables, data sources and field metadata that
// stamps the audit columns and the FLAG column before rows are posted.
#pragma once

#include <cstdint>

#include "base/component.h"

namespace qm {

class TMemTable;

class TBaseDm : public TComponent {
public:
    explicit TBaseDm(TComponent* owner = nullptr);

    // The stamping operations never raise; a missing column or host context ends them silently.
    // CREATE_USER, USER_GROUP, CREATE_DATE on a new row whose CREATE_USER is still empty.
    void SetCreateInfo(TMemTable* dataSet);
    // MODIFIER, MODI_DATE on an existing row whose pending edit changes a column other than the
    // stamped ones.
    void SetModifyInfo(TMemTable* dataSet);
    void SetAuditInfo(TMemTable* dataSet);
    // Writes the value into FLAG, putting a browsing table into edit state first.
    void SetFlag(std::int32_t value, TMemTable* dataSet);

    // Creation handler; descendants call it before their own creation work.
    virtual void DataModuleCreate(TObject* sender);
};

} // namespace qm
