// Edit state, the value checks before a save and the field read-only rule.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "controls/flat_check_box.h"
#include "controls/flat_combo_box.h"
#include "controls/flat_edit.h"
#include "controls/page_control.h"
#include "controls/tab_sheet.h"
#include "dataset/data_source.h"
#include "fake_host.h"
#include "grid/db_controls.h"
#include "grid/db_grid.h"
#include "grid/db_value_controls.h"
#include "test_form.h"

namespace qm::test {
namespace {

class EditStateTest : public ::testing::Test {
protected:
    void SetUp() override { form = TfrmChildBase::Create<TTestForm>(host.Parent.get()); }
    void TearDown() override { delete form; }

    // A table with the fields A and B (labelled "Label A", "Label B") holding the given rows.
    static std::unique_ptr<TMemTable> Table(const std::vector<std::pair<const char*, const char*>>& rows) {
        auto t = std::make_unique<TMemTable>();
        t->FieldDefs().Add("A", ftString, 20);
        t->FieldDefs().Add("B", ftString, 20);
        t->CreateDataSet();
        t->Fields(0)->SetDisplayLabel("Label A");
        t->Fields(1)->SetDisplayLabel("Label B");
        for (auto [a, b] : rows) {
            t->Append();
            if (a) t->Fields(0)->SetAsString(a);
            if (b) t->Fields(1)->SetAsString(b);
            t->Post();
        }
        return t;
    }

    FakeHost host;
    TTestForm* form = nullptr;
};

TEST_F(EditStateTest, RequiredCheckVisitsRowsThenFields) {
    struct Case {
        std::vector<std::pair<const char*, const char*>> rows;
        const char* list;
        const char* label;
    } cases[] = {
        {{{nullptr, nullptr}, {"x", nullptr}}, "A,B", "Label A"},
        {{{"x", nullptr}, {nullptr, "y"}}, "A,B", "Label B"}, // row order first
        {{{"x", "y"}, {" \t", "y"}}, "A,B", "Label A"},       // blanks count as empty
        {{{"x", "y"}}, "A,B", ""},
        {{{nullptr, "y"}}, "NOPE,B", ""}, // unknown names are skipped
        {{}, "A", ""},
    };
    for (const Case& c : cases) {
        auto t = Table(c.rows);
        EXPECT_EQ(form->CheckFieldValues(1, t.get(), c.list), c.label) << c.list;
    }
}

TEST_F(EditStateTest, UniqueCheckComparesWholeTrimmedValues) {
    struct Case {
        std::vector<std::pair<const char*, const char*>> rows;
        const char* list;
        const char* label;
    } cases[] = {
        {{{"X", "1"}, {"Y", "2"}, {" X", "3"}}, "A", "Label A"},
        {{{"", "1"}, {nullptr, "2"}}, "A", "Label A"}, // two empty values are duplicates
        {{{"P,Q", "1"}, {"Q", "2"}}, "A", ""},         // not a substring match
        {{{"P", "1"}, {"PQ", "2"}}, "A", ""},
        {{{"X", "1"}, {"Y", "1"}}, "A,B", "Label B"}, // fields in list order
        {{{"X", "1"}, {"X", "1"}}, "B,A", "Label B"},
    };
    for (const Case& c : cases) {
        auto t = Table(c.rows);
        EXPECT_EQ(form->CheckFieldValues(0, t.get(), c.list), c.label) << c.list;
    }
}

// What a save checks: its own rows. A changed row's value must not repeat any row's, and the row
// named is the changed one, at the place a walk from the top would meet the repeat first; rows
// nobody touched are neither required to be filled nor checked against each other.
TEST_F(EditStateTest, SaveChecksOnlyTheRowsItWrites) {
    struct Row {
        const char* a;
        bool changed;
    };
    struct Case {
        std::uint8_t mode;
        std::vector<Row> rows;
        const char* label;
        int recNo;
    } cases[] = {
        {0, {{"X", false}, {"Y", false}, {"X", true}}, "Label A", 3},
        {0, {{"X", true}, {"Y", false}, {" X", false}}, "Label A", 1},
        {0, {{"X", true}, {"Y", false}, {"X", true}}, "Label A", 3},
        {0, {{"P", false}, {"Q", true}, {"Q", false}, {"P", true}}, "Label A", 2},
        {0, {{"X", false}, {"X", false}, {"Y", true}}, "", 0},
        {0, {{nullptr, false}, {"", true}}, "Label A", 2},
        {1, {{nullptr, false}, {"x", true}}, "", 0},
        {1, {{"x", false}, {" \t", true}}, "Label A", 2},
    };
    for (const Case& c : cases) {
        auto t = Table({});
        t->SetCachedUpdates(true);
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            t->Append();
            // A changed row starts from another value, so that its edit is a change.
            if (c.rows[i].changed)
                t->Fields(0)->SetAsString("before " + std::to_string(i));
            else if (c.rows[i].a)
                t->Fields(0)->SetAsString(c.rows[i].a);
            t->Fields(1)->SetAsString("b");
            t->Post();
        }
        t->MergeChangeLog();
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            if (!c.rows[i].changed) continue;
            t->SetRecNo(static_cast<int>(i) + 1);
            t->Edit();
            t->Fields(0)->SetAsString(c.rows[i].a ? c.rows[i].a : "");
            t->Post();
        }
        t->SetRecNo(1);
        const auto fault = form->FindFieldFault(c.mode, t.get(), "A", true);
        EXPECT_EQ(fault.Label, c.label) << int(c.mode) << " case with " << c.rows.size() << " rows";
        EXPECT_EQ(fault.RecNo, c.recNo) << int(c.mode) << " case with " << c.rows.size() << " rows";
        EXPECT_EQ(t->RecNo(), 1);
    }
}

