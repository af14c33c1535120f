#include "grid/find_bar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "grid/db_grid.h"

namespace qm {

TQmFindBar::TQmFindBar(TQmDBGrid& grid) : TQmGridBar(grid), FGrid(grid) {
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->addWidget(new QLabel(QStringLiteral("查找："), this));
    FEdit = new QLineEdit(this);
    WatchKeysOf(FEdit);
    layout->addWidget(FEdit, 1);
    auto* next = new QToolButton(this);
    next->setText(QStringLiteral("下一个"));
    next->setToolTip(QStringLiteral("下一个 (Enter, F3)；上一个 (Shift+F3)"));
    layout->addWidget(next);
    FStatus = new QLabel(this);
    layout->addWidget(FStatus);
    FClose = new QToolButton(this);
    FClose->setObjectName(QStringLiteral("findClose"));
    FClose->setText(QStringLiteral("×"));
    FClose->setToolTip(QStringLiteral("关闭 (Esc)"));
    FClose->setAutoRaise(true);
    layout->addWidget(FClose);
    connect(next, &QToolButton::clicked, this, [this] { FindNext(true); });
    connect(FClose, &QToolButton::clicked, this, [this] { Close(); });
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

void TQmFindBar::Close() {
    // The grid takes the focus before the bar hides: hiding the focus widget would walk the focus
    // chain, which in the grid is a move to the next cell.
    FGrid.setFocus(Qt::OtherFocusReason);
    hide();
}

void TQmFindBar::FindNext(bool forward) {
    FStatus->setText(FGrid.FindNext(FEdit->text(), forward) ? QString() : QStringLiteral("未找到"));
}

bool TQmFindBar::OwnKey(const QKeyEvent* key) const {
    const Qt::KeyboardModifiers mods = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (mods != Qt::NoModifier) return false;
    switch (key->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F3:
        return true;
    default:
        return false;
    }
}

void TQmFindBar::ActOnKey(const QKeyEvent* key) {
    if (key->key() == Qt::Key_Escape)
        Close();
    else
        FindNext(!(key->modifiers() & Qt::ShiftModifier));
}

} // namespace qm
