// What the user does in the cells: buttons, check boxes, pick lists, Esc, leaving a new row.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QToolButton>

#include "grid/cell_editor.h"
#include "grid/find_bar.h"
#include "grid/grid_delegate.h"
#include "grid_fixture.h"
#include "qt_warnings.h"

namespace qm::gridtest {
namespace {

class EditingTest : public GridTest {
protected:
    // The grid in a window beside another widget that can take the focus.
    void ShowInWindow() {
        if (!window) {
            window = std::make_unique<QWidget>();
            other = new QLineEdit(window.get());
            other->move(0, 320);
            window->resize(420, 360);
            grid->setParent(window.get());
        }
        window->show();
        QApplication::setActiveWindow(window.get());
        grid->setFocus();
        QApplication::processEvents();
    }
    void TearDown() override {
        grid->setParent(nullptr);
        GridTest::TearDown();
    }
    TQmCellEditor* OpenAt(int row, int column) {
        grid->setCurrentIndex(grid->Model()->index(row, column));
        QApplication::processEvents();
        return static_cast<TQmGridDelegate*>(grid->itemDelegate())->OpenEditor();
    }
    TQmColumn* AddColumns() {
        TQmColumn* last = nullptr;
        for (const char* name : {"CODE", "NAME", "AMT"}) {
            last = grid->Columns().Add();
            last->FieldName = name;
        }
        QApplication::processEvents();
        return last;
    }
    std::string Value(int recNo, const char* field) {
        table.SetRecNo(recNo);
        return table.FieldByName(field)->AsString();
    }

    std::unique_ptr<QWidget> window;
    QLineEdit* other = nullptr;
};

TEST_F(EditingTest, EllipsisButtonRunsItsClickHandler) {
    struct Case {
        const char* what;
        bool visible;
        int clicks;
    };
    for (const Case& c : {Case{"shown button", true, 1}, Case{"hidden button", false, 0}}) {
        grid->Columns().Clear();
        table.Close();
        table.Open();
        Fill(2);
        AddColumns();
        TQmColumn* name = grid->Columns()[1];
        int clicks = 0;
        TObject* sender = nullptr;
        TQmEditButton& button = name->AddEditButton();
        button.Visible = c.visible;
        button.OnClick = [&](TObject* from, bool& handled) {
            ++clicks;
            sender = from;
            handled = true;
        };
        ShowInWindow();
        TQmCellEditor* cell = OpenAt(1, 1);
        ASSERT_NE(cell, nullptr) << c.what;
        EXPECT_EQ(cell->EllipsisButton() != nullptr, c.visible) << c.what;
        if (cell->EllipsisButton()) QTest::mouseClick(cell->EllipsisButton(), Qt::LeftButton);
        EXPECT_EQ(clicks, c.clicks) << c.what;
        if (c.clicks) {
            EXPECT_EQ(sender, name) << c.what;
        }
        EXPECT_EQ(table.State(), dsBrowse) << c.what << ": a click alone edits nothing";
    }
}

TEST_F(EditingTest, CheckBoxTogglesByMouseAndBySpace) {
    struct Case {
        const char* what;
        bool byMouse;
        int before;
        const char* after;
    };
    const Case cases[] = {
        {"mouse checks", true, 0, "1"},
        {"mouse unchecks", true, 1, "0"},
        {"space checks", false, 0, "1"},
        {"space unchecks", false, 1, "0"},
    };
    Fill(2);
    TQmColumn* amt = AddColumns();
    amt->Checkboxes = true;
    ShowInWindow();
    auto* model = grid->Model();
    for (const Case& c : cases) {
        table.SetRecNo(2);
        table.Edit();
        table.FieldByName("AMT")->SetAsInteger(c.before);
        table.Post();
        table.SetRecNo(1);
        const QModelIndex cell = model->index(1, 2);
        if (c.byMouse) {
            // Where the view's style puts the indicator in that cell.
            QStyleOptionViewItem option;
            option.initFrom(grid->viewport());
            option.rect = grid->visualRect(cell);
            option.features = QStyleOptionViewItem::HasCheckIndicator;
            const QRect box =
                grid->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, grid.get());
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, box.center());
        } else {
            grid->setCurrentIndex(cell);
            QTest::keyClick(grid.get(), Qt::Key_Space);
        }
        QApplication::processEvents();
        EXPECT_EQ(table.RecNo(), 2) << c.what;
        EXPECT_EQ(table.FieldByName("AMT")->AsString(), c.after) << c.what;
        EXPECT_EQ(model->data(cell, Qt::CheckStateRole).toInt(),
                  std::string(c.after) == "1" ? Qt::Checked : Qt::Unchecked)
            << c.what;
        if (table.State() != dsBrowse) table.Post();
    }
}

