#include "grid/grid_header.h"

namespace qm {

void TQmGridHeader::SetTitleHeight(int height) {
    FTitleHeight = height;
    setMinimumHeight(height);
    setMaximumHeight(QWIDGETSIZE_MAX);
    updateGeometry();
}

QSize TQmGridHeader::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    size.setHeight(FTitleHeight + FRoomAbove);
    return size;
}

} // namespace qm
