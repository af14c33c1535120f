// The grid's find bar: looks for a text in the current column. While it has the focus it answers
// its own keys (Esc, Enter, F3, Shift+F3) before the window's shortcuts see them.
#pragma once

#include "grid/grid_bar.h"

class QLineEdit;
class QLabel;
class QToolButton;

namespace qm {

class TQmDBGrid;

class TQmFindBar : public TQmGridBar {
    Q_OBJECT
public:
    explicit TQmFindBar(TQmDBGrid& grid);

    void Open();
    // Hides the bar and gives the focus back to the grid's current cell.
    void Close();
    QLineEdit* Edit() const { return FEdit; }
    QLabel* Status() const { return FStatus; }

private:
    void FindNext(bool forward);
    // The keys the bar acts on itself: Esc closes, Enter and F3 find on (Shift: back).
    bool OwnKey(const QKeyEvent* key) const override;
    void ActOnKey(const QKeyEvent* key) override;

    TQmDBGrid& FGrid;
    QLineEdit* FEdit;
    QLabel* FStatus;
    QToolButton* FClose;
};

} // namespace qm
