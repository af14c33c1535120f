// The number edit takes only numbers; the date edit shows and reads "yyyy-mm-dd".
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "controls/flat_date_edit.h"
#include "controls/flat_number_edit.h"
#include "tests/canvas/qt_test_app.h"

namespace qm {
namespace {

class FlatValueEdits : public testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureQtApp(); }
    QWidget window;
};

void Type(QLineEdit* w, const QString& text) {
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
    }
}

TEST_F(FlatValueEdits, NumberEditRefusesWhatIsNoNumber) {
    struct Case {
        int decimals;
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        {-1, "12a.5.x", "12.5"}, {-1, "-3 000", "-3000"}, {-1, "+.25", "+.25"},
        {2, "1.2345", "1.23"},   {0, "7.5", "75"},        {-1, "abc", ""},
        {-1, "1-2", "12"},       {-1, "1e3", "1e3"},      {0, "1e3", "13"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.typed);
        TQmFlatNumberEdit e(&window);
        e.SetDecimalPlaces(k.decimals);
        Type(e.LineEditor(), k.typed);
        EXPECT_EQ(e.Text(), k.shown);
    }
    // Pasting goes through the same check.
    TQmFlatNumberEdit e(&window);
    e.LineEditor()->insert("4x2");
    EXPECT_EQ(e.Text(), "");
}

TEST_F(FlatValueEdits, NumberEditValues) {
    TQmFlatNumberEdit e(&window);
    EXPECT_FALSE(e.Value().has_value());
    e.SetValue(12.5);
    EXPECT_EQ(e.Text(), "12.5");
    EXPECT_EQ(e.Value(), 12.5);
    EXPECT_THROW(e.SetText("twelve"), EInvalidNumber);
    EXPECT_EQ(e.Text(), "12.5");
    e.SetDecimalPlaces(0);
    e.SetText("3.75"); // a value from code is kept whole
    EXPECT_EQ(e.Value(), 3.75);
    // A half-typed number goes back to the last one when the edit ends.
    e.LineEditor()->clear();
    Type(e.LineEditor(), "-");
    e.Commit();
    EXPECT_EQ(e.Text(), "3.75");
    e.LineEditor()->clear();
    e.Commit();
    EXPECT_FALSE(e.Value().has_value());
    e.SetValue(std::nullopt);
    EXPECT_EQ(e.Text(), "");
}

TEST_F(FlatValueEdits, DateEditShowsAndParsesShortDates) {
    TQmFlatDateEdit e(&window);
    EXPECT_FALSE(e.DateTime().has_value());
    e.SetDateTime(EncodeDateTime(2024, 3, 9, 14, 30, 0));
    EXPECT_EQ(e.Text(), "2024-03-09");
    e.SetKind(TDateTimeKind::dtkTime);
    EXPECT_EQ(e.Text(), "14:30:00");
    e.SetKind(TDateTimeKind::dtkDate);

    struct Case {
        const char* typed;
        const char* shown; // after the edit ends
    };
    const Case cases[] = {
        {"2025-12-31", "2025-12-31"},
        {"2025-1-5", "2025-01-05"},
        {"2025/02/03", "2025-02-03"},
        {"2025-02-30", "2024-03-09"}, // no such day: back to the value
        {"2025-", "2024-03-09"},
        {"2025-0a1-x01", "2025-01-01"}, // letters are refused as they are typed
        {"", ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.typed);
        e.SetDateTime(EncodeDateTime(2024, 3, 9, 14, 30, 0));
        e.LineEditor()->clear();
        Type(e.LineEditor(), k.typed);
        e.Commit();
        EXPECT_EQ(e.Text(), k.shown);
    }
    // The user's new date keeps the time of day the value had.
    e.SetDateTime(EncodeDateTime(2024, 3, 9, 14, 30, 0));
    e.LineEditor()->clear();
    Type(e.LineEditor(), "2025-12-31");
    e.Commit();
    EXPECT_EQ(e.DateTime(), EncodeDateTime(2025, 12, 31, 14, 30, 0));

    e.SetText("2023-07-08 09:10:11");
    EXPECT_EQ(e.Text(), "2023-07-08");
    EXPECT_EQ(e.DateTime(), EncodeDateTime(2023, 7, 8, 9, 10, 11));
    EXPECT_THROW(e.SetText("not a date"), EInvalidDate);
    EXPECT_EQ(e.Text(), "2023-07-08");
    e.SetText("");
    EXPECT_FALSE(e.DateTime().has_value());
}

} // namespace
} // namespace qm
