// Printing through the real window: the preview of Ctrl+P, a PDF through 导出 PDF and through a
// script, with as many pages as the rows need.
#include "desk_fixture.h"
#include "host/desk/grid_printer.h"

#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

#include <fstream>
#include <regex>
#include <sstream>

namespace qm::host::testing {
namespace {

// The page count a PDF declares in its page tree.
int PdfPages(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    const std::string text = s.str();
    if (text.rfind("%PDF-", 0) != 0) return -1;
    std::smatch m;
    const std::regex pages(R"(/Type\s*/Pages\b[^>]*?/Count\s+(\d+))");
    return std::regex_search(text, m, pages) ? std::stoi(m[1]) : -1;
}

class DeskPrintTest : public DeskTest {
protected:
    // The rows a PDF page holds for the open grid.
    int RowsPerPdfPage() {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const desk::GridTable table(*Grid());
        return desk::GridPrinter(table, {}).RowsPerPage(printer);
    }
};

TEST_F(DeskPrintTest, CtrlPShowsAPreviewOfThePages) {
    Open();
    int pages = 0;
    QSize size;
    QPrintPreviewWidget::ZoomMode zoom = QPrintPreviewWidget::CustomZoom;
    ASSERT_TRUE(OnModal<QPrintPreviewDialog>([] { Key(Qt::Key_P, Qt::ControlModifier); },
                                             [&](QPrintPreviewDialog* preview) {
                                                 auto* widget = preview->findChild<QPrintPreviewWidget*>();
                                                 ASSERT_NE(widget, nullptr);
                                                 pages = widget->pageCount();
                                                 size = preview->size();
                                                 zoom = widget->zoomMode();
                                                 preview->reject();
                                             }));
    EXPECT_EQ(pages, 1);
    // Large enough to read: most of the window, the page as wide as the view.
    EXPECT_GE(size.width(), Window->width() * 8 / 10);
    EXPECT_GE(size.height(), Window->height() * 8 / 10);
    EXPECT_EQ(zoom, QPrintPreviewWidget::FitToWidth);
    EXPECT_TRUE(FocusInGrid());
}

TEST_F(DeskPrintTest, ExportPdfWritesThePagesThePreviewShows) {
    Open();
    const auto path = Dir / "levels.pdf";
    ASSERT_TRUE(OnModal<QDialog>([&] { MenuAction("exportPdf")->trigger(); },
                                 [&](QDialog* dialog) { SaveAs(dialog, path.string()); }));
    EXPECT_EQ(PdfPages(path), 1);
    EXPECT_THAT(StatusText(), ::testing::HasSubstr("已导出 PDF"));
}

TEST_F(DeskPrintTest, EveryPageHoldsTheSameNumberOfRowsUnderTheRepeatedLabels) {
    Open();
    const int perPage = RowsPerPdfPage();
    ASSERT_GT(perPage, 10);
    // Two full pages, then one row more.
    AddLevels(2 * perPage - Rows());
    ScriptRunner runner(*Window, &Boxes, std::cerr);
    ASSERT_TRUE(runner.Run(ParseScript("command search\nprint " + (Dir / "two.pdf").string() + "\n")));
    ASSERT_EQ(Rows(), 2 * perPage);
    EXPECT_EQ(PdfPages(Dir / "two.pdf"), 2);
    AddLevels(1);
    ASSERT_TRUE(runner.Run(ParseScript("command search\nprint " + (Dir / "three.pdf").string() + "\n")));
    EXPECT_EQ(PdfPages(Dir / "three.pdf"), 3);
    // Nothing but the two files and the store.
    EXPECT_EQ(OtherFiles(), (std::vector<std::string>{"three.pdf", "two.pdf"}));
}

} // namespace
} // namespace qm::host::testing
