#include "grid_fixture.h"

#include "grid/row_text.h"

namespace qm::gridtest {
namespace {

using ModelTest = GridTest;

struct RowCountCase {
    const char* what;
    int rows;
    std::function<void(TMemTable&)> change;
    int expected;
};

TEST_F(ModelTest, RowCountFollowsTheTable) {
    const RowCountCase cases[] = {
        {"append", 3,
         [](TMemTable& t) {
             t.Append();
             t.FieldByName("CODE")->SetAsString("X");
             t.Post();
         },
         4},
        {"delete", 3,
         [](TMemTable& t) {
             t.SetRecNo(2);
             t.Delete();
         },
         2},
        {"filter", 4,
         [](TMemTable& t) {
             t.SetFilter("CODE=C2");
             t.SetFiltered(true);
         },
         1},
        {"reload of many rows", 0,
         [](TMemTable& t) {
             t.DisableControls();
             for (int i = 0; i < 1500; ++i) {
                 t.Append();
                 t.FieldByName("AMT")->SetAsInteger(i);
                 t.Post();
             }
             t.EnableControls();
         },
         1500},
        {"empty", 5,
         [](TMemTable& t) {
             t.EmptyTable();
             t.Close();
             t.Open();
         },
         0},
    };
    for (const RowCountCase& c : cases) {
        table.SetFiltered(false);
        table.Close();
        table.Open();
        Fill(c.rows);
        c.change(table);
        EXPECT_EQ(grid->Model()->rowCount(), c.expected) << c.what;
        EXPECT_EQ(grid->Model()->rowCount(), table.RecordCount()) << c.what;
    }
}

// A move or a change of state announces the rows whose marker changes, not every row.
TEST_F(ModelTest, MarkerChangesAnnounceOnlyTheRowsThatShowIt) {
    Fill(1000);
    int announced = 0;
    QObject::connect(grid->Model(), &QAbstractItemModel::headerDataChanged,
                     [&](Qt::Orientation orientation, int first, int last) {
                         if (orientation == Qt::Vertical) announced += last - first + 1;
                     });
    table.Next();
    table.Edit();
    table.Cancel();
    table.Last();
    EXPECT_LE(announced, 8);
    auto header = [&](int row) {
        return grid->Model()->headerData(row, Qt::Vertical).toString().toStdString();
    };
    EXPECT_EQ(header(1), "2");
    EXPECT_EQ(header(999), "\u25B61000");
}

TEST_F(ModelTest, DataReadsTheCurrentAndOtherRows) {
    Fill(5);
    table.SetRecNo(3);
    EXPECT_EQ(Cell(2, 0), "C3");
    EXPECT_EQ(Cell(2, 2), "30");
    if (!gridimpl::CanReadAnyRow())
        GTEST_SKIP() << "the table offers no read of a row other than the current one";
    EXPECT_EQ(Cell(0, 1), "name 1");
    EXPECT_EQ(Cell(4, 2), "50");
    EXPECT_EQ(table.RecNo(), 3) << "reading moved the cursor";
}

TEST_F(ModelTest, HeaderCarriesTitleAndFieldName) {
    TQmColumn* column = grid->Columns().Add();
    column->FieldName = "NAME";
    column->Title.Caption = "名称";
    column->Title.Alignment = taCenter;
    auto* model = grid->Model();
    ASSERT_EQ(model->columnCount(), 1);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("名称"));
    EXPECT_EQ(model->headerData(0, Qt::Horizontal, TQmGridModel::FieldNameRole).toString(),
              QStringLiteral("NAME"));
    EXPECT_EQ(model->headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
}

TEST_F(ModelTest, ColumnsDecideEditingAndPresentation) {
    Fill(2);
    TQmColumn* code = grid->Columns().Add();
    code->FieldName = "CODE";
    code->ReadOnly = true;
    TQmColumn* name = grid->Columns().Add();
    name->FieldName = "NAME";
    name->KeyList = {"name 1", "name 2"};
    name->PickList = {"one", "two"};
    TQmColumn* amt = grid->Columns().Add();
    amt->FieldName = "AMT";
    amt->Checkboxes = true;
    amt->CheckedValue = "10";
    auto* model = grid->Model();
    EXPECT_FALSE(model->flags(model->index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model->flags(model->index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_EQ(Cell(0, 1), "one"); // the key shows as its pick-list entry
    EXPECT_EQ(model->index(0, 2).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    // Choosing an entry stores its key.
    ASSERT_TRUE(model->setData(model->index(0, 1), QStringLiteral("two")));
    EXPECT_EQ(table.FieldByName("NAME")->AsString(), "name 2");
    grid->SetReadOnly(true);
    EXPECT_FALSE(model->flags(model->index(0, 1)) & Qt::ItemIsEditable);
}

TEST_F(ModelTest, RowColoursAlternateUnlessTheColumnHasItsOwn) {
    Fill(3);
    TQmColumn* key = grid->Columns().Add();
    key->FieldName = "CODE";
    key->Color = 0xC0DCC0;
    TQmColumn* plain = grid->Columns().Add();
    plain->FieldName = "NAME";
    auto colour = [&](int row, int column) {
        return grid->Model()->index(row, column).data(Qt::BackgroundRole).value<QColor>();
    };
    EXPECT_EQ(colour(0, 1), QColor(0xDD, 0xDD, 0xFF)); // record 1: odd
    EXPECT_EQ(colour(1, 1), QColor(0xC4, 0xC4, 0xFF)); // record 2: even
    EXPECT_EQ(colour(1, 0), QColor(0xC0, 0xDC, 0xC0));
}

TEST_F(ModelTest, BadValueIsRefusedWithItsReason) {
    Fill(1);
    auto* model = grid->Model();
    EXPECT_FALSE(model->setData(model->index(0, 2), QStringLiteral("abc")));
    EXPECT_FALSE(model->LastError().empty());
    EXPECT_EQ(table.FieldByName("AMT")->AsInteger(), 10);
}

TEST_F(ModelTest, FindLooksInOneColumnAndWraps) {
    Fill(5);
    if (!gridimpl::CanReadAnyRow())
        GTEST_SKIP() << "the table offers no read of a row other than the current one";
    auto* model = grid->Model();
    EXPECT_EQ(model->FindRow(0, "c4", 0), 3);
    EXPECT_EQ(model->FindRow(0, "C1", 2), 0); // wraps past the end
    EXPECT_EQ(model->FindRow(0, "C3", 3, false), 2);
    EXPECT_EQ(model->FindRow(0, "zz", 0), -1);
}

} // namespace
} // namespace qm::gridtest
