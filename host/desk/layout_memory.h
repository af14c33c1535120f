// The window's geometry, the grid's column widths and order and whatever else of the view a clerk
// arranges, kept per user and put back at the next start. A file of its own beside the settings
// file: the settings file is the clerk's to write, and keeps its comments and layout.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QMainWindow;
class QTableView;

namespace qm::desk {

// qmhost-layout.conf in the settings file's folder.
QString LayoutPath(const QString& settingsPath);

class LayoutMemory {
public:
    LayoutMemory(QString path, QString user);

    // The geometry kept for the user; false when none was kept.
    bool RestoreWindow(QMainWindow& window) const;
    void SaveWindow(const QMainWindow& window) const;

    // Columns as "name:width" in their shown order.
    QStringList Columns() const;
    void KeepColumns(const QStringList& columns) const;

    // A piece of the view by name (a sort, a filter); empty when none was kept.
    QString Text(const QString& name) const;
    void KeepText(const QString& name, const QString& value) const;

    // Forgets everything kept for the user.
    void Forget() const;

private:
    QString Key(const QString& name) const;
    QString FPath;
    QString FGroup;
};

// The name a column is kept by: its field name, else its label.
QString ColumnName(const QTableView& grid, int column);

// The grid's columns as "name:width" in their shown order, and put back so: columns the grid no
// longer has are passed over, those not named stay after the named ones.
QStringList ColumnsOf(const QTableView& grid);
void ApplyColumns(QTableView& grid, const QStringList& columns);

} // namespace qm::desk
