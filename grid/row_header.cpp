#include "grid/row_header.h"

#include <algorithm>

namespace qm {

namespace {
// About a millisecond of page faults a piece.
constexpr int kSectionsAPiece = 32768;
} // namespace

TQmRowHeader::TQmRowHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {
    // A click on a row's header chooses the row, as the table view's own header does.
    setSectionsClickable(true);
}

bool TQmRowHeader::MakeSections(int count) {
    const int made = this->count();
    if (made >= count) return false;
    const int to = std::min(count, made + kSectionsAPiece);
    initializeSections(made, to - 1);
    return to < count;
}

} // namespace qm
