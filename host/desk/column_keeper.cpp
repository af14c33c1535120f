#include "host/desk/column_keeper.h"

#include "host/desk/layout_memory.h"

#include <QEvent>
#include <QHeaderView>
#include <QTableView>

namespace qm::desk {

ColumnKeeper::ColumnKeeper(QTableView& grid, QStringList wanted)
    : QObject(&grid), FGrid(&grid), FWanted(std::move(wanted)) {
    QAbstractItemModel* model = grid.model();
    connect(model, &QAbstractItemModel::modelReset, this, [this] { FPending = true; });
    // The grid sets widths of its own too (after a reset, or queued when its columns change):
    // only what the clerk does with the mouse on the header is taken as wanted.
    grid.horizontalHeader()->viewport()->installEventFilter(this);
    // Queued: the grid sets its own widths after a reset or its own queued refresh, and this
    // comes after that.
    connect(model, &QAbstractItemModel::modelReset, this, &ColumnKeeper::Apply, Qt::QueuedConnection);
    QMetaObject::invokeMethod(this, &ColumnKeeper::Apply, Qt::QueuedConnection);
}

bool ColumnKeeper::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseButtonDblClick)
        // Once the header has acted on it.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (FGrid && FSeen && !FPending && FGrid->horizontalHeader()->count() > 0)
                    FWanted = ColumnsOf(*FGrid);
            },
            Qt::QueuedConnection);
    return false;
}

void ColumnKeeper::Apply() {
    if (!FGrid || FGrid->horizontalHeader()->count() == 0) return;
    if (!FSeen) {
        FDefaults = ColumnsOf(*FGrid);
        FSeen = true;
    }
    ApplyColumns(*FGrid, FWanted);
    FPending = false;
}

QStringList ColumnKeeper::Current() const {
    return FSeen && FGrid && FGrid->horizontalHeader()->count() > 0 ? ColumnsOf(*FGrid) : FWanted;
}

void ColumnKeeper::Reset() {
    FWanted = FSeen ? FDefaults : QStringList();
    Apply();
}

} // namespace qm::desk
