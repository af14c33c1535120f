#include "grid/filter_bar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>

#include "grid/db_grid.h"

namespace qm {

TQmFilterBar::TQmFilterBar(TQmDBGrid& grid) : TQmGridBar(grid), FGrid(grid) {
    setObjectName(QStringLiteral("filterBar"));
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->addWidget(new QLabel(QStringLiteral("筛选："), this));
    FEdit = new QLineEdit(this);
    FEdit->setObjectName(QStringLiteral("filterEdit"));
    FEdit->setClearButtonEnabled(true);
    FEdit->setPlaceholderText(QStringLiteral("输入要保留的行所含的文字"));
    WatchKeysOf(FEdit);
    layout->addWidget(FEdit, 1);
    FStatus = new QLabel(this);
    FStatus->setObjectName(QStringLiteral("filterStatus"));
    layout->addWidget(FStatus);
    auto* close = new QToolButton(this);
    close->setText(QStringLiteral("×"));
    close->setToolTip(QStringLiteral("清除筛选 (Esc)"));
    close->setAutoRaise(true);
    layout->addWidget(close);
    connect(FEdit, &QLineEdit::textChanged, this, [this](const QString& text) { FGrid.SetFilterText(text); });
    connect(close, &QToolButton::clicked, this, [this] { Close(); });
    hide();
}

void TQmFilterBar::Open() {
    if (isHidden()) {
        show();
        FGrid.LayOutBars();
    }
    FEdit->setFocus(Qt::ShortcutFocusReason);
    FEdit->selectAll();
}

void TQmFilterBar::Close() {
    // The grid takes the focus before the bar hides: hiding the focus widget would walk the focus
    // chain, which in the grid is a move to the next cell.
    FGrid.setFocus(Qt::OtherFocusReason);
    FGrid.SetFilterText(QString());
    hide();
    FGrid.LayOutBars();
}

void TQmFilterBar::ShowFilter(const QString& text, const QString& status) {
    if (FEdit->text() != text) {
        const QSignalBlocker quiet(FEdit);
        FEdit->setText(text);
    }
    FStatus->setText(status);
    if (!text.isEmpty() && isHidden()) {
        show();
        FGrid.LayOutBars();
    }
}

bool TQmFilterBar::OwnKey(const QKeyEvent* key) const {
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (mods != Qt::NoModifier) return false;
    switch (key->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
        return true;
    default:
        return false;
    }
}

void TQmFilterBar::ActOnKey(const QKeyEvent* key) {
    if (key->key() == Qt::Key_Escape)
        Close();
    else
        FGrid.setFocus(Qt::OtherFocusReason); // the filter stays; the clerk works in the rows kept
}

} // namespace qm
