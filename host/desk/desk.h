// The clerk's desk around the module's form: export, print, the remembered layout, help and
// icons that suit the palette. It reads the form's grid through its item model only.
#pragma once

#include "host/desk/layout_memory.h"
#include "host/desk/table_export.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QTableView;

namespace qm::host {
class MainWindow;
}

namespace qm::desk {

class ColumnKeeper;
class WhereLabel;

class Desk : public QObject {
public:
    explicit Desk(host::MainWindow& window);
    ~Desk() override;

    // Who works and on which store (a server's address is shown without its password); puts back
    // the window's kept geometry or sizes it for the screen.
    void Begin(const std::string& user, const std::string& store);
    // The module's form is open: its kept column layout comes back, and the window keeps room for
    // it while it is there.
    void FormOpened();
    // The form goes: what the clerk arranged is kept, and the window may shrink again.
    void FormClosing();

    // The shown grid of the open form, or null.
    QTableView* Grid() const;

    // The shown rows to a file (format from the extension). Past 10,000 rows a progress bar shows
    // and may cancel. A failure goes to the window's error bar; returns what happened.
    ExportResult Export(const std::string& path);
    // The shown rows as a PDF, through the same pages as printing; false (with the reason) on failure.
    bool PrintPdf(const std::string& path, std::string& why);
    // Asks for a file, then exports or prints to PDF; opens the print preview.
    void ExportAsked();
    void PdfAsked();
    void PreviewAsked();

    // Keeps the geometry and column layout now, and puts the defaults back.
    void SaveLayout();
    void RestoreDefaultLayout();

    // A piece of the view the clerk chooses (the grid's sort, its filter), kept with the layout:
    // `Save` tells it as text, `Restore` puts it back when a form opens (an empty text: the
    // default, also after 恢复默认布局).
    struct ViewPiece {
        QString Name;
        std::function<QString()> Save;
        std::function<void(const QString&)> Restore;
    };
    void AddViewPiece(ViewPiece piece);

    // The manual shipped with the program; empty when it is not there.
    static QString ManualPath();
    QString AboutText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void SizeForScreen();
    void KeepRoomForForm();
    bool HaveRows(const char* what);
    void FocusGrid();
    QString Title() const;

    host::MainWindow& FWindow;
    std::string FUser;
    std::string FStore;
    std::unique_ptr<LayoutMemory> FLayout;
    QPointer<QTableView> FLaidOutGrid;
    QPointer<ColumnKeeper> FColumns;
    QPointer<WhereLabel> FWhere;
    std::vector<ViewPiece> FPieces;
};

} // namespace qm::desk
