// Keeps a grid's columns as the clerk arranged them. A search or a reload resets the grid's model,
// and the grid then lays its columns out afresh; the keeper puts the clerk's widths and order back
// once that is done.
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

class QTableView;

namespace qm::desk {

class ColumnKeeper : public QObject {
public:
    // Lives as long as the grid; `wanted` as ColumnsOf gives it, empty for the grid's own layout.
    ColumnKeeper(QTableView& grid, QStringList wanted);

    // The columns as the clerk has them now (as wanted while the grid shows none).
    QStringList Current() const;
    // The grid's own layout back, as it first showed its columns.
    void Reset();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Apply();

    QPointer<QTableView> FGrid;
    QStringList FWanted;
    QStringList FDefaults;
    bool FSeen = false;    // the grid has shown its columns once, FDefaults holds them
    bool FPending = false; // reset, and FWanted not yet put back
};

} // namespace qm::desk
