// The grid's find bar: looks for a text in the current column.
#pragma once

#include <QFrame>

class QLineEdit;
class QLabel;

namespace qm {

class TQmDBGrid;

class TQmFindBar : public QFrame {
    Q_OBJECT
public:
    explicit TQmFindBar(TQmDBGrid& grid);

    void Open();
    QLineEdit* Edit() const { return FEdit; }
    QLabel* Status() const { return FStatus; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FindNext(bool forward);

    TQmDBGrid& FGrid;
    QLineEdit* FEdit;
    QLabel* FStatus;
};

} // namespace qm
