// A bar inside the grid (find, filter) whose edit answers its own keys before the window's
// shortcuts see them, and which keeps every other key from reaching the rows behind it.
#pragma once

#include <QFrame>

class QKeyEvent;
class QLineEdit;

namespace qm {

class TQmDBGrid;

class TQmGridBar : public QFrame {
    Q_OBJECT
protected:
    explicit TQmGridBar(TQmDBGrid& grid);
    // The edit whose keys the bar claims.
    void WatchKeysOf(QLineEdit* edit);
    virtual bool OwnKey(const QKeyEvent* key) const = 0;
    virtual void ActOnKey(const QKeyEvent* key) = 0;

    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* FWatched = nullptr;
};

} // namespace qm
