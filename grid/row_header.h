// The grid's row header: the current row's marker and the row numbers, every row of one height.
// A reset that brings a million rows makes a million sections in one go, on fresh memory: tens of
// milliseconds in which the window answers nothing. Made ahead, a piece at a time with messages
// running between, they are there when the reset comes and it has none left to make.
#pragma once

#include <QHeaderView>

namespace qm {

class TQmRowHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit TQmRowHeader(QWidget* parent);

    // Makes the next piece of sections towards `count`; false once there are that many.
    bool MakeSections(int count);
    // One section per row of the model again.
    void FitRows() { initializeSections(); }
};

} // namespace qm