// Save after save on the same rows: what earlier saves changed, added and deleted counts in the
// next check as it stands now.
TEST_F(EditStateTest, SaveCheckFollowsTheRowsFromSaveToSave) {
    auto t = Table({{"X", "1"}, {"Y", "2"}});
    t->SetCachedUpdates(true);
    auto edit = [&](int recNo, const char* a) {
        recNo ? t->SetRecNo(recNo) : t->Append();
        t->Edit();
        t->Fields(0)->SetAsString(a);
        t->Post();
    };
    auto check = [&] { return form->FindFieldFault(0, t.get(), "A", true).RecNo; };
    struct Step {
        int recNo; // 0: a new row
        const char* a;
        int faultAt; // 0: none
    } steps[] = {
        {2, "Z", 0},  // Y is free again
        {0, "Y", 0},  // taken by a new row
        {1, "W", 0},  // X is free again
        {0, "X", 0},  // taken by a new row
        {0, "W", 5},  // W was saved over X
        {4, "Z", 4},  // Z is held by the second row
        {4, " Q ", 0} // blanks around a value do not count
    };
    for (const Step& s : steps) {
        edit(s.recNo, s.a);
        EXPECT_EQ(check(), s.faultAt) << s.a;
        if (s.faultAt) edit(t->RecNo(), ("fixed " + std::string(s.a)).c_str());
        EXPECT_EQ(check(), 0) << s.a;
        t->MergeChangeLog();
    }
    t->SetRecNo(2);
    t->Delete();
    t->MergeChangeLog();
    edit(0, "Z"); // the row that held it was deleted and saved
    EXPECT_EQ(check(), 0);
}

TEST_F(EditStateTest, ChecksPutTheCursorBack) {
    auto t = Table({{"X", "1"}, {"Y", "2"}, {"X", "3"}, {"Z", "4"}});
    for (std::uint8_t mode : {0, 1, 2}) {
        t->SetRecNo(2);
        form->CheckFieldValues(mode, t.get(), "A");
        EXPECT_EQ(t->RecNo(), 2) << int(mode);
    }
    EXPECT_EQ(form->CheckFieldValues(2, t.get(), "A"), "");
}

TEST_F(EditStateTest, BrowseEmptiesTheDeltaTableAndPostsPendingRows) {
    form->Delta->Append();
    form->Delta->Fields(0)->SetAsString("gone");
    form->Delta->Post();
    form->Main->Append();
    form->Main->Fields(0)->SetAsString("pending");
    form->SetEditState(esEdit);
    EXPECT_EQ(form->Main->State(), dsBrowse); // posted
    EXPECT_EQ(form->Delta->RecordCount(), 1); // kept outside browse
    form->SetEditState(7);                    // any value settles the tables
    EXPECT_EQ(form->EditState(), 7);
    EXPECT_EQ(form->Delta->RecordCount(), 1);
    form->SetEditState(esBrowse);
    EXPECT_EQ(form->Delta->RecordCount(), 0);
    EXPECT_EQ(form->Main->RecordCount(), 1);
}

