// The desk reads a grid's rows many at a time from the grid's model: every row must read as its
// cells read one by one through data(), whatever the view and the table are doing.
#include "base/shown_cells.h"
#include "dataset/data_source.h"
#include "dataset/mem_table.h"
#include "grid/db_grid.h"
#include "grid/grid_model.h"
#include "host/desk/grid_table.h"
#include "qt_environment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>

#include <functional>
#include <memory>
#include <string>

namespace qm::desk {
namespace {

const auto* const kQt = ::testing::AddGlobalTestEnvironment(new host::testing::QtEnvironment);

// More rows than one read takes, so that the reads meet at their edges.
constexpr int kRows = 1100;

class DeskRowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        table.FieldDefs().Add("CODE", ftString, 20);
        table.FieldDefs().Add("NAME", ftString, 40);
        table.FieldDefs().Add("AMT", ftInteger);
        table.FieldDefs().Add("DAY", ftDate);
        table.FieldDefs().Add("OK", ftBoolean);
        table.FieldDefs().Add("PRICE", ftFloat);
        table.CreateDataSet();
        table.SetCachedUpdates(true);
        // Texts a QString would not carry through as they are, a separator and a quote, nulls.
        const char* const odd[] = {"\xEF\xBB\xBF带标记", "坏\xFF字节", "a,\"b\"\r\nc", ""};
        for (int i = 0; i < kRows; ++i) {
            table.Append();
            table.FieldByName("CODE")->SetAsString(i % 3 == 0   ? "k1"
                                                   : i % 3 == 1 ? "k2"
                                                                : "k" + std::to_string(i));
            if (i % 7 != 0)
                table.FieldByName("NAME")->SetAsString(i % 50 < 4 ? odd[i % 50] : "名称" + std::to_string(i));
            table.FieldByName("AMT")->SetAsInteger(i % 11 == 0 ? 7 : -i);
            if (i % 5 != 0)
                table.FieldByName("DAY")->SetAsString("2024-0" + std::to_string(1 + i % 9) + "-15");
            table.FieldByName("OK")->SetAsBoolean(i % 2 == 0);
            table.FieldByName("PRICE")->SetAsFloat(i * 1.25);
            table.Post();
        }
        table.MergeChangeLog();
        table.First();
        source.SetDataSet(&table);
        grid = std::make_unique<TQmDBGrid>();
        grid->resize(600, 300);
        grid->SetDataSource(&source);
        for (const char* name : {"CODE", "NAME", "AMT", "DAY", "OK", "PRICE"})
            grid->Columns().Add()->FieldName = name;
        TQmColumn* code = grid->Columns().Items(0);
        code->KeyList = {"k1", "k2"};
        code->PickList = {"甲", "乙"};
        grid->Columns().Items(2)->Checkboxes = true;
        grid->Columns().Items(2)->CheckedValue = "7";
        grid->Columns().Items(4)->Checkboxes = true;
    }
    void TearDown() override { grid.reset(); }

    // Every row as the export reads it against its cells read one by one.
    void ExpectRowsAsCellByCell(const char* what) {
        const GridTable rows(*grid);
        ASSERT_GT(rows.RowCount(), 0u) << what;
        std::vector<std::string_view> cells;
        for (std::size_t r = 0; r < rows.RowCount(); ++r) {
            rows.Row(r, cells);
            ASSERT_EQ(cells.size(), static_cast<std::size_t>(rows.ModelColumns().size())) << what;
            for (std::size_t c = 0; c < cells.size(); ++c) {
                const QByteArray one = rows.Text(static_cast<int>(r), static_cast<int>(c)).toUtf8();
                ASSERT_EQ(cells[c], std::string_view(one.constData(), static_cast<std::size_t>(one.size())))
                    << what << ": row " << r << ", column " << c;
            }
        }
    }

    TMemTable table;
    TDataSource source;
    std::unique_ptr<TQmDBGrid> grid;
};

TEST_F(DeskRowsTest, TheGridsModelHandsOutManyRowsAtOnce) {
    const QMetaObject* meta = grid->model()->metaObject();
    EXPECT_GE(meta->indexOfMethod(shown_cells::kMethod), 0) << "the desk would read the grid cell by cell";
}

TEST_F(DeskRowsTest, RowsReadAsTheirCellsShowWhateverTheViewDoes) {
    const struct {
        const char* what;
        std::function<void()> act;
    } cases[] = {
        {"the table's own order", [] {}},
        {"sorted by a number, descending, and filtered",
         [&] {
             grid->SortBy(5, Qt::DescendingOrder);
             grid->SetFilterText(QStringLiteral("1"));
         }},
        {"columns moved and hidden",
         [&] {
             grid->horizontalHeader()->moveSection(3, 0);
             grid->setColumnHidden(1, true);
         }},
        {"a row being edited, shown through a handler",
         [&] {
             grid->SetFilterText({});
             grid->setColumnHidden(1, false);
             grid->SortBy(1, Qt::AscendingOrder);
             table.FieldByName("NAME")->OnGetText = [](TField* field, std::string& text, bool) {
                 text = "<" + field->AsString() + ">";
             };
             table.SetRecNo(600);
             table.Edit();
             table.FieldByName("NAME")->SetAsString("改,过");
             table.FieldByName("AMT")->SetAsInteger(7);
         }},
        {"a new row, still blank, under a sort",
         [&] {
             grid->SortBy(0, Qt::AscendingOrder);
             table.SetRecNo(3);
             table.Insert();
         }},
    };
    for (const auto& c : cases) {
        c.act();
        ASSERT_GE(grid->Model()->ViewRow(table.RecNo() - 1), 0) << c.what << ": the current row is not shown";
        ExpectRowsAsCellByCell(c.what);
    }
}

} // namespace
} // namespace qm::desk
