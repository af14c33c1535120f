#include "grid/grid_bar.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "grid/db_grid.h"

namespace qm {

TQmGridBar::TQmGridBar(TQmDBGrid& grid) : QFrame(&grid) {}

void TQmGridBar::WatchKeysOf(QLineEdit* edit) {
    FWatched = edit;
    edit->installEventFilter(this);
}

bool TQmGridBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FWatched &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (OwnKey(key)) {
            // Claimed before the window's shortcuts (取消, 查询) can take it, then acted on.
            if (event->type() == QEvent::KeyPress) ActOnKey(key);
            event->accept();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void TQmGridBar::keyPressEvent(QKeyEvent* event) {
    if (OwnKey(event)) return ActOnKey(event);
    // The bar sits inside the grid: a key the edit leaves (arrows, Ctrl+Delete) would otherwise
    // reach the grid and move, append or delete rows behind the user's back.
    event->accept();
}

} // namespace qm
