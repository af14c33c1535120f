// A small table behind a shown grid, and the dialog library answering the grid's questions.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <memory>
#include <string>

#include "dataset/data_source.h"
#include "dataset/mem_table.h"
#include "dialog/dialog_api.h"
#include "grid/db_grid.h"
#include "grid/grid_model.h"
#include "plugin/globals.h"

namespace qm::gridtest {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "grid_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Routes CallMessageBox to build/bin/dialog.dll with its answer queue.
class Boxes {
public:
    Boxes() {
        // dialog.dll is built into the build's bin/ unless QM_BIN_DIR says otherwise.
        const char* bin = std::getenv("QM_BIN_DIR");
        FFolder = std::string(bin && *bin ? bin : QM_TEST_BIN_DIR) + "/";
        FLoaded = FApi.Load(FFolder);
        FPath = SysAllocStringUtf8(FFolder);
        FContext.AppPath = FPath;
        SetHostContext(&FContext);
        if (FLoaded) {
            FApi.ClearQueue();
            FApi.SetStrict(1);
        }
    }
    ~Boxes() {
        SetHostContext(nullptr);
        if (FLoaded) {
            FApi.ClearQueue();
            FApi.SetStrict(0);
        }
        SysFreeString(FPath);
    }
    bool Loaded() const { return FLoaded; }
    // Without a host context no box can be shown: every question reads as no.
    void Detach() { SetHostContext(nullptr); }
    void Attach() { SetHostContext(&FContext); }
    dialog::DialogApi& Api() { return FApi; }

private:
    std::string FFolder;
    dialog::DialogApi FApi;
    bool FLoaded = false;
    BSTR FPath = nullptr;
    THostContext FContext{};
};

class GridTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        table.FieldDefs().Add("CODE", ftString, 10);
        table.FieldDefs().Add("NAME", ftString, 20);
        table.FieldDefs().Add("AMT", ftInteger);
        table.CreateDataSet();
        source.SetDataSet(&table);
        grid = std::make_unique<TQmDBGrid>();
        grid->resize(400, 300);
        grid->SetDataSource(&source);
    }
    void TearDown() override { grid.reset(); }

    void Fill(int rows) {
        table.DisableControls();
        for (int i = 1; i <= rows; ++i) {
            table.Append();
            table.FieldByName("CODE")->SetAsString("C" + std::to_string(i));
            table.FieldByName("NAME")->SetAsString("name " + std::to_string(i));
            table.FieldByName("AMT")->SetAsInteger(i * 10);
            table.Post();
        }
        table.First();
        table.EnableControls();
    }
    std::string Cell(int row, int column) const {
        return grid->Model()->index(row, column).data().toString().toStdString();
    }
    void ShowFocused() {
        grid->show();
        grid->activateWindow();
        QApplication::setActiveWindow(grid.get());
        grid->setFocus();
        QApplication::processEvents();
    }

    TMemTable table;
    TDataSource source;
    std::unique_ptr<TQmDBGrid> grid;
};

} // namespace qm::gridtest
