#include "grid/find_bar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "grid/db_grid.h"

namespace qm {

TQmFindBar::TQmFindBar(TQmDBGrid& grid) : QFrame(&grid), FGrid(grid) {
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->addWidget(new QLabel(QStringLiteral("查找："), this));
    FEdit = new QLineEdit(this);
    layout->addWidget(FEdit, 1);
    auto* next = new QToolButton(this);
    next->setText(QStringLiteral("下一个"));
    layout->addWidget(next);
    FStatus = new QLabel(this);
    layout->addWidget(FStatus);
    connect(FEdit, &QLineEdit::returnPressed, this, [this] { FindNext(true); });
    connect(next, &QToolButton::clicked, this, [this] { FindNext(true); });
    hide();
}

void TQmFindBar::Open() {
    const int h = sizeHint().height();
    setGeometry(0, FGrid.height() - h, FGrid.width(), h);
    FStatus->clear();
    show();
    raise();
    FEdit->setFocus();
    FEdit->selectAll();
}

void TQmFindBar::FindNext(bool forward) {
    FStatus->setText(FGrid.FindNext(FEdit->text(), forward) ? QString() : QStringLiteral("未找到"));
}

void TQmFindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        FGrid.setFocus();
        return;
    }
    if (event->key() == Qt::Key_F3) {
        FindNext(!(event->modifiers() & Qt::ShiftModifier));
        return;
    }
    // The bar sits inside the grid: a key the edit leaves (Enter, arrows, Ctrl+Delete) would
    // otherwise reach the grid and move, append or delete rows behind the user's back.
    event->accept();
}

} // namespace qm
