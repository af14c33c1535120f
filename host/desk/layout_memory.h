// The window's geometry and the grid's column widths and order, kept per user in the settings file
// under [Layout] and put back at the next start.
#pragma once

#include <QByteArray>
#include <QString>

class QMainWindow;
class QTableView;

namespace qm::desk {

class LayoutMemory {
public:
    LayoutMemory(QString settingsPath, QString user);

    // The geometry kept for the user; false when none was kept.
    bool RestoreWindow(QMainWindow& window) const;
    void SaveWindow(const QMainWindow& window) const;

    // Column widths and order by field name: columns the grid no longer has are passed over.
    void RestoreColumns(QTableView& grid) const;
    void SaveColumns(const QTableView& grid) const;
    bool HasColumns() const;

    // Forgets everything kept for the user.
    void Forget() const;

private:
    QString Key(const char* name) const;
    QString FPath;
    QString FGroup;
};

// The name a column is kept by: its field name, else its label.
QString ColumnName(const QTableView& grid, int column);

} // namespace qm::desk
