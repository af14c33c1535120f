#include "host/desk/layout_memory.h"

#include <QHeaderView>
#include <QMainWindow>
#include <QSettings>
#include <QTableView>
#include <QUrl>

namespace qm::desk {

LayoutMemory::LayoutMemory(QString settingsPath, QString user)
    : FPath(std::move(settingsPath)),
      // A user name is one key level, whatever it holds.
      FGroup(QStringLiteral("Layout/") +
             QString::fromLatin1(QUrl::toPercentEncoding(user.isEmpty() ? "-" : user))) {}

QString LayoutMemory::Key(const char* name) const {
    return FGroup + "/" + name;
}

bool LayoutMemory::RestoreWindow(QMainWindow& window) const {
    const QSettings file(FPath, QSettings::IniFormat);
    const QByteArray geometry = file.value(Key("geometry")).toByteArray();
    return !geometry.isEmpty() && window.restoreGeometry(geometry);
}

void LayoutMemory::SaveWindow(const QMainWindow& window) const {
    QSettings file(FPath, QSettings::IniFormat);
    file.setValue(Key("geometry"), window.saveGeometry());
}

QString ColumnName(const QTableView& grid, int column) {
    const QAbstractItemModel* model = grid.model();
    const QString field = model->headerData(column, Qt::Horizontal, Qt::UserRole).toString();
    return field.isEmpty() ? model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString() : field;
}

void LayoutMemory::SaveColumns(const QTableView& grid) const {
    const QHeaderView* header = grid.horizontalHeader();
    QStringList columns;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        columns << ColumnName(grid, column) + ":" + QString::number(header->sectionSize(column));
    }
    QSettings file(FPath, QSettings::IniFormat);
    file.setValue(Key("columns"), columns);
}

bool LayoutMemory::HasColumns() const {
    const QSettings file(FPath, QSettings::IniFormat);
    return file.contains(Key("columns"));
}

void LayoutMemory::RestoreColumns(QTableView& grid) const {
    const QSettings file(FPath, QSettings::IniFormat);
    const QStringList columns = file.value(Key("columns")).toStringList();
    QHeaderView* header = grid.horizontalHeader();
    int visual = 0;
    for (const QString& entry : columns) {
        const qsizetype colon = entry.lastIndexOf(':');
        if (colon <= 0) continue;
        const QString name = entry.left(colon);
        bool ok = false;
        const int width = entry.mid(colon + 1).toInt(&ok);
        for (int column = 0; column < header->count(); ++column) {
            if (ColumnName(grid, column) != name) continue;
            header->moveSection(header->visualIndex(column), visual++);
            if (ok && width > 0) header->resizeSection(column, width);
            break;
        }
    }
}

void LayoutMemory::Forget() const {
    QSettings file(FPath, QSettings::IniFormat);
    file.remove(FGroup);
}

} // namespace qm::desk