TEST_F(EditStateTest, FieldReadOnlyFollowsTheFieldOnlyOnAWritableForm) {
    auto t = Table({});
    t->Fields(1)->SetReadOnly(true);
    TDataSource source;
    source.SetDataSet(t.get());
    struct Case {
        TDataSource* source;
        const char* name;
        bool readOnly;
        bool result;
    } cases[] = {
        {&source, "A", false, false}, {&source, "B", false, true},     {&source, "B", true, true},
        {&source, "A", true, true},   {&source, "NONE", false, false}, {&source, "  ", false, false},
        {nullptr, "B", false, false}, {nullptr, "B", true, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TfrmChildBase::FieldReadOnly(c.source, c.name, c.readOnly), c.result)
            << c.name << c.readOnly;
}

TEST_F(EditStateTest, ControlsOfListedPanelsAndPagesFollowTheState) {
    auto table = Table({{"x", "y"}});
    table->Fields(1)->SetReadOnly(true);
    TDataSource source;
    source.SetDataSet(table.get());
    auto* panel = new QWidget(form);
    auto dataEdit = [&](QWidget* parent, const char* field) {
        auto* e = new TQmDBEdit(parent);
        e->SetDataSource(&source);
        e->SetDataField(field);
        return e;
    };
    TQmDBEdit* writableField = dataEdit(panel, "A");
    TQmDBEdit* readOnlyField = dataEdit(panel, "B");
    TQmDBEdit* unknownField = dataEdit(panel, "Z");
    // The date, number and check box data controls follow their fields like the edit.
    auto bind = [&](TQmDBControl* c, const char* field) {
        c->SetDataSource(&source);
        c->SetDataField(field);
        return c;
    };
    TQmDBControl* valueControls[][2] = {
        {bind(new TQmDBDateEdit(panel), "A"), bind(new TQmDBDateEdit(panel), "B")},
        {bind(new TQmDBNumberEdit(panel), "A"), bind(new TQmDBNumberEdit(panel), "B")},
        {bind(new TQmDBCheckBox(panel), "A"), bind(new TQmDBCheckBox(panel), "B")},
    };
    auto* flatEdit = new TQmFlatEdit(panel);
    auto* combo = new TQmFlatComboBox(panel);
    auto* check = new TQmFlatCheckBox(panel);
    auto* grid = new TQmDBGrid(panel);
    auto* inner = new QWidget(panel);
    auto* nested = new TQmFlatEdit(inner); // not a direct child: left alone
    auto* pages = new TQmPageControl(form);
    auto* page = new TQmTabSheet(pages);
    auto* onPage = new TQmFlatEdit(page);
    form->Panels = {panel, pages};

    struct Case {
        std::uint8_t state;
        bool dataA, dataB, dataZ, flat, enabled, gridReadOnly;
    } cases[] = {
        {esEdit, false, true, false, false, true, false},   {esBrowse, true, true, true, true, false, true},
        {esInsert, false, true, false, false, true, false}, {esInitial, true, true, true, true, false, true},
        {9, true, true, true, true, false, true}, // other values leave the controls as they are
    };
    for (const Case& c : cases) {
        form->SetEditState(c.state);
        EXPECT_EQ(writableField->ReadOnly(), c.dataA) << int(c.state);
        EXPECT_EQ(readOnlyField->ReadOnly(), c.dataB) << int(c.state);
        EXPECT_EQ(unknownField->ReadOnly(), c.dataZ) << int(c.state);
        for (auto& pair : valueControls) {
            EXPECT_EQ(pair[0]->DataReadOnly(), c.dataA) << int(c.state);
            EXPECT_EQ(pair[1]->DataReadOnly(), c.dataB) << int(c.state);
        }
        EXPECT_EQ(flatEdit->ReadOnly(), c.flat) << int(c.state);
        EXPECT_EQ(onPage->ReadOnly(), c.flat) << int(c.state);
        EXPECT_EQ(combo->isEnabled(), c.enabled) << int(c.state);
        EXPECT_EQ(check->isEnabled(), c.enabled) << int(c.state);
        EXPECT_EQ(grid->ReadOnly(), c.gridReadOnly) << int(c.state);
        EXPECT_FALSE(nested->ReadOnly());
    }
    for (auto* e : {writableField, readOnlyField, unknownField})
        e->SetDataSource(nullptr);
    for (auto& pair : valueControls)
        for (TQmDBControl* c : pair)
            c->SetDataSource(nullptr);
}

TEST_F(EditStateTest, TabMovesFocusForwardAndShiftTabBack) {
    form->show();
    auto* a = new QWidget(form);
    auto* b = new QWidget(form);
    for (QWidget* w : {a, b}) {
        w->setFocusPolicy(Qt::StrongFocus);
        w->show();
    }
    a->setFocus();
    QApplication::setActiveWindow(form->window());
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        QWidget* expected;
    } cases[] = {
        {Qt::Key_Tab, Qt::NoModifier, b},
        {Qt::Key_Backtab, Qt::ShiftModifier, a},
        {Qt::Key_Tab, Qt::ControlModifier, b}, // Ctrl+Tab moves forwards like Tab
    };
    for (const Case& c : cases) {
        QKeyEvent press(QEvent::KeyPress, c.key, c.mods);
        QApplication::sendEvent(QApplication::focusWidget() ? QApplication::focusWidget() : a, &press);
        EXPECT_EQ(QApplication::focusWidget(), c.expected) << c.key;
    }
}

