#include "grid/field_link.h"

#include <exception>

namespace qm {

TQmFieldLink::TQmFieldLink(std::function<void(const std::string&)> show) : FShow(std::move(show)) {}

void TQmFieldLink::SetSource(TDataSource* source) {
    SetDataSource(source);
    Reload();
}

void TQmFieldLink::SetDataField(const std::string& name) {
    FFieldName = name;
    Reload();
}

TField* TQmFieldLink::Field() const {
    TMemTable* table = DataSet();
    if (!table || FFieldName.empty()) return nullptr;
    return table->FindField(FFieldName);
}

bool TQmFieldLink::CanModify() const {
    TField* field = Field();
    return field && field->CanModify();
}

void TQmFieldLink::Reload() {
    TField* field = Field();
    TMemTable* table = DataSet();
    FPending = false;
    FLoading = true;
    FShow(field && table && table->Active() && table->HasCurrentRow() ? field->Text() : std::string());
    FLoading = false;
}

void TQmFieldLink::RecordChanged(TField* /*field*/) {
    // Our own write comes back here; the control already shows it.
    if (FWriting) return;
    Reload();
}

void TQmFieldLink::Modified(const std::string& text) {
    if (FLoading) return;
    TField* field = Field();
    TMemTable* table = DataSet();
    if (!field || !table || !field->CanModify()) return;
    try {
        FWriting = true;
        if (table->State() == dsBrowse) table->Edit();
        field->SetText(text);
        FPending = false;
    } catch (const std::exception&) {
        FPending = true;
        FPendingText = text;
    }
    FWriting = false;
}

bool TQmFieldLink::Flush(std::string& error) {
    if (!FPending) return true;
    TField* field = Field();
    if (!field) return true;
    try {
        FWriting = true;
        field->SetText(FPendingText);
        FWriting = false;
        FPending = false;
        return true;
    } catch (const std::exception& e) {
        FWriting = false;
        error = e.what();
        return false;
    }
}

} // namespace qm
