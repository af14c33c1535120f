#include "protocol/qm_table.h"

#include "dataset/mem_table.h"

namespace qm {

TQmTable::TQmTable()
    : FRows(std::make_unique<TMemTable>()), FDeleted(std::make_unique<TMemTable>()),
      FChildren(std::make_unique<TQmList<TQmTable>>()) {}

TQmTable::~TQmTable() {
    FRows.reset();
    FDeleted.reset();
    FChildren.reset();
}

int TQmTable::ChildCount() const {
    return FChildren->Count();
}

TQmTable& TQmTable::Child(int index) const {
    return FChildren->Items(index);
}

void TQmTable::ClearChildren() {
    FChildren->Clear();
}

int TQmTable::AddChild() {
    const int index = FChildren->Add();
    TQmTable& child = FChildren->Items(index);
    child.IsChild = true;
    child.Parent = this;
    child.DeleteMode = DeleteMode;
    child.CopyMode = CopyMode;
    return index;
}

} // namespace qm
