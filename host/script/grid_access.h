// Finding the module's grid among the workspace's widgets and reaching its cells through the
// model, as a user's edits would.
#pragma once

#include <QString>

class QAbstractItemView;
class QWidget;

namespace qm::host {

// The first visible item view under `root` whose model has columns; null when none.
QAbstractItemView* FindGrid(QWidget* root);
// The column whose header names the field (Qt::UserRole), or whose label is `field`; -1 if none.
int FindFieldColumn(const QAbstractItemView* grid, const QString& field);
// The current row, or the first row when none is current; -1 for an empty grid.
int CurrentRow(const QAbstractItemView* grid);

} // namespace qm::host
