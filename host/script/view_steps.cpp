#include "host/script/view_steps.h"

#include <QAbstractItemView>
#include <QStringList>

#include "host/script/grid_access.h"
#include "host/script/script.h"

namespace qm::host {

namespace {

bool Sort(QAbstractItemView& grid, const ScriptStep& step, std::string& why) {
    const int column = FindFieldColumn(&grid, QString::fromStdString(step.Args[0]));
    if (column < 0) {
        why = "the grid has no field '" + step.Args[0] + "'";
        return false;
    }
    const std::string& way = step.Args[1];
    if (way != "asc" && way != "desc" && way != "none") {
        why = "write 'sort FIELD asc', 'desc' or 'none'";
        return false;
    }
    QAbstractItemModel* model = grid.model();
    model->sort(way == "none" ? -1 : column, way == "desc" ? Qt::DescendingOrder : Qt::AscendingOrder);
    const int shownColumn = model->property("sortColumn").toInt();
    if (shownColumn != (way == "none" ? -1 : column)) {
        why = "the grid kept its order (an edit it refused?)";
        return false;
    }
    return true;
}

bool Filter(QAbstractItemView& grid, const ScriptStep& step, std::string& why) {
    const QString text = QString::fromStdString(step.Args.empty() ? std::string() : step.Args[0]);
    QAbstractItemModel* model = grid.model();
    if (!model->setProperty("filterText", text) || model->property("filterText").toString() != text) {
        why = "the grid kept its filter (an edit it refused?)";
        return false;
    }
    return true;
}

bool ExpectOrder(QAbstractItemView& grid, const ScriptStep& step, std::string& why) {
    const int column = FindFieldColumn(&grid, QString::fromStdString(step.Args[0]));
    if (column < 0) {
        why = "the grid has no field '" + step.Args[0] + "'";
        return false;
    }
    const QStringList want = QString::fromStdString(step.Args[1]).split(QLatin1Char(','));
    const QAbstractItemModel* model = grid.model();
    QStringList shown;
    for (int row = 0; row < model->rowCount() && row < want.size(); ++row)
        shown << model->index(row, column).data(Qt::DisplayRole).toString();
    if (shown != want) {
        why = step.Args[0] + " shows " + shown.join(QLatin1Char(',')).toStdString() + " from the first row";
        return false;
    }
    return true;
}

} // namespace

bool IsViewStep(const std::string& verb) {
    return verb == "sort" || verb == "filter" || verb == "expect-order";
}

bool RunViewStep(QAbstractItemView& grid, const ScriptStep& step, std::string& why) {
    if (step.Verb == "sort") return Sort(grid, step, why);
    if (step.Verb == "filter") return Filter(grid, step, why);
    return ExpectOrder(grid, step, why);
}

} // namespace qm::host
