// The rows read again under an open editor, as a search answer does it.
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>

#include "grid/cell_editor.h"
#include "grid/grid_delegate.h"
#include "grid_fixture.h"
#include "platform/platform.h"
#include "qt_warnings.h"

namespace qm::gridtest {
namespace {

class ResetTest : public GridTest {
protected:
    TQmGridDelegate* Delegate() { return static_cast<TQmGridDelegate*>(grid->itemDelegate()); }
    int VisibleEditors() {
        int shown = 0;
        for (auto* cell : grid->viewport()->findChildren<TQmCellEditor*>(Qt::FindDirectChildrenOnly))
            if (cell->isVisible()) ++shown;
        return shown;
    }
    // What a search does: the old rows go and the answer's rows come, with the controls held.
    void Reload(int rows) {
        table.DisableControls();
        table.EmptyTable();
        for (int i = 1; i <= rows; ++i) {
            table.Append();
            table.FieldByName("CODE")->SetAsString("S" + std::to_string(i));
            table.Post();
        }
        table.First();
        table.EnableControls();
    }
};

TEST_F(ResetTest, ReloadUnderAFocusedEditorLeavesOneEditorTheViewOwns) {
    struct Case {
        const char* what;
        int rows;
    };
    for (const Case& c : {Case{"answer with rows", 3}, Case{"empty answer", 0}}) {
        table.Close();
        table.Open();
        Fill(4);
        QWidget window;
        grid->setParent(&window);
        QLineEdit other(&window);
        other.move(0, 320);
        window.resize(420, 360);
        window.show();
        QApplication::setActiveWindow(&window);
        grid->setFocus();
        grid->setCurrentIndex(grid->Model()->index(2, 1));
        QApplication::processEvents();
        ASSERT_NE(Delegate()->OpenEditor(), nullptr) << c.what;
        ASSERT_TRUE(Delegate()->OpenEditor()->isAncestorOf(QApplication::focusWidget())) << c.what;

        QtWarnings warnings;
        Reload(c.rows);
        QApplication::processEvents();
        EXPECT_EQ(table.RecordCount(), c.rows) << c.what << ": the reload added or lost rows";
        EXPECT_EQ(table.State(), dsBrowse) << c.what;
        if (c.rows > 0) {
            EXPECT_EQ(grid->currentIndex().row(), 0) << c.what;
            // The editor the grid knows as open is the one its view manages.
            EXPECT_EQ(grid->indexWidget(grid->currentIndex()), Delegate()->OpenEditor()) << c.what;
            EXPECT_EQ(VisibleEditors(), 1) << c.what << ": an editor was left behind on the rows";
            grid->setCurrentIndex(grid->Model()->index(1, 1));
            QApplication::processEvents();
            EXPECT_EQ(grid->indexWidget(grid->currentIndex()), Delegate()->OpenEditor()) << c.what;
        }
        // Any editor on screen may end its edit, and the view must know it when it does.
        for (auto* cell : grid->viewport()->findChildren<TQmCellEditor*>(Qt::FindDirectChildrenOnly))
            if (cell->isVisible()) emit Delegate()->closeEditor(cell, QAbstractItemDelegate::NoHint);
        QApplication::processEvents();
        // Leaving the grid closes whatever editor is open.
        other.setFocus();
        QApplication::processEvents();
        EXPECT_EQ(table.RecordCount(), c.rows) << c.what;
        EXPECT_TRUE(warnings.All().isEmpty()) << c.what << ": " << warnings.Joined().toStdString();
        grid->setParent(nullptr);
    }
}

// Sections made ahead for rows that never came (an answer read in the end as a refusal) go once the
// operation is over, and the grid paints again: no row is numbered that is not there.
TEST_F(ResetTest, RowsAnnouncedButNeverBroughtLeaveTheRowsThereAre) {
    Fill(3);
    grid->show();
    QApplication::processEvents();
    {
        OperationScope busy;
        table.AnnounceRows(100000);
        EXPECT_EQ(grid->verticalHeader()->count(), 100000);
        EXPECT_FALSE(grid->updatesEnabled());
        QApplication::processEvents(); // messages may run while the operation goes on
        EXPECT_EQ(grid->verticalHeader()->count(), 100000);
    }
    QApplication::processEvents();
    EXPECT_EQ(grid->verticalHeader()->count(), 3);
    EXPECT_TRUE(grid->updatesEnabled());
    EXPECT_EQ(grid->Model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("\u25B61"));
}

} // namespace
} // namespace qm::gridtest
