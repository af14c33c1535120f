// The status bar's lasting part: the form's state (浏览 / 修改 / 新增) and "第 N 条，共 M 条",
// with a short note when the clerk starts adding, starts changing or cancels.
#pragma once

#include <QLabel>
#include <QPointer>

#include <functional>
#include <string_view>

class QStatusBar;
class QTableView;

namespace qm::desk {

class WhereLabel : public QLabel {
public:
    // `grid` finds the shown grid, or null.
    WhereLabel(QStatusBar& bar, std::function<QTableView*()> grid);

    // A command of the form has run: the state follows what it was and what the grid now allows.
    void CommandRan(std::string_view name);
    // Follows the current row and the row count of the shown grid.
    void Refresh();

private:
    enum class State { Browse, Edit, Insert };
    void Watch(QTableView* grid);
    bool GridEditable() const;
    // Browsing again when the grid no longer takes typing, however the form got there.
    void FollowForm();
    static QString Note(State state); // said on entering 新增 or 修改
    static QString CancelNote();

    QStatusBar& FBar;
    std::function<QTableView*()> FGrid;
    QPointer<QTableView> FWatched;
    State FState = State::Browse;
    bool FFollowQueued = false;
};

} // namespace qm::desk
