// A grid shown over the rows a benchmark put in its table, as a window shows it.
#pragma once

#include <QApplication>

#include <memory>

#include "dataset/data_source.h"
#include "dataset/mem_table.h"
#include "grid/db_grid.h"

namespace qm::bench {

// The table's controls were disabled while it was filled: they come back at its first row, and the
// grid paints once before the benchmark starts.
inline std::unique_ptr<TQmDBGrid> ShowGrid(TMemTable& table, TDataSource& source, bool readOnly = false) {
    table.First();
    table.EnableControls();
    source.SetDataSet(&table);
    auto grid = std::make_unique<TQmDBGrid>();
    grid->resize(800, 600);
    grid->SetDataSource(&source);
    grid->SetReadOnly(readOnly);
    grid->show();
    QApplication::processEvents();
    return grid;
}

} // namespace qm::bench
