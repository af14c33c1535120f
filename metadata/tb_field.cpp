#include "metadata/tb_field.h"

#include "platform/platform.h"

namespace qm {

TTbField::TTbField(TCollection* collection) : TCollectionItem(collection) {}

void TTbField::Assign(const TCollectionItem& source) {
    const auto* from = dynamic_cast<const TTbField*>(&source);
    if (!from) {
        TCollectionItem::Assign(source);
        return;
    }
    Alignment = from->Alignment;
    DisplayLabel = from->DisplayLabel;
    DisplayWidth = from->DisplayWidth;
    FieldName = from->FieldName;
    DataType = from->DataType;
    Hint = from->Hint;
    FieldWidth = from->FieldWidth;
    IsKey = from->IsKey;
    ReadOnly = from->ReadOnly;
    Visible = from->Visible;
    NotNull = from->NotNull;
    NumPrec = from->NumPrec;
    ButtonStyle = from->ButtonStyle;
    IsJoin = from->IsJoin;
    IsFK = from->IsFK;
    FKTable = from->FKTable;
    OnButtonClick = from->OnButtonClick;
    OnChange = from->OnChange;
    OnGetText = from->OnGetText;
    OnSetText = from->OnSetText;
    OnValidate = from->OnValidate;
    OnUpdateData = from->OnUpdateData;
    DropDownTag = from->DropDownTag;
}

std::string TTbField::GetDisplayName() const {
    return FieldName.empty() ? std::string("TTbField") : FieldName;
}

TTbFields::TTbFields(TObject* owner)
    : TCollection(owner, [](TCollection* c) { return std::make_unique<TTbField>(c); }) {}

void TTbFields::Notify(TCollectionItem* item) {
    auto* field = static_cast<TTbField*>(item);
    if (!field->FieldName.empty()) return;
    for (int n = 1;; ++n) {
        const std::string candidate = "Field" + std::to_string(n);
        bool taken = false;
        for (int i = 0; i < Count() && !taken; ++i)
            taken = SameText(Items(i)->FieldName, candidate);
        if (!taken) {
            field->FieldName = candidate;
            return;
        }
    }
}

} // namespace qm