TEST_F(EditStateTest, TabMovesTheFocusOnceUnlessTheControlTakesTheKey) {
    form->show();
    QApplication::setActiveWindow(form->window());
    auto* first = new TQmFlatEdit(form);
    auto* memo = new TQmFlatMemo(form);
    auto* tabbingMemo = new TQmFlatMemo(form);
    tabbingMemo->SetWantTabs(true);
    auto* last = new TQmFlatEdit(form);
    auto* pages = new TQmPageControl(form);
    auto* page1 = new TQmTabSheet(pages);
    auto* page2 = new TQmTabSheet(pages);
    auto* onPage = new TQmFlatEdit(page1);
    new TQmFlatEdit(page2);
    pages->SetActivePage(page1);
    for (QWidget* w : std::initializer_list<QWidget*>{first, memo, tabbingMemo, last, pages})
        w->show();
    auto editorOf = [](TQmFlatEdit* e) -> QWidget* {
        return e->LineEditor() ? static_cast<QWidget*>(e->LineEditor())
                               : static_cast<QWidget*>(e->TextEditor());
    };
    struct Case {
        const char* name;
        TQmFlatEdit* from;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        TQmFlatEdit* focusAfter; // null: the focus stays where it was
        TQmTabSheet* pageAfter;
        const char* memoText;
    } cases[] = {
        {"Tab on an edit moves one control on", first, Qt::Key_Tab, Qt::NoModifier, memo, page1, ""},
        {"Shift+Tab moves one control back", last, Qt::Key_Backtab, Qt::ShiftModifier, tabbingMemo, page1,
         ""},
        {"a memo without tabs passes the focus on", memo, Qt::Key_Tab, Qt::NoModifier, tabbingMemo, page1,
         ""},
        {"a memo that wants tabs types one", tabbingMemo, Qt::Key_Tab, Qt::NoModifier, nullptr, page1, "\t"},
        {"Ctrl+Tab outside a page control moves like Tab", first, Qt::Key_Tab, Qt::ControlModifier, memo,
         page1, ""},
        {"Ctrl+Tab inside a page control turns the page", onPage, Qt::Key_Tab, Qt::ControlModifier, nullptr,
         page2, ""},
    };
    for (const Case& c : cases) {
        pages->SetActivePage(page1);
        tabbingMemo->SetText("");
        QWidget* start = editorOf(c.from);
        start->setFocus();
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), start) << c.name;
        QKeyEvent press(QEvent::KeyPress, c.key, c.mods, c.key == Qt::Key_Tab ? "\t" : "");
        QApplication::sendEvent(start, &press);
        if (c.focusAfter) {
            EXPECT_EQ(QApplication::focusWidget(), editorOf(c.focusAfter)) << c.name;
        } else if (c.pageAfter == page1) {
            EXPECT_EQ(QApplication::focusWidget(), start) << c.name;
        }
        EXPECT_EQ(pages->ActivePage(), c.pageAfter) << c.name;
        EXPECT_EQ(tabbingMemo->Text(), c.memoText) << c.name;
    }
}

} // namespace
} // namespace qm::test
