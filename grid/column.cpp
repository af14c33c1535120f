#include "grid/column.h"

#include "dataset/data_source.h"
#include "dataset/mem_table.h"

namespace qm {

TField* TQmColumn::Field() const {
    auto* columns = static_cast<TQmColumns*>(Collection());
    TDataSource* source = columns ? columns->DataSource() : nullptr;
    TMemTable* table = source ? source->DataSet() : nullptr;
    if (!table || FieldName.empty()) return nullptr;
    return table->FindField(FieldName);
}

TAlignment TQmColumn::EffectiveAlignment() const {
    if (AlignmentSet) return Alignment;
    TField* field = Field();
    return field ? field->Alignment() : taLeftJustify;
}

std::string TQmColumn::TitleCaption() const {
    if (!Title.Caption.empty()) return Title.Caption;
    TField* field = Field();
    return field ? field->DisplayLabel() : FieldName;
}

std::string TQmColumn::DisplayFor(const std::string& value) const {
    for (std::size_t i = 0; i < KeyList.size() && i < PickList.size(); ++i)
        if (KeyList[i] == value) return PickList[i];
    return value;
}

std::string TQmColumn::ValueFor(const std::string& shown) const {
    for (std::size_t i = 0; i < KeyList.size() && i < PickList.size(); ++i)
        if (PickList[i] == shown) return KeyList[i];
    return shown;
}

bool TQmColumn::HasEllipsis() const {
    for (const TQmEditButton& button : EditButtons)
        if (button.Visible && button.Style == ebsEllipsis) return true;
    return false;
}

TQmColumns::TQmColumns(TObject* owner, std::function<TDataSource*()> source, std::function<void()> changed)
    : TCollection(owner, [](TCollection* c) { return std::make_unique<TQmColumn>(c); }),
      FSource(std::move(source)), FChanged(std::move(changed)) {}

TQmColumn* TQmColumns::Add() {
    auto* column = static_cast<TQmColumn*>(TCollection::Add());
    if (FChanged) FChanged();
    return column;
}

void TQmColumns::Clear() {
    TCollection::Clear();
    if (FChanged) FChanged();
}

void TQmColumns::Delete(int index) {
    TCollection::Delete(index);
    if (FChanged) FChanged();
}

} // namespace qm
