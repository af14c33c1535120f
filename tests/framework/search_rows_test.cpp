#include <gtest/gtest.h>

#include <QHeaderView>
#include <optional>
#include <string>
#include <vector>

#include "dataset/data_source.h"
#include "dataset/mem_table.h"
#include "fake_host.h"
#include "framework/search_rows.h"
#include "grid/db_grid.h"
#include "grid/grid_model.h"
#include "platform/platform.h"
#include "protocol/protocol.h"

namespace qm {
namespace {

std::string Answer(const std::string& code, const std::string& rows) {
    return "<quelmar><status><code>" + code +
           "</code></status><rs typ=\"recordset\" tbname=\"T\" "
           "fields=\"ID:NUMBER A:NUMBER B:DATE\">" +
           rows + "</rs></quelmar>";
}

// A success keeps every readable row and names each refused one by its key and first refused field;
// any other answer with a refused row cannot be read at all.
TEST(ReadSearchAnswer, RefusedRowsAreLeftOutOfASuccessOnly) {
    const std::string rows =
        "<r ID=\"1\" A=\"5\"/><r ID=\"2\" A=\"x\" B=\"bad\"/><r ID=\"3\" B=\"2008-02-30\"/>"
        "<r ID=\"4\" B=\"2008-06-02 00:00:00\"/><r A=\"y\"/>";
    struct Case {
        const char* what;
        std::string answer;
        bool read;
        std::vector<int> ids;
        std::vector<std::string> leftOut; // key:field
    } cases[] = {
        {"success", Answer("0", rows), true, {1, 4}, {"2:A", "3:B", ":A"}},
        {"clean success", Answer("0", "<r ID=\"1\"/>"), true, {1}, {}},
        {"refusal", Answer("5", rows), false, {}, {}},
        {"no code", Answer("", rows), false, {}, {}},
        {"not a document", "<quelmar>", false, {}, {}},
    };
    // The host's record slot is read where it stands; the UTF-8 text as the old callers pass it.
    for (const bool wide : {false, true}) {
        for (const Case& c : cases) {
            const std::string what = std::string(c.what) + (wide ? " (wide)" : "");
            TQmProtocol protocol;
            std::vector<TLeftOutRow> leftOut;
            bool read = false;
            if (wide) {
                BSTR slot = SysAllocStringUtf8(c.answer);
                read = ReadSearchAnswer(protocol, slot, "ID", leftOut);
                SysFreeString(slot);
            } else {
                read = ReadSearchAnswer(protocol, c.answer, "ID", leftOut);
            }
            ASSERT_EQ(read, c.read) << what;
            if (!c.read) continue;
            std::vector<int> ids;
            TMemTable& table = protocol.Table(0).Rows();
            for (table.First(); !table.Eof(); table.Next())
                ids.push_back(table.FieldByName("ID")->AsInteger());
            EXPECT_EQ(ids, c.ids) << what;
            std::vector<std::string> named;
            for (const TLeftOutRow& row : leftOut)
                named.push_back(row.Key + ":" + row.Field);
            EXPECT_EQ(named, c.leftOut) << what;
        }
    }
}

// The form's table ends with the answer's rows, unchanged and from the first, whether they move
// over whole (the answer's fields are the form's own, integers of either width that fit) or are
// copied one by one (a value does not fit, and its row is left out and named).
TEST(ReplaceRows, EndsWithTheAnswersRowsUnchanged) {
    struct Case {
        const char* what;
        TFieldType id;
        const char* secondId;
        std::vector<std::string> rows;
        std::vector<std::string> leftOut;
    } cases[] = {
        {"same fields", ftLargeint, "5000000000", {"1:a", "5000000000:b", "3:"}, {}},
        {"narrower key, every value fits", ftInteger, "2", {"1:a", "2:b", "3:"}, {}},
        {"narrower key, a value too wide", ftInteger, "5000000000", {"1:a", "3:"}, {"5000000000:ID"}},
    };
    for (const Case& c : cases) {
        const std::string answer =
            std::string("<quelmar><status><code>0</code></status><rs typ=\"recordset\" tbname=\"T\" "
                        "fields=\"ID:NUMBER A:VARCHAR(10)\"><r ID=\"1\" A=\"a\"/><r ID=\"") +
            c.secondId + "\" A=\"b\"/><r ID=\"3\"/></rs></quelmar>";
        TQmProtocol protocol;
        std::vector<TLeftOutRow> leftOut;
        ASSERT_TRUE(ReadSearchAnswer(protocol, answer, "ID", leftOut)) << c.what;
        TMemTable target;
        target.FieldDefs().Add("ID", c.id);
        target.FieldDefs().Add("A", ftString, 10);
        target.CreateDataSet();
        target.SetCachedUpdates(true);
        target.Append();
        target.FieldByName("ID")->SetAsInteger(9);
        target.Post();
        target.Append(); // a row still being typed
        ReplaceRows(protocol.Table(0), target, "ID", leftOut);

        EXPECT_EQ(target.State(), dsBrowse) << c.what;
        EXPECT_EQ(target.ChangeCount(), 0) << c.what;
        EXPECT_EQ(target.RecNo(), 1) << c.what;
        std::vector<std::string> rows;
        for (target.First(); !target.Eof(); target.Next()) {
            rows.push_back(target.FieldByName("ID")->AsString() + ":" + target.FieldByName("A")->AsString());
            EXPECT_EQ(target.UpdateStatus(), usUnmodified) << c.what;
        }
        EXPECT_EQ(rows, c.rows) << c.what;
        std::vector<std::string> named;
        for (const TLeftOutRow& row : leftOut)
            named.push_back(row.Key + ":" + row.Field);
        EXPECT_EQ(named, c.leftOut) << c.what;
    }
}

// A search of many rows into a shown grid, as a form runs it inside an operation: the grid's row
// header makes the rows' sections ahead while messages run, painting nothing meanwhile, and the reset
// that shows the rows makes none. Outside an operation, or for a few rows, the reset makes them. The
// rows, the current row's marker and the numbers are as ever, and stay right after a sort and a
// filter.
TEST(ReplaceRows, AShownGridGetsReadyForManyRows) {
    test::App();
    struct Case {
        const char* what;
        int rows;
        bool inOperation;
        bool ahead; // sections made before the reset
    } cases[] = {
        {"many rows in an operation", 100000, true, true},
        {"many rows outside one", 100000, false, false},
        {"a few rows", 3, true, false},
    };
    for (const Case& c : cases) {
        std::string answer = "<quelmar><status><code>0</code></status><rs typ=\"recordset\" tbname=\"T\" "
                             "fields=\"ID:NUMBER A:VARCHAR(10)\">";
        for (int id = 1; id <= c.rows; ++id)
            answer += "<r ID=\"" + std::to_string(id) + "\" A=\"x\"/>";
        answer += "</rs></quelmar>";
        TQmProtocol protocol;
        std::vector<TLeftOutRow> leftOut;
        ASSERT_TRUE(ReadSearchAnswer(protocol, answer, "ID", leftOut)) << c.what;
        TMemTable target;
        target.FieldDefs().Add("ID", ftLargeint);
        target.FieldDefs().Add("A", ftString, 10);
        target.CreateDataSet();
        TDataSource source;
        source.SetDataSet(&target);
        TQmDBGrid grid;
        grid.resize(400, 300);
        grid.SetDataSource(&source);
        grid.show();
        QApplication::processEvents();

        QHeaderView& header = *grid.verticalHeader();
        int sectionChanges = 0, beforeReset = -1;
        bool paintHeld = false;
        QObject::connect(&header, &QHeaderView::sectionCountChanged, [&] { ++sectionChanges; });
        QObject::connect(grid.Model(), &QAbstractItemModel::modelAboutToBeReset, [&] {
            beforeReset = sectionChanges;
            paintHeld = !grid.updatesEnabled();
        });
        {
            std::optional<OperationScope> busy;
            if (c.inOperation) busy.emplace();
            ReplaceRows(protocol.Table(0), target, "ID", leftOut);
        }
        QApplication::processEvents();
        EXPECT_EQ(paintHeld, c.ahead) << c.what;
        EXPECT_EQ(sectionChanges == beforeReset, c.ahead) << c.what << ": sections made in the reset";
        EXPECT_TRUE(grid.updatesEnabled()) << c.what;

        QAbstractItemModel& model = *grid.Model();
        auto number = [&](int row) { return model.headerData(row, Qt::Vertical).toString().toStdString(); };
        const int last = c.rows - 1;
        ASSERT_EQ(model.rowCount(), c.rows) << c.what;
        EXPECT_EQ(header.count(), c.rows) << c.what;
        EXPECT_EQ(header.sectionPosition(last), last * header.defaultSectionSize()) << c.what;
        EXPECT_EQ(number(0), "\u25B61") << c.what;
        EXPECT_EQ(number(last), std::to_string(c.rows)) << c.what;

        // The current row, the first, goes last; the numbers stay those of the rows shown.
        grid.SortBy(0, Qt::DescendingOrder);
        EXPECT_EQ(header.count(), c.rows) << c.what;
        EXPECT_EQ(number(0), "1") << c.what;
        EXPECT_EQ(number(last), "\u25B6" + std::to_string(c.rows)) << c.what;
        EXPECT_EQ(model.index(0, 0).data().toString().toStdString(), std::to_string(c.rows)) << c.what;

        // One row shows, and it becomes the current one.
        grid.SetFilterText(QString::number(c.rows - 1));
        EXPECT_EQ(model.rowCount(), 1) << c.what;
        EXPECT_EQ(header.count(), 1) << c.what;
        EXPECT_EQ(number(0), "\u25B61") << c.what;
        EXPECT_EQ(target.FieldByName("ID")->AsInteger(), c.rows - 1) << c.what;
    }
}

} // namespace
} // namespace qm
