// The desk's writers without a window: CSV bytes, an .xlsx read back by unpacking it, files left
// whole or untouched, and the readings of numbers, dates and store addresses they rely on.
#include "host/desk/cell_values.h"
#include "host/desk/replacing_file.h"
#include "host/desk/table_export.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace qm::desk {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// One member of a zip file, through the unzip program.
std::string Unzip(const std::filesystem::path& zip, const std::string& member) {
    const std::string command = "unzip -p '" + zip.string() + "' " + member + " 2>/dev/null";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

std::vector<std::string> FilesIn(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class DeskWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        Dir = std::filesystem::temp_directory_path() / ("qm-desk-writer-" + std::to_string(getpid()));
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }

    static MemoryTable Levels() {
        MemoryTable t({{"收入等级代码", ColumnKind::Text},
                       {"收入下限", ColumnKind::Number},
                       {"建立日期", ColumnKind::Date}});
        t.Add({"01", "3000", "2024-02-29"});
        t.Add({"02", "未定", "不是日期"});
        t.Add({"03", "", ""});
        return t;
    }
    std::filesystem::path Dir;
};

TEST_F(DeskWriterTest, CsvQuotesWhatNeedsItAndStartsWithTheByteOrderMark) {
    struct Case {
        std::string Value, Written;
    } cases[] = {
        {"plain", "plain"},
        {"中低收入", "中低收入"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
        {"", ""},
        // Longer fields are looked at eight bytes at a time: a mark in the first eight, at the
        // ninth byte, past it, or none in a long Chinese text.
        {"a,bcdefghijk", "\"a,bcdefghijk\""},
        {"12345678\"9", "\"12345678\"\"9\""},
        {"123456789abc\nd", "\"123456789abc\nd\""},
        {"收入等级名称很长的一段文字", "收入等级名称很长的一段文字"},
        // A field larger than the writer's buffer.
        {std::string(300000, 'x') + ",", "\"" + std::string(300000, 'x') + ",\""},
    };
    MemoryTable table({{"名称", ColumnKind::Text}, {"x", ColumnKind::Text}});
    std::string want = "\xEF\xBB\xBF名称,x\r\n";
    for (const Case& c : cases) {
        table.Add({c.Value, "1"});
        want += c.Written + ",1\r\n";
    }
    const auto path = Dir / "levels.csv";
    const ExportResult result = ExportTable(table, path.string(), ExportFormat::Csv);
    ASSERT_TRUE(result.Written) << result.Error;
    EXPECT_EQ(ReadAll(path), want);
}

TEST_F(DeskWriterTest, XlsxHoldsNumbersAsNumbersDatesAsDatesAndABoldFrozenHeader) {
    if (std::system("command -v unzip >/dev/null") != 0) GTEST_SKIP() << "unzip is not installed";
    const auto path = Dir / "levels.xlsx";
    const ExportResult result = ExportTable(Levels(), path.string(), ExportFormat::Xlsx);
    ASSERT_TRUE(result.Written) << result.Error;
    const std::string sheet = Unzip(path, "xl/worksheets/sheet1.xml");
    ASSERT_FALSE(sheet.empty());
    // Labels and codes are texts: "01" keeps its zero.
    EXPECT_THAT(sheet, HasSubstr("<c r=\"A1\" s=\"1\" t=\"inlineStr\"><is><t>收入等级代码</t></is></c>"));
    EXPECT_THAT(sheet, HasSubstr("<c r=\"A2\" t=\"inlineStr\"><is><t>01</t></is></c>"));
    EXPECT_THAT(sheet, HasSubstr("<c r=\"B2\"><v>3000</v></c>"));
    // 2024-02-29 is day 45351 of the spreadsheet's calendar, shown through a date format.
    EXPECT_THAT(sheet, ::testing::ContainsRegex("<c r=\"C2\" s=\"[0-9]+\"><v>45351</v></c>"));
    // A text that is no number or date stays text; an empty cell is not written.
    EXPECT_THAT(sheet, HasSubstr("<c r=\"B3\" t=\"inlineStr\"><is><t>未定</t></is></c>"));
    EXPECT_THAT(sheet, HasSubstr("<c r=\"C3\" t=\"inlineStr\"><is><t>不是日期</t></is></c>"));
    EXPECT_THAT(sheet, Not(HasSubstr("r=\"B4\"")));
    EXPECT_THAT(
        sheet,
        HasSubstr("<pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" state=\"frozen\"/>"));
    const std::string styles = Unzip(path, "xl/styles.xml");
    EXPECT_THAT(styles, HasSubstr("<b/>"));
    EXPECT_THAT(styles, HasSubstr("formatCode=\"yyyy-mm-dd\""));
}

TEST_F(DeskWriterTest, AFailedOrCancelledExportLeavesTheTargetAsItWasAndNothingElse) {
    for (const ExportFormat format : {ExportFormat::Csv, ExportFormat::Xlsx}) {
        SCOPED_TRACE(format == ExportFormat::Csv ? "csv" : "xlsx");
        // No such folder: a clear sentence naming the file.
        const std::string missing = (Dir / "no-such-folder" / "levels.out").string();
        ExportResult result = ExportTable(Levels(), missing, format);
        EXPECT_FALSE(result.Written);
        EXPECT_THAT(result.Error, HasSubstr("无法写入文件“" + missing + "”"));

        // An earlier file survives a cancel whole, and no temporary file is left beside it.
        const auto target = Dir / "kept.out";
        std::ofstream(target) << "earlier export";
        result = ExportTable(Levels(), target.string(), format,
                             [](std::size_t done, std::size_t) { return done == 0 ? false : true; });
        EXPECT_TRUE(result.Cancelled);
        EXPECT_EQ(ReadAll(target), "earlier export");
        EXPECT_EQ(FilesIn(Dir), std::vector<std::string>{"kept.out"});

        // A complete export replaces it.
        result = ExportTable(Levels(), target.string(), format);
        EXPECT_TRUE(result.Written) << result.Error;
        EXPECT_NE(ReadAll(target), "earlier export");
        EXPECT_EQ(FilesIn(Dir), std::vector<std::string>{"kept.out"});
        std::filesystem::remove(target);
    }
}

TEST_F(DeskWriterTest, AFolderIsNoTarget) {
    const ExportResult result = ExportTable(Levels(), Dir.string(), ExportFormat::Csv);
    EXPECT_FALSE(result.Written);
    EXPECT_THAT(result.Error, HasSubstr("文件夹"));
    EXPECT_TRUE(std::filesystem::is_directory(Dir));
}

TEST(DeskCellValues, NumbersDatesAndKinds) {
    struct NumberCase {
        const char* Text;
        bool Read;
        double Value;
    } numbers[] = {
        {"0", true, 0},   {"3000", true, 3000}, {"-12", true, -12},  {"2.5", true, 2.5}, {"1e3", true, 1000},
        {"01", false, 0}, {"-007", false, 0},   {"", false, 0},      {"inf", false, 0},  {"nan", false, 0},
        {" 5", false, 0}, {"5 ", false, 0},     {"1,000", false, 0}, {"+5", false, 0},   {".5", false, 0},
        {"-", false, 0},  {"0.5", true, 0.5},
    };
    for (const NumberCase& c : numbers) {
        double v = -1;
        EXPECT_EQ(ReadNumber(c.Text, v), c.Read) << c.Text;
        if (c.Read) {
            EXPECT_DOUBLE_EQ(v, c.Value) << c.Text;
        }
    }
    struct DateCase {
        const char* Text;
        bool Read;
    } dates[] = {
        {"2024-02-29", true},          {"2023-02-29", false},
        {"2024-13-01", false},         {"2024-1-01", false},
        {"2024-01-31 23:59:59", true}, {"2024-01-31 24:00", false},
        {"2024-01-31 08:30", true},    {"1899-12-31", false},
        {"2024/01/31", false},         {"", false},
    };
    for (const DateCase& c : dates) {
        DateTimeParts d;
        EXPECT_EQ(ReadDate(c.Text, d), c.Read) << c.Text;
    }
    EXPECT_EQ(InferKind(true, {"3000", "", "-5"}), ColumnKind::Number);
    EXPECT_EQ(InferKind(false, {"3000", "5"}), ColumnKind::Text); // a left-aligned column of digits is codes
    EXPECT_EQ(InferKind(true, {"01", "02"}), ColumnKind::Text);
    EXPECT_EQ(InferKind(false, {"2024-01-02", ""}), ColumnKind::Date);
    EXPECT_EQ(InferKind(true, {"", ""}), ColumnKind::Text);
    EXPECT_EQ(InferKind(false, {"2024-01-02", "soon"}), ColumnKind::Text);
}

} // namespace
} // namespace qm::desk
