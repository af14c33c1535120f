#include "modules/tarn204/dm/tarn204_dm.h"

#include <cstdint>

#include "dataset/mem_table.h"
#include "metadata/qm_tb_field.h"

namespace qm {
namespace {

struct StoredItem {
    const char* FieldName;
    const char* DisplayLabel;
    TFieldType DataType;
    std::int32_t FieldWidth;
    std::int32_t DisplayWidth;
    bool IsKey;
    bool Visible;
    bool NotNull;
    TAlignment Alignment; // what an import of the stored document gives
};

// TB_MEMAC as the form shows it; the order is the order of fields and grid columns.
constexpr StoredItem StoredItems[] = {
    {"MEMAC_ID", "", ftInteger, 0, 22, true, false, false, taRightJustify},
    {"MEMAC001", "收入等级代码", ftString, 4, 20, false, true, false, taLeftJustify},
    {"MEMAC002", "收入等级名称", ftString, 30, 20, false, true, false, taLeftJustify},
    {"MEMAC003", "收入下限", ftInteger, 0, 10, false, true, false, taRightJustify},
    {"MEMAC004", "收入上限", ftInteger, 0, 10, false, true, false, taRightJustify},
    {"CREATE_USER", "", ftString, 12, 12, false, false, true, taLeftJustify},
    {"USER_GROUP", "", ftString, 12, 12, false, false, true, taLeftJustify},
    {"CREATE_DATE", "", ftDate, 0, 7, false, false, true, taLeftJustify},
    {"MODIFIER", "", ftString, 12, 12, false, false, true, taLeftJustify},
    {"MODI_DATE", "", ftDate, 0, 7, false, false, true, taLeftJustify},
    {"FLAG", "", ftInteger, 0, 1, false, false, true, taRightJustify},
};

} // namespace

TTarn204Dm::TTarn204Dm(TComponent* owner) : TSingleMuliColDm(owner) {
    tbfldMain->TableName = "TB_MEMAC";
    tbfldMain->PKName = "MEMAC_ID";
    TTbFields& fields = tbfldMain->TbFields();
    fields.Clear();
    for (const StoredItem& stored : StoredItems) {
        TTbField* item = fields.Add();
        item->FieldName = stored.FieldName;
        item->DisplayLabel = stored.DisplayLabel;
        item->DataType = stored.DataType;
        item->FieldWidth = stored.FieldWidth;
        item->DisplayWidth = stored.DisplayWidth;
        item->IsKey = stored.IsKey;
        item->Visible = stored.Visible;
        item->NotNull = stored.NotNull;
        item->Alignment = stored.Alignment;
        item->ReadOnly = false;
        item->NumPrec = 0;
        item->ButtonStyle = gbsNone;
    }
    tbfldMain->SetXML(StoredFieldDocument());

    mtblMain->Tag = MainTableTag;
    mtblMain->BeforePost = [this](TMemTable* t) { mtblMainBeforePost(t); };
    mtblMainDelta->Tag = DeltaTableTag;

    DataModuleCreate(this);
}

void TTarn204Dm::DataModuleCreate(TObject* sender) {
    TSingleMuliColDm::DataModuleCreate(sender);
}

void TTarn204Dm::mtblMainBeforePost(TMemTable* dataSet) {
    SetFlag(0, dataSet);
    SetAuditInfo(dataSet);
}

std::vector<std::string> TTarn204Dm::StoredFieldDocument() {
    return {
        R"(<?xml version="1.0" encoding="UTF-8"?>)",
        R"(<table tablename="TB_MEMAC">)",
        R"(  <fields>)",
        R"(    <filed FN="MEMAC_ID" FW="22" DT="NUMBER" DL="" DW="22" KEY="1" RO="0" NN="0" NP="0"/>)",
        R"(    <filed FN="MEMAC001" FW="4" DT="VARCHAR2" DL="" DW="4" KEY="0" RO="0" NN="0" NP="0"/>)",
        R"(    <filed FN="MEMAC002" FW="30" DT="VARCHAR2" DL="" DW="30" KEY="0" RO="0" NN="0" NP="0"/>)",
        R"(    <filed FN="MEMAC003" FW="12" DT="NUMBER" DL="" DW="12" KEY="0" RO="0" NN="0" NP="0"/>)",
        R"(    <filed FN="MEMAC004" FW="12" DT="NUMBER" DL="" DW="12" KEY="0" RO="0" NN="0" NP="0"/>)",
        R"(    <filed FN="CREATE_USER" FW="12" DT="VARCHAR2" DL="" DW="12" KEY="0" RO="0" NN="1" NP="0"/>)",
        R"(    <filed FN="USER_GROUP" FW="12" DT="VARCHAR2" DL="" DW="12" KEY="0" RO="0" NN="1" NP="0"/>)",
        R"(    <filed FN="CREATE_DATE" FW="7" DT="DATE" DL="" DW="7" KEY="0" RO="0" NN="1" NP="0"/>)",
        R"(    <filed FN="MODIFIER" FW="12" DT="VARCHAR2" DL="" DW="12" KEY="0" RO="0" NN="1" NP="0"/>)",
        R"(    <filed FN="MODI_DATE" FW="7" DT="DATE" DL="" DW="7" KEY="0" RO="0" NN="1" NP="0"/>)",
        R"(    <filed FN="FLAG" FW="1" DT="NUMBER" DL="" DW="1" KEY="0" RO="0" NN="1" NP="0"/>)",
        R"(  </fields>)",
        R"(</table>)",
    };
}

} // namespace qm