TEST_F(EditingTest, PickListShowsEntriesAndStoresKeys) {
    struct Case {
        const char* what;
        std::vector<std::string> keys;
        const char* shown;
        const char* stored;
    };
    const Case cases[] = {
        {"key list and pick list", {"name 1", "name 2", "name 3"}, "one", "name 2"},
        {"pick list only", {}, "name 1", "two"},
    };
    for (const Case& c : cases) {
        grid->Columns().Clear();
        table.Close();
        table.Open();
        Fill(2);
        AddColumns();
        TQmColumn* name = grid->Columns()[1];
        name->KeyList = c.keys;
        name->PickList = {"one", "two", "three"};
        ShowInWindow();
        TQmCellEditor* cell = OpenAt(0, 1);
        ASSERT_NE(cell, nullptr) << c.what;
        QComboBox* combo = cell->ComboBox();
        ASSERT_NE(combo, nullptr) << c.what;
        EXPECT_EQ(combo->isEditable(), c.keys.empty()) << c.what << ": with keys only an entry can be chosen";
        EXPECT_EQ(combo->currentText().toStdString(), c.shown) << c.what;
        EXPECT_EQ(Cell(0, 1), c.shown) << c.what;
        // Choose the entry "two" with the keyboard.
        if (c.keys.empty()) {
            combo->lineEdit()->selectAll();
            QTest::keyClicks(combo->lineEdit(), "two");
        } else {
            QTest::keyClick(combo, Qt::Key_Down);
        }
        EXPECT_EQ(combo->currentText(), QStringLiteral("two")) << c.what;
        grid->setCurrentIndex(grid->Model()->index(1, 1));
        QApplication::processEvents();
        EXPECT_EQ(Value(1, "NAME"), c.stored) << c.what;
        EXPECT_EQ(Cell(0, 1), "two") << c.what;
    }
}

