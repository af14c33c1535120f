#include "host/script/grid_access.h"

#include <QAbstractItemView>
#include <QWidget>

namespace qm::host {

QAbstractItemView* FindGrid(QWidget* root) {
    if (!root) return nullptr;
    for (QAbstractItemView* view : root->findChildren<QAbstractItemView*>())
        if (view->isVisibleTo(root) && view->model() && view->model()->columnCount() > 0) return view;
    return nullptr;
}

int FindFieldColumn(const QAbstractItemView* grid, const QString& field) {
    const QAbstractItemModel* model = grid->model();
    for (int c = 0; c < model->columnCount(); ++c)
        if (model->headerData(c, Qt::Horizontal, Qt::UserRole)
                .toString()
                .compare(field, Qt::CaseInsensitive) == 0)
            return c;
    for (int c = 0; c < model->columnCount(); ++c)
        if (model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString() == field) return c;
    return -1;
}

int CurrentRow(const QAbstractItemView* grid) {
    const int rows = grid->model()->rowCount();
    if (rows == 0) return -1;
    const int row = grid->currentIndex().row();
    return row >= 0 && row < rows ? row : 0;
}

} // namespace qm::host
