// Grid columns and table fields built from the field metadata.
#include "dataset/mem_table.h"
#include "framework/child_form.h"
#include "grid/db_grid.h"
#include "metadata/qm_tb_field.h"
#include "metadata/tb_field.h"

namespace qm {

namespace {
constexpr TColor KeyColumnColor = 12639424; // 0xC0DCC0, a pale green
constexpr const char* PickListJoint = ".";

void AddDefinitions(TTbFields& items, TMemTable& main, TMemTable& delta, TQmDBGrid* grid,
                    TComponent* lookupModule) {
    for (int i = 0; i < items.Count(); ++i) {
        ProcessMessages();
        TTbField& item = *items.Items(i);
        main.FieldDefs().Add(item.FieldName, item.DataType, item.FieldWidth, false);
        delta.FieldDefs().Add(item.FieldName, item.DataType, item.FieldWidth, false);
        if (!grid) continue;
        TQmColumn& column = *grid->Columns().Add();
        column.FieldName = item.FieldName;
        column.Title.Caption = item.DisplayLabel;
        column.Title.Alignment = TAlignment::taCenter;
        if (item.IsKey) column.Color = KeyColumnColor;
        column.SetAlignment(item.Alignment);
        column.ReadOnly = item.ReadOnly;
        column.Visible = item.Visible;
        column.OnUpdateData = item.OnUpdateData;
        switch (item.ButtonStyle) {
        case gbsButton: {
            TQmEditButton& button = column.AddEditButton();
            button.Style = ebsEllipsis;
            button.OnClick = item.OnButtonClick;
            break;
        }
        case gbsDropDown: {
            if (!lookupModule || item.DropDownTag <= 0) break;
            const std::vector<TComponent*> components = lookupModule->ComponentList();
            for (TComponent* component : components) {
                ProcessMessages();
                auto* table = dynamic_cast<TMemTable*>(component);
                if (!table || table->Tag != item.DropDownTag) continue;
                column.KeyList.clear();
                column.PickList.clear();
                for (table->First(); !table->Eof(); table->Next()) {
                    ProcessMessages();
                    TField* key = table->FieldCount() > 0 ? table->Fields(0) : nullptr;
                    TField* text = table->FieldCount() > 1 ? table->Fields(1) : nullptr;
                    column.KeyList.push_back(key && !key->IsNull() ? key->AsString() : std::string());
                    const bool whole = key && text && !key->IsNull() && !text->IsNull();
                    column.PickList.push_back(whole ? key->AsString() + PickListJoint + text->AsString()
                                                    : std::string());
                }
            }
            break;
        }
        case gbsCheckbox:
            column.Checkboxes = true;
            break;
        case gbsNone:
            break;
        }
    }
}

void FinishTables(TQmTbField& metadata, TMemTable& main, TMemTable& delta) {
    delta.CreateDataSet();
    main.CreateDataSet();
    const std::string fk = metadata.GetFKName();
    for (TMemTable* table : {&main, &delta}) {
        table->QmTableName = metadata.TableName;
        table->FKName = fk;
        table->PKName = metadata.PKName;
    }
    TTbFields& items = metadata.TbFields();
    for (int p = 0; p < main.FieldCount(); ++p) {
        ProcessMessages();
        TTbField& item = *items.Items(p);
        TField* field = main.Fields(p);
        field->SetReadOnly(item.ReadOnly);
        field->SetDisplayWidth(item.DisplayWidth);
        field->SetDisplayLabel(item.DisplayLabel);
        field->OnChange = item.OnChange;
        field->OnGetText = item.OnGetText;
        field->OnSetText = item.OnSetText;
        field->OnValidate = item.OnValidate;
        field->SetIsKey(item.IsKey);
        field->SetIsJoin(item.IsJoin);
        field->SetNotNull(item.NotNull);
        TField* copy = delta.Fields(p);
        copy->SetIsKey(item.IsKey);
        copy->SetIsJoin(item.IsJoin);
        copy->SetNotNull(item.NotNull);
    }
}
} // namespace

void TfrmChildBase::BindGridAndTables(TQmDBGrid* grid, TMemTable* main, TMemTable* delta,
                                      TQmTbField* fields) {
    if (!main || !delta || !fields) return;
    if (grid) grid->Columns().Clear();
    AddDefinitions(fields->TbFields(), *main, *delta, grid, DropDownModule);
    FinishTables(*fields, *main, *delta);
}

void TfrmChildBase::BindTables(TMemTable* main, TMemTable* delta, TQmTbField* fields) {
    if (!main || !delta || !fields) return;
    AddDefinitions(fields->TbFields(), *main, *delta, nullptr, nullptr);
    FinishTables(*fields, *main, *delta);
}

} // namespace qm