TEST_F(EditingTest, FindBarOpensWithCtrlFAndSteps) {
    Fill(5);
    table.SetRecNo(2);
    table.Edit();
    table.FieldByName("NAME")->SetAsString("other");
    table.Post();
    ShowInWindow();
    OpenAt(0, 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
    QApplication::processEvents();
    TQmFindBar* bar = grid->FindBar();
    ASSERT_TRUE(bar->isVisible());
    ASSERT_EQ(QApplication::focusWidget(), bar->Edit());

    struct Step {
        const char* what;
        const char* text;
        int row;
        bool found;
    };
    const Step steps[] = {
        {"first match below", "name", 2, true},
        {"next match", "name", 3, true},
        {"next match", "name", 4, true},
        {"wraps to the top", "name", 0, true},
        {"skips the row without it", "name", 2, true},
        {"not found leaves the row", "zzz", 2, false},
        {"ignores case", "OTHER", 1, true},
    };
    for (const Step& s : steps) {
        bar->Edit()->setText(QString::fromUtf8(s.text));
        QTest::keyClick(bar->Edit(), Qt::Key_Return);
        EXPECT_EQ(grid->currentIndex().row(), s.row) << s.what;
        EXPECT_EQ(table.RecNo(), s.row + 1) << s.what;
        EXPECT_EQ(grid->currentIndex().column(), 1) << s.what << ": the search stays in its column";
        EXPECT_EQ(bar->Status()->text().isEmpty(), s.found) << s.what;
        if (!s.found) {
            EXPECT_EQ(bar->Status()->text(), QStringLiteral("未找到"));
        }
    }
    QTest::keyClick(bar->Edit(), Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(grid->hasFocus() || grid->isAncestorOf(QApplication::focusWidget()));
}

TEST_F(EditingTest, LeavingTheGridDropsOnlyAnUntouchedNewRow) {
    enum Touch { None, Typed, ByCode };
    struct Case {
        const char* what;
        Touch touch;
        int rows;
    };
    const Case cases[] = {
        {"untouched", None, 2},
        {"typed into the cell", Typed, 3},
        {"value set by code", ByCode, 3},
    };
    for (const Case& c : cases) {
        table.Close();
        table.Open();
        Fill(2);
        ShowInWindow();
        OpenAt(1, 0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QApplication::processEvents();
        ASSERT_EQ(table.State(), dsInsert) << c.what;
        if (c.touch == Typed) QTest::keyClicks(QApplication::focusWidget(), "K");
        if (c.touch == ByCode) table.FieldByName("CODE")->SetAsString("K");
        other->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(table.RecordCount(), c.rows) << c.what;
        if (c.rows == 3) {
            if (table.State() != dsBrowse) table.Post();
            EXPECT_EQ(Value(3, "CODE"), "K") << c.what;
        } else {
            EXPECT_EQ(table.State(), dsBrowse) << c.what;
        }
    }
}

// Esc in a changed cell restores that cell only; Esc in an unchanged one cancels the row's edit.
TEST_F(EditingTest, EscRestoresTheCellThenCancelsTheEdit) {
    struct Case {
        const char* what;
        bool newRow;
        int rows;
    };
    for (const Case& c : {Case{"changed row", false, 2}, Case{"new row", true, 2}}) {
        table.Close();
        table.Open();
        Fill(2);
        ShowInWindow();
        OpenAt(1, 1);
        if (c.newRow) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
            QApplication::processEvents();
            ASSERT_EQ(table.State(), dsInsert) << c.what;
        }
        QtWarnings warnings;
        QTest::keyClicks(QApplication::focusWidget(), "typed");
        ASSERT_NE(table.State(), dsBrowse) << c.what;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QApplication::processEvents();
        auto* restored = static_cast<TQmGridDelegate*>(grid->itemDelegate())->OpenEditor();
        ASSERT_NE(restored, nullptr) << c.what;
        EXPECT_FALSE(restored->Modified()) << c.what;
        EXPECT_EQ(restored->Text(), c.newRow ? QString() : QStringLiteral("name 2")) << c.what;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QApplication::processEvents();
        EXPECT_EQ(table.State(), dsBrowse) << c.what;
        EXPECT_EQ(table.RecordCount(), c.rows) << c.what;
        EXPECT_EQ(Value(2, "NAME"), "name 2") << c.what;
        // Nothing of the typed text is left on screen to be written later.
        auto* cell = static_cast<TQmGridDelegate*>(grid->itemDelegate())->OpenEditor();
        if (cell) {
            EXPECT_FALSE(cell->Modified()) << c.what;
            EXPECT_NE(cell->Text(), QStringLiteral("typed")) << c.what;
        }
        other->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(table.RecordCount(), c.rows) << c.what;
        EXPECT_TRUE(warnings.All().isEmpty()) << c.what << ": " << warnings.Joined().toStdString();
    }
}

// A toolbar button of the host does not take the focus: the text still in the cell editor must
// reach the field when the form posts or moves the table from outside the grid.
TEST_F(EditingTest, TextStillInTheEditorIsWrittenBeforeThePost) {
    struct Case {
        const char* what;
        bool post;
    };
    for (const Case& c : {Case{"post", true}, Case{"move to the first row", false}}) {
        table.Close();
        table.Open();
        Fill(2);
        ShowInWindow();
        OpenAt(1, 1);
        QTest::keyClicks(QApplication::focusWidget(), "X");
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr) << c.what;
        const std::string typed = editor->text().toStdString();
        ASSERT_NE(typed, "name 2") << c.what;
        ASSERT_NE(table.State(), dsBrowse) << c.what;
        if (c.post)
            table.Post();
        else
            table.First();
        QApplication::processEvents();
        EXPECT_EQ(table.State(), dsBrowse) << c.what;
        EXPECT_EQ(Value(2, "NAME"), typed) << c.what;
    }
}

} // namespace
} // namespace qm::gridtest
