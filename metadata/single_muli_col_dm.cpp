#include "metadata/single_muli_col_dm.h"

#include "dataset/data_source.h"
#include "dataset/mem_table.h"
#include "metadata/qm_tb_field.h"

namespace qm {

TSingleMuliColDm::TSingleMuliColDm(TComponent* owner)
    : TBaseDm(owner), tbfldMain(new TQmTbField(this)), mtblMain(new TMemTable(this)),
      dsMain(new TDataSource(this)), mtblMainDelta(new TMemTable(this)) {
    tbfldMain->Name = "tbfldMain";
    tbfldMain->SetXML({R"(<?xml version="1.0" encoding="utf-8"?>)", "<Table>", "  <Fields/>", "</Table>"});

    mtblMain->Name = "mtblMain";
    mtblMain->SetCachedUpdates(true);
    mtblMain->AfterOpen = [this](TMemTable* t) { mtblMainAfterOpen(t); };
    mtblMain->BeforeDelete = [this](TMemTable* t) { mtblMainBeforeDelete(t); };
    mtblMain->AfterPost = [this](TMemTable* t) { mtblMainAfterPost(t); };

    dsMain->Name = "dsMain";
    dsMain->SetDataSet(mtblMain);

    mtblMainDelta->Name = "mtblMainDelta";
    mtblMainDelta->SetCachedUpdates(false);
}

void TSingleMuliColDm::DataModuleCreate(TObject* sender) {
    TBaseDm::DataModuleCreate(sender);
}

void TSingleMuliColDm::mtblMainAfterOpen(TMemTable* /*dataSet*/) {
    if (!mtblMainDelta->Active() && mtblMainDelta->FieldDefs().Count() > 0) mtblMainDelta->CreateDataSet();
}

void TSingleMuliColDm::mtblMainBeforeDelete(TMemTable* dataSet) {
    TMemTable* main = dataSet ? dataSet : mtblMain;
    // A row appended since the last merge is unknown to the store: nothing to delete there.
    if (main->UpdateStatus() == TUpdateStatus::usInserted) return;
    if (mtblMainDelta->FieldCount() == 0 && mtblMainDelta->FieldDefs().Count() == 0) return;
    if (!mtblMainDelta->Active()) mtblMainDelta->Open();
    mtblMainDelta->Append();
    try {
        for (int i = 0; i < main->FieldCount(); ++i)
            mtblMainDelta->Fields(i)->Assign(*main->Fields(i));
        mtblMainDelta->Post();
    } catch (...) {
        // A half-copied row must not stay behind to be posted later; the delete fails instead.
        mtblMainDelta->Cancel();
        throw;
    }
}

void TSingleMuliColDm::mtblMainAfterPost(TMemTable* /*dataSet*/) {}

} // namespace qm
