#include "host/desk/where_label.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <QStatusBar>
#include <QTableView>

namespace qm::desk {

WhereLabel::WhereLabel(QStatusBar& bar, std::function<QTableView*()> grid)
    : QLabel(&bar), FBar(bar), FGrid(std::move(grid)) {
    setObjectName(QStringLiteral("deskWhere"));
    setContentsMargins(8, 0, 8, 0);
    bar.addPermanentWidget(this);
    Refresh();
}

bool WhereLabel::GridEditable() const {
    // The form opens its grid for typing only while adding or changing rows.
    QTableView* grid = FGrid();
    if (!grid || !grid->model()) return false;
    const QAbstractItemModel& model = *grid->model();
    const int row = std::max(0, grid->currentIndex().row());
    for (int column = 0; column < model.columnCount() && row < model.rowCount(); ++column)
        if (model.flags(model.index(row, column)) & Qt::ItemIsEditable) return true;
    return false;
}

void WhereLabel::CommandRan(std::string_view name) {
    const State before = FState;
    if (!GridEditable())
        FState = State::Browse;
    else if (name == "new")
        FState = State::Insert;
    else if (name == "update")
        FState = State::Edit;
    else if (FState == State::Browse)
        FState = State::Edit; // editable without a command of ours: say so rather than 浏览
    Refresh();
    if (FState == before) return;
    if (FState != State::Browse)
        FBar.showMessage(Note(FState));
    else if (name == "cancel")
        FBar.showMessage(CancelNote());
}

QString WhereLabel::Note(State state) {
    return QString::fromUtf8(state == State::Insert ? "新增：填好新行后按“保存”，按“取消”放弃"
                                                    : "修改：改好后按“保存”，按“取消”放弃");
}

QString WhereLabel::CancelNote() {
    return QString::fromUtf8("已取消，未保存的修改已撤销");
}

void WhereLabel::FollowForm() {
    FFollowQueued = false;
    if (FState == State::Browse || GridEditable()) return;
    // The form left adding or changing on its own: Esc in an untouched cell is its 取消.
    FState = State::Browse;
    Refresh();
    FBar.showMessage(CancelNote());
}

void WhereLabel::Watch(QTableView* grid) {
    if (grid == FWatched) return;
    FWatched = grid;
    if (!grid) return;
    const auto refresh = [this] { Refresh(); };
    QAbstractItemModel* model = grid->model();
    connect(model, &QAbstractItemModel::modelReset, this, refresh);
    connect(model, &QAbstractItemModel::rowsInserted, this, refresh);
    connect(model, &QAbstractItemModel::rowsRemoved, this, refresh);
    connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, this, refresh);
}

void WhereLabel::Refresh() {
    QTableView* grid = FGrid();
    Watch(grid);
    if (!grid) {
        FState = State::Browse;
        setText(QString());
        return;
    }
    static const char* const kStates[] = {"浏览", "修改", "新增"};
    const int rows = grid->model() ? grid->model()->rowCount() : 0;
    const int row = grid->currentIndex().isValid() ? grid->currentIndex().row() + 1 : 0;
    QString text = QString::fromUtf8(kStates[static_cast<int>(FState)]) + QStringLiteral("　");
    text +=
        rows == 0 ? QString::fromUtf8("共 0 条") : QString::fromUtf8("第 %1 条，共 %2 条").arg(row).arg(rows);
    setText(text);
    // Whether the grid still takes typing is known once what moved the rows has finished.
    if (FState != State::Browse && !FFollowQueued) {
        FFollowQueued = true;
        QMetaObject::invokeMethod(this, &WhereLabel::FollowForm, Qt::QueuedConnection);
    }
}

} // namespace qm::desk
