// The grid's filter box, above its rows: keeps the rows that show the typed text in any visible
// column, and says how many are shown of how many. Esc clears it and gives the rows back the focus.
#pragma once

#include "grid/grid_bar.h"

class QLineEdit;
class QLabel;

namespace qm {

class TQmDBGrid;

class TQmFilterBar : public TQmGridBar {
    Q_OBJECT
public:
    explicit TQmFilterBar(TQmDBGrid& grid);

    void Open();
    // Clears the filter, hides the bar and gives the focus back to the grid.
    void Close();
    QLineEdit* Edit() const { return FEdit; }
    QLabel* Status() const { return FStatus; }
    // Follows a filter set by code: the text shown, the counts, and the bar shown while one is set.
    void ShowFilter(const QString& text, const QString& status);

private:
    bool OwnKey(const QKeyEvent* key) const override;
    void ActOnKey(const QKeyEvent* key) override;

    TQmDBGrid& FGrid;
    QLineEdit* FEdit;
    QLabel* FStatus;
};

} // namespace qm
