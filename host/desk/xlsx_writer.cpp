// The .xlsx writer over libxlsxwriter, row by row in its constant-memory mode.
#include "host/desk/cell_values.h"
#include "host/desk/replacing_file.h"
#include "host/desk/table_export.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <stdexcept>

namespace qm::desk {

namespace {

// The sheet's own limit: one row of labels and the rest of the rows.
constexpr std::size_t kMaxRows = 1048576 - 1;

class Workbook {
public:
    explicit Workbook(const std::string& path) : FPath(path) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE; // rows go to disk as they are written
        FBook = workbook_new_opt(path.c_str(), &options);
        if (!FBook) throw std::runtime_error(CannotWrite(path, "无法创建工作簿"));
    }
    ~Workbook() {
        if (FBook) workbook_close(FBook); // an abandoned book: its file is removed by the caller
    }
    lxw_workbook* Get() const { return FBook; }
    void Close() {
        const lxw_error error = workbook_close(FBook);
        FBook = nullptr;
        if (error != LXW_NO_ERROR) throw std::runtime_error(CannotWrite(FPath, lxw_strerror(error)));
    }

private:
    std::string FPath;
    lxw_workbook* FBook;
};

// A column about as wide as its label and first texts, in character widths (a CJK character is two).
double WidthOf(std::string_view text) {
    double width = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) width += c >= 0xE0 ? 2 : 1;
    return width;
}

} // namespace

bool WriteXlsx(const TableSource& table, const std::string& path, const ExportProgress& progress) {
    const std::size_t rows = table.RowCount();
    if (rows > kMaxRows)
        throw std::runtime_error(
            CannotWrite(path, "行数超过 .xlsx 的上限（" + std::to_string(kMaxRows) + " 行）"));
    Workbook book(path);
    lxw_worksheet* sheet = workbook_add_worksheet(book.Get(), nullptr);
    lxw_format* bold = workbook_add_format(book.Get());
    format_set_bold(bold);
    lxw_format* date = workbook_add_format(book.Get());
    format_set_num_format(date, "yyyy-mm-dd");
    lxw_format* stamp = workbook_add_format(book.Get());
    format_set_num_format(stamp, "yyyy-mm-dd hh:mm:ss");

    const std::vector<TableColumn>& columns = table.Columns();
    std::vector<std::string_view> cells;
    std::string text; // a cell's text ended as the library reads it
    if (rows > 0) table.Row(0, cells);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const double width = std::max(WidthOf(columns[c].Label), c < cells.size() ? WidthOf(cells[c]) : 0.0);
        worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                             std::clamp(width + 2, 8.0, 60.0), nullptr);
    }
    worksheet_freeze_panes(sheet, 1, 0);
    for (std::size_t c = 0; c < columns.size(); ++c)
        worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), columns[c].Label.c_str(), bold);

    for (std::size_t r = 0; r < rows; ++r) {
        if (progress && r % kProgressStep == 0 && !progress(r, rows)) return false;
        table.Row(r, cells);
        const auto row = static_cast<lxw_row_t>(r + 1);
        for (std::size_t c = 0; c < cells.size() && c < columns.size(); ++c) {
            if (cells[c].empty()) continue;
            text.assign(cells[c]);
            const auto col = static_cast<lxw_col_t>(c);
            double number = 0;
            DateTimeParts d;
            lxw_error error = LXW_NO_ERROR;
            if (columns[c].Kind == ColumnKind::Number && ReadNumber(text, number)) {
                error = worksheet_write_number(sheet, row, col, number, nullptr);
            } else if (columns[c].Kind == ColumnKind::Date && ReadDate(text, d)) {
                lxw_datetime when{d.Year, d.Month, d.Day, d.Hour, d.Minute, d.Second};
                error = worksheet_write_datetime(sheet, row, col, &when, text.size() > 10 ? stamp : date);
            } else {
                error = worksheet_write_string(sheet, row, col, text.c_str(), nullptr);
            }
            if (error != LXW_NO_ERROR) throw std::runtime_error(CannotWrite(path, lxw_strerror(error)));
        }
    }
    book.Close();
    if (progress) progress(rows, rows);
    return true;
}

} // namespace qm::desk
