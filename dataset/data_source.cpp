#include "dataset/data_source.h"

#include <algorithm>

namespace qm {

TDataLink::~TDataLink() {
    if (FDataSource) FDataSource->RemoveLink(this);
}

void TDataLink::SetDataSource(TDataSource* source) {
    if (source == FDataSource) return;
    if (FDataSource) FDataSource->RemoveLink(this);
    FDataSource = source;
    if (FDataSource) FDataSource->AddLink(this);
    ActiveChanged();
}

TMemTable* TDataLink::DataSet() const {
    return FDataSource ? FDataSource->DataSet() : nullptr;
}

bool TDataLink::Active() const {
    TMemTable* t = DataSet();
    return t && t->Active();
}

bool TDataLink::Editing() const {
    TMemTable* t = DataSet();
    return t && (t->State() == dsEdit || t->State() == dsInsert);
}

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
    SetDataSet(nullptr);
    for (TDataLink* link : FLinks)
        link->FDataSource = nullptr;
}

void TDataSource::SetDataSet(TMemTable* table) {
    if (table == FDataSet) return;
    if (FDataSet) std::erase(FDataSet->FDataSources, this);
    FDataSet = table;
    if (FDataSet) FDataSet->FDataSources.push_back(this);
    DataEvent(TDataEvent::deActiveChanged, 0);
}

void TDataSource::SetEnabled(bool enabled) {
    if (enabled == FEnabled) return;
    FEnabled = enabled;
    for (std::size_t i = 0; i < FLinks.size(); ++i)
        FLinks[i]->ActiveChanged();
}

void TDataSource::AddLink(TDataLink* link) {
    FLinks.push_back(link);
}

void TDataSource::RemoveLink(TDataLink* link) {
    std::erase(FLinks, link);
}

void TDataSource::TableDestroyed() {
    FDataSet = nullptr;
    for (std::size_t i = 0; i < FLinks.size(); ++i)
        FLinks[i]->ActiveChanged();
}

void TDataSource::DataEvent(TDataEvent event, std::intptr_t info) {
    if (!FEnabled) return;
    // Links may detach while they are told; index each time.
    for (std::size_t i = 0; i < FLinks.size(); ++i) {
        TDataLink* link = FLinks[i];
        switch (event) {
        case TDataEvent::deActiveChanged:
            link->ActiveChanged();
            break;
        case TDataEvent::deLayoutChanged:
            link->LayoutChanged();
            break;
        case TDataEvent::deDataSetChanged:
            link->DataSetChanged();
            break;
        case TDataEvent::deRowsInserted:
            link->RowInserted(static_cast<int>(info));
            break;
        case TDataEvent::deRowsRemoved:
            link->RowRemoved(static_cast<int>(info));
            break;
        case TDataEvent::deRecordChanged:
            link->RecordChanged(reinterpret_cast<TField*>(info));
            break;
        case TDataEvent::deDataSetScrolled:
            link->DataSetScrolled(static_cast<int>(info));
            break;
        case TDataEvent::deStateChanged:
            link->EditingChanged();
            break;
        case TDataEvent::deUpdateRecord:
            link->UpdateData();
            break;
        case TDataEvent::deRowsComing:
            link->RowsComing(static_cast<int>(info));
            break;
        }
    }
    if (event == TDataEvent::deStateChanged) {
        if (OnStateChange) OnStateChange(this);
    } else if (event != TDataEvent::deLayoutChanged && event != TDataEvent::deActiveChanged &&
               event != TDataEvent::deUpdateRecord && event != TDataEvent::deRowsComing) {
        if (OnDataChange) OnDataChange(this);
    }
}

} // namespace qm
