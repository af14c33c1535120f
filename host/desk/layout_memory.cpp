#include "host/desk/layout_memory.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QMainWindow>
#include <QSettings>
#include <QTableView>
#include <QUrl>

namespace qm::desk {

QString LayoutPath(const QString& settingsPath) {
    return QFileInfo(settingsPath).dir().filePath(QStringLiteral("qmhost-layout.conf"));
}

LayoutMemory::LayoutMemory(QString path, QString user)
    : FPath(std::move(path)),
      // A user name is one key level, whatever it holds.
      FGroup(QStringLiteral("Layout/") +
             QString::fromLatin1(QUrl::toPercentEncoding(user.isEmpty() ? "-" : user))) {}

QString LayoutMemory::Key(const QString& name) const {
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

QStringList LayoutMemory::Columns() const {
    return QSettings(FPath, QSettings::IniFormat).value(Key("columns")).toStringList();
}

void LayoutMemory::KeepColumns(const QStringList& columns) const {
    QSettings file(FPath, QSettings::IniFormat);
    if (columns.isEmpty())
        file.remove(Key("columns"));
    else
        file.setValue(Key("columns"), columns);
}

QString LayoutMemory::Text(const QString& name) const {
    return QSettings(FPath, QSettings::IniFormat).value(Key("view/" + name)).toString();
}

void LayoutMemory::KeepText(const QString& name, const QString& value) const {
    QSettings file(FPath, QSettings::IniFormat);
    if (value.isEmpty())
        file.remove(Key("view/" + name));
    else
        file.setValue(Key("view/" + name), value);
}

void LayoutMemory::Forget() const {
    QSettings file(FPath, QSettings::IniFormat);
    file.remove(FGroup);
}

QString ColumnName(const QTableView& grid, int column) {
    const QAbstractItemModel* model = grid.model();
    const QString field = model->headerData(column, Qt::Horizontal, Qt::UserRole).toString();
    return field.isEmpty() ? model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString() : field;
}

QStringList ColumnsOf(const QTableView& grid) {
    const QHeaderView* header = grid.horizontalHeader();
    QStringList columns;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        columns << ColumnName(grid, column) + ":" + QString::number(header->sectionSize(column));
    }
    return columns;
}

void ApplyColumns(QTableView& grid, const QStringList& columns) {
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

} // namespace qm::desk
