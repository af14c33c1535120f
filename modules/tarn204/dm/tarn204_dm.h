// The income-level data module: TB_MEMAC's field description, main table and deleted rows.
#pragma once

#include <string>
#include <vector>

#include "metadata/single_muli_col_dm.h"

namespace qm {

class TTarn204Dm : public TSingleMuliColDm {
public:
    explicit TTarn204Dm(TComponent* owner = nullptr);

    void DataModuleCreate(TObject* sender) override;
    // Before every post of the main table: FLAG 0, then the audit columns.
    void mtblMainBeforePost(TMemTable* dataSet);

    // The field-metadata document stored with tbfldMain, line by line.
    static std::vector<std::string> StoredFieldDocument();
};

} // namespace qm
