// Sample rows behind a shown grid, for the orders and filters of the view.
#pragma once

#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <string>
#include <vector>

#include "grid/cell_editor.h"
#include "grid/grid_delegate.h"
#include "grid_fixture.h"

namespace qm::gridtest {

using Names = std::vector<std::string>;

class ViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        table.FieldDefs().Add("NAME", ftString, 20);
        table.FieldDefs().Add("AMT", ftInteger);
        table.FieldDefs().Add("DAY", ftDate);
        table.CreateDataSet();
        table.SetCachedUpdates(true);
        source.SetDataSet(&table);
        grid = std::make_unique<TQmDBGrid>();
        grid->resize(500, 300);
        grid->SetDataSource(&source);
    }
    void TearDown() override { grid.reset(); }

    void Add(const char* name, int amount, const char* day) {
        table.Append();
        table.FieldByName("NAME")->SetAsString(name);
        table.FieldByName("AMT")->SetAsInteger(amount);
        table.FieldByName("DAY")->SetAsString(day);
        table.Post();
    }
    void FillSample() {
        Add("张三", 9, "2024-01-05");
        Add("李四", 100, "2023-12-31");
        Add("阿明", 10, "2024-01-10");
        Add("王五", 10, "2022-06-01");
        table.MergeChangeLog();
        table.First();
    }
    void Show() {
        grid->show();
        grid->activateWindow();
        QApplication::setActiveWindow(grid.get());
        grid->setFocus();
        QApplication::processEvents();
    }
    void ClickHeader(int column) {
        QHeaderView* header = grid->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QApplication::processEvents();
    }
    // The names as shown, top to bottom.
    std::vector<std::string> Shown(int column = 0) const {
        std::vector<std::string> out;
        for (int row = 0; row < grid->Model()->rowCount(); ++row)
            out.push_back(grid->Model()->index(row, column).data().toString().toStdString());
        return out;
    }
    // The names in the table's own order.
    std::vector<std::string> Stored() const {
        std::vector<std::string> out;
        for (int pos = 0; pos < table.RecordCount(); ++pos)
            out.push_back(table.TextAt(pos, 0));
        return out;
    }
    QLineEdit* Editor() const {
        QApplication::processEvents();
        auto* delegate = static_cast<TQmGridDelegate*>(grid->itemDelegate());
        TQmCellEditor* cell = delegate->OpenEditor();
        return cell ? cell->LineEdit() : nullptr;
    }

    TMemTable table;
    TDataSource source;
    std::unique_ptr<TQmDBGrid> grid;
};

} // namespace qm::gridtest
