// The clerk's desk around the module's form: export, print, the remembered layout, help and
// icons that suit the palette. It reads the form's grid through its item model only.
#pragma once

#include "host/desk/layout_memory.h"
#include "host/desk/table_export.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>

#include <memory>
#include <string>

class QAction;
class QTableView;

namespace qm::host {
class MainWindow;
}

namespace qm::desk {

class Desk : public QObject {
public:
    explicit Desk(host::MainWindow& window);
    ~Desk() override;

    // Who works and on which store (a server's address is shown without its password); puts back
    // the window's kept geometry or sizes it for the screen.
    void Begin(const std::string& user, const std::string& store);
    // The module's form is open: its kept column layout comes back, and the window keeps room for it.
    void FormOpened();

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
    QByteArray FDefaultColumns;
};

} // namespace qm::desk
