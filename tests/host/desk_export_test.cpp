// Export through the real window: Ctrl+E, the save dialog, the file read back; the progress bar of
// a long export and its cancel; a file that cannot be written.
#include "desk_fixture.h"

#include <QProgressDialog>
#include <QPushButton>

#include <fstream>
#include <sstream>

namespace qm::host::testing {
namespace {

using ::testing::HasSubstr;

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t end; (end = text.find("\r\n", from)) != std::string::npos; from = end + 2)
        lines.push_back(text.substr(from, end - from));
    return lines;
}

class DeskExportTest : public DeskTest {
protected:
    // Ctrl+E on the grid, the path typed into the dialog.
    bool ExportByKeys(const std::filesystem::path& path) {
        return OnModal<QDialog>([] { Key(Qt::Key_E, Qt::ControlModifier); },
                                [&](QDialog* dialog) { SaveAs(dialog, path.string()); });
    }
};

TEST_F(DeskExportTest, CtrlEWritesTheShownColumnsInTheirOrderWithTheirLabels) {
    Open();
    ASSERT_TRUE(FocusInGrid());
    // The clerk dragged the name before the code.
    QHeaderView* header = Grid()->horizontalHeader();
    const int name = FindFieldColumn(Grid(), "MEMAC002");
    header->moveSection(header->visualIndex(name), header->visualIndex(FindFieldColumn(Grid(), "MEMAC001")));
    const auto path = Dir / "levels.csv";
    ASSERT_TRUE(ExportByKeys(path));
    const std::string text = ReadAll(path);
    ASSERT_EQ(text.rfind("\xEF\xBB\xBF", 0), 0u) << "no byte-order mark";
    const std::vector<std::string> lines = Lines(text.substr(3));
    // The hidden key and stamps stay out; the rows come in the grid's order.
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "收入等级名称,收入等级代码,收入下限,收入上限");
    EXPECT_EQ(lines[1], "低收入,01,0,2999");
    EXPECT_EQ(lines[6], "特高收入,06,50000,999999");
    EXPECT_THAT(StatusText(), HasSubstr("已导出 6 条"));
    EXPECT_TRUE(FocusInGrid());
}

TEST_F(DeskExportTest, AnXlsxOfTheGridKeepsCodesAsTextAndBoundsAsNumbers) {
    if (std::system("command -v unzip >/dev/null") != 0) GTEST_SKIP() << "unzip is not installed";
    Open();
    const auto path = Dir / "levels.xlsx";
    ASSERT_TRUE(ExportByKeys(path));
    const std::string sheet = [&] {
        std::string out;
        FILE* pipe = popen(("unzip -p '" + path.string() + "' xl/worksheets/sheet1.xml").c_str(), "r");
        char buffer[4096];
        for (std::size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        if (pipe) pclose(pipe);
        return out;
    }();
    EXPECT_THAT(sheet, HasSubstr("<c r=\"A2\" t=\"inlineStr\"><is><t>01</t></is></c>"));
    EXPECT_THAT(sheet, HasSubstr("<c r=\"B2\" t=\"inlineStr\"><is><t>低收入</t></is></c>"));
    EXPECT_THAT(sheet, HasSubstr("<c r=\"D7\"><v>999999</v></c>"));
    EXPECT_THAT(sheet, HasSubstr("state=\"frozen\""));
}

TEST_F(DeskExportTest, ALongExportShowsItsProgressAndACancelLeavesNoFile) {
    AddLevels(10001);
    Open();
    ASSERT_EQ(Rows(), 10007);
    const auto path = Dir / "many.csv";
    bool progressSeen = false;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* progress = Window->findChild<QProgressDialog*>("exportProgress");
        if (!progress || !progress->isVisible() || progressSeen) return;
        progressSeen = true;
        auto* cancel = progress->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    watch.start();
    ASSERT_TRUE(ExportByKeys(path));
    watch.stop();
    EXPECT_TRUE(progressSeen);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_THAT(OtherFiles(), ::testing::IsEmpty());
    EXPECT_THAT(StatusText(), HasSubstr("已取消导出"));

    // Let run, it writes every row.
    ASSERT_TRUE(ExportByKeys(path));
    EXPECT_EQ(Lines(ReadAll(path)).size(), 10008u);
}

TEST_F(DeskExportTest, AFileThatCannotBeWrittenIsSaidInTheErrorBar) {
    Open();
    ScriptRunner runner(*Window, &Boxes, std::cerr);
    EXPECT_FALSE(runner.Run(ParseScript("export /proc/levels.csv\n")));
    EXPECT_TRUE(Window->ErrorShown());
    EXPECT_THAT(Window->LastStatus(), HasSubstr("无法写入文件“/proc/levels.csv”"));
    // The script's own export and a wrong extension.
    Window->DismissError();
    EXPECT_TRUE(runner.Run(ParseScript("export " + (Dir / "s.xlsx").string() + "\n")));
    EXPECT_TRUE(std::filesystem::exists(Dir / "s.xlsx"));
    EXPECT_FALSE(runner.Run(ParseScript("export " + (Dir / "s.txt").string() + "\n")));
    EXPECT_THAT(Window->LastStatus(), HasSubstr(".csv 或 .xlsx"));
}

} // namespace
} // namespace qm::host::testing
