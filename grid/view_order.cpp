#include "grid/view_order.h"

#include <algorithm>

namespace qm::gridimpl {

int TViewOrder::TablePos(int view, int tableRows) const {
    if (view < 0) return -1;
    if (!FActive) return view < tableRows ? view : -1;
    return view < static_cast<int>(FRows.size()) ? FRows[static_cast<std::size_t>(view)] : -1;
}

int TViewOrder::ViewRow(int pos, int tableRows) const {
    if (pos < 0) return -1;
    if (!FActive) return pos < tableRows ? pos : -1;
    return pos < static_cast<int>(FViewOf.size()) ? FViewOf[static_cast<std::size_t>(pos)] : -1;
}

void TViewOrder::Set(std::vector<int> rows, int tableRows) {
    FActive = true;
    FRows = std::move(rows);
    MapViews(tableRows);
}

void TViewOrder::MapViews(int tableRows) {
    FViewOf.assign(static_cast<std::size_t>(tableRows), -1);
    for (std::size_t view = 0; view < FRows.size(); ++view) {
        const int pos = FRows[view];
        if (pos >= 0 && pos < tableRows) FViewOf[static_cast<std::size_t>(pos)] = static_cast<int>(view);
    }
}

void TViewOrder::InsertRow(int view, int pos, int tableRows) {
    for (int& row : FRows)
        if (row >= pos) ++row;
    view = std::clamp(view, 0, static_cast<int>(FRows.size()));
    FRows.insert(FRows.begin() + view, pos);
    MapViews(tableRows);
}

bool TViewOrder::RemoveRow(int pos, int tableRows) {
    const auto at = std::find(FRows.begin(), FRows.end(), pos);
    if (at == FRows.end()) return false;
    FRows.erase(at);
    for (int& row : FRows)
        if (row > pos) --row;
    MapViews(tableRows);
    return true;
}

void TViewOrder::Clear() {
    FActive = false;
    FRows.clear();
    FViewOf.clear();
}

} // namespace qm::gridimpl
