// The grid's column header: exactly the title height, with room above it for the filter box. The
// table view lays its viewport out below what the header asks for, so the room is asked for here.
#pragma once

#include <QHeaderView>

namespace qm {

class TQmGridHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit TQmGridHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

    int TitleHeight() const { return FTitleHeight; }
    void SetTitleHeight(int height);
    int RoomAbove() const { return FRoomAbove; }
    void SetRoomAbove(int room) { FRoomAbove = room; }
    QSize sizeHint() const override;

private:
    int FTitleHeight = 20;
    int FRoomAbove = 0;
};

} // namespace qm
