// Export figures as ratios to a baseline measured in the same run, each the median over
// repetitions of the ratio within one repetition:
//  - 100,000 rows to CSV through the desk's writer (temporary file, flush, rename) / writing the
//    same bytes with fwrite (target <= 2). Both replace the file the last repetition wrote, as a
//    second export to the same name does: the writer's rename frees the old file's pages as the
//    baseline's truncation does. The writer also flushes its file to disk before the rename, which
//    fwrite does not; the same bytes written and flushed are a second baseline, for the safety's
//    share of the cost.
//  - the same rows through the clerk's path: a shown grid over an in-memory table, read as the
//    desk reads it (GridTable over the grid's view) and written by the same writer, against one
//    fwrite of the same bytes and against a plain C loop writing the same rows, held in memory as
//    texts, field by field through stdio (each field fwrite'n, commas and line ends put one by one).
//  - 100,000 rows to .xlsx through the desk's writer / libxlsxwriter's own loop over the same
//    values, already converted to numbers (target <= 1.5)
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <xlsxwriter.h>

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/grid/shown_grid.h"
#include "dataset/data_source.h"
#include "dataset/mem_table.h"
#include "grid/db_grid.h"
#include "host/desk/grid_table.h"
#include "host/desk/table_export.h"

namespace qm::desk {
namespace {

constexpr int kRows = 100000;
constexpr int kRepetitions = 9;

// Process CPU time: the machine is shared, and wall time would charge other processes' turns to us.
double Now() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

// Income levels as the grid shows them: code, name, bounds and the day the row was made.
const MemoryTable& Levels() {
    static const MemoryTable table = [] {
        MemoryTable t({{"收入等级代码", ColumnKind::Text},
                       {"收入等级名称", ColumnKind::Text},
                       {"收入下限", ColumnKind::Number},
                       {"收入上限", ColumnKind::Number},
                       {"建立日期", ColumnKind::Date}});
        for (int i = 0; i < kRows; ++i) {
            char code[16];
            std::snprintf(code, sizeof code, "L%06d", i);
            t.Add({code, "收入等级 " + std::to_string(i), std::to_string(i * 100),
                   std::to_string(i * 100 + 99),
                   "2024-0" + std::to_string(1 + i % 9) + "-1" + std::to_string(i % 10)});
        }
        return t;
    }();
    return table;
}

std::string Folder() {
    static const std::string dir = [] {
        const auto d = std::filesystem::temp_directory_path() / ("qm-desk-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(d);
        return d.string();
    }();
    return dir;
}

std::string ReadFile(const std::string& path) {
    std::string out(std::filesystem::file_size(path), '\0');
    FILE* f = std::fopen(path.c_str(), "rb");
    const std::size_t n = std::fread(out.data(), 1, out.size(), f);
    std::fclose(f);
    out.resize(n);
    return out;
}

// The CSV bytes of the table, made once: what a plain program would write.
const std::string& CsvBytes() {
    static const std::string bytes = [] {
        const std::string path = Folder() + "/bytes.csv";
        ExportTable(Levels(), path, ExportFormat::Csv);
        return ReadFile(path);
    }();
    return bytes;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The three alternate within a repetition, so that the machine's changing pace meets each alike;
// each figure is a median over the alternations.
void BM_CsvExportVsFwrite(benchmark::State& state) {
    constexpr int kAlternations = 9;
    const std::string& bytes = CsvBytes();
    const std::string plain = Folder() + "/plain.csv", flushed = Folder() + "/flushed.csv",
                      ours = Folder() + "/ours.csv";
    auto fwriteTo = [&bytes](const std::string& path, bool flush) {
        const double t0 = Now();
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        if (flush) {
            std::fflush(f);
            ::fsync(::fileno(f));
        }
        std::fclose(f);
        return Now() - t0;
    };
    std::vector<double> base, safe, subject;
    for (auto _ : state) {
        for (int i = 0; i < kAlternations; ++i) {
            base.push_back(fwriteTo(plain, false));
            safe.push_back(fwriteTo(flushed, true));
            const double t0 = Now();
            benchmark::DoNotOptimize(ExportTable(Levels(), ours, ExportFormat::Csv).Written);
            subject.push_back(Now() - t0);
        }
    }
    state.counters["ratio"] = Median(subject) / Median(base);
    state.counters["ratio_to_flushed"] = Median(subject) / Median(safe);
    state.counters["export_ms"] = 1000 * Median(subject);
    state.counters["fwrite_ms"] = 1000 * Median(base);
    state.counters["csv_MB"] = static_cast<double>(bytes.size()) / 1e6;
}
BENCHMARK(BM_CsvExportVsFwrite)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(kRepetitions);

// The same rows in the dataset's table behind a shown grid, as a clerk's search leaves them.
class LevelsGrid {
public:
    LevelsGrid() {
        const MemoryTable& levels = Levels();
        const qm::TFieldType types[] = {qm::ftString, qm::ftString, qm::ftInteger, qm::ftInteger, qm::ftDate};
        for (std::size_t c = 0; c < levels.Columns().size(); ++c)
            FTable.FieldDefs().Add("F" + std::to_string(c), types[c], c < 2 ? 30 : 0);
        FTable.CreateDataSet();
        for (std::size_t c = 0; c < levels.Columns().size(); ++c)
            FTable.Fields(static_cast<int>(c))->SetDisplayLabel(levels.Columns()[c].Label);
        FTable.ReserveRows(kRows);
        FTable.DisableControls();
        std::vector<std::string_view> cells;
        for (std::size_t r = 0; r < levels.RowCount(); ++r) {
            levels.Row(r, cells);
            FTable.Append();
            for (std::size_t c = 0; c < cells.size(); ++c)
                FTable.Fields(static_cast<int>(c))->SetAsString(std::string(cells[c]));
            FTable.Post();
        }
        FGrid = qm::bench::ShowGrid(FTable, FSource);
    }
    ~LevelsGrid() { FGrid.reset(); }
    const qm::TQmDBGrid& Grid() const { return *FGrid; }

private:
    qm::TMemTable FTable;
    qm::TDataSource FSource;
    std::unique_ptr<qm::TQmDBGrid> FGrid;
};

std::unique_ptr<LevelsGrid> TheGrid; // made on first use, gone before the application

// A plain C program's loop: the rows' texts held in memory, written field by field through stdio.
// None of these rows needs quoting.
void FwriteLoop(const std::string& path, const std::vector<std::vector<std::string>>& rows) {
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite("\xEF\xBB\xBF", 1, 3, f);
    for (const std::vector<std::string>& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c) std::fputc(',', f);
            std::fwrite(row[c].data(), 1, row[c].size(), f);
        }
        std::fputc('\r', f);
        std::fputc('\n', f);
    }
    std::fclose(f);
}

void BM_GridCsvExportVsFwrite(benchmark::State& state) {
    constexpr int kAlternations = 9;
    if (!TheGrid) TheGrid = std::make_unique<LevelsGrid>();
    const std::string& bytes = CsvBytes();
    std::vector<std::vector<std::string>> rows;
    {
        const MemoryTable& levels = Levels();
        std::vector<std::string> header;
        for (const TableColumn& column : levels.Columns())
            header.push_back(column.Label);
        rows.push_back(std::move(header));
        std::vector<std::string_view> cells;
        for (std::size_t r = 0; r < levels.RowCount(); ++r) {
            levels.Row(r, cells);
            rows.emplace_back(cells.begin(), cells.end());
        }
    }
    const std::string single = Folder() + "/single.csv", loop = Folder() + "/loop.csv",
                      ours = Folder() + "/grid.csv";
    FwriteLoop(loop, rows);
    ExportTable(GridTable(TheGrid->Grid()), ours, ExportFormat::Csv);
    if (ReadFile(loop) != bytes || ReadFile(ours) != bytes) {
        state.SkipWithError("the grid's export, the loop and the ready bytes differ");
        return;
    }
    std::vector<double> one, plain, subject;
    for (auto _ : state) {
        for (int i = 0; i < kAlternations; ++i) {
            double t0 = Now();
            FILE* f = std::fopen(single.c_str(), "wb");
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
            one.push_back(Now() - t0);
            t0 = Now();
            FwriteLoop(loop, rows);
            plain.push_back(Now() - t0);
            t0 = Now();
            const GridTable table(TheGrid->Grid());
            benchmark::DoNotOptimize(ExportTable(table, ours, ExportFormat::Csv).Written);
            subject.push_back(Now() - t0);
        }
    }
    state.counters["ratio_to_fwrite_loop"] = Median(subject) / Median(plain);
    state.counters["ratio_to_one_fwrite"] = Median(subject) / Median(one);
    state.counters["export_ms"] = 1000 * Median(subject);
    state.counters["fwrite_loop_ms"] = 1000 * Median(plain);
    state.counters["one_fwrite_ms"] = 1000 * Median(one);
}
BENCHMARK(BM_GridCsvExportVsFwrite)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(kRepetitions);

// libxlsxwriter's own loop: the same cells, numbers and dates handed over ready-made.
void PlainXlsx(const std::string& path, const std::vector<std::vector<double>>& numbers,
               const std::vector<lxw_datetime>& dates) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(path.c_str(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "yyyy-mm-dd");
    worksheet_freeze_panes(sheet, 1, 0);
    const MemoryTable& table = Levels();
    for (std::size_t c = 0; c < table.Columns().size(); ++c)
        worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), table.Columns()[c].Label.c_str(), bold);
    std::vector<std::string_view> cells;
    std::string text;
    for (std::size_t r = 0; r < table.RowCount(); ++r) {
        table.Row(r, cells);
        const auto row = static_cast<lxw_row_t>(r + 1);
        worksheet_write_string(sheet, row, 0, text.assign(cells[0]).c_str(), nullptr);
        worksheet_write_string(sheet, row, 1, text.assign(cells[1]).c_str(), nullptr);
        worksheet_write_number(sheet, row, 2, numbers[r][0], nullptr);
        worksheet_write_number(sheet, row, 3, numbers[r][1], nullptr);
        lxw_datetime when = dates[r];
        worksheet_write_datetime(sheet, row, 4, &when, date);
    }
    workbook_close(book);
}

void BM_XlsxExportVsLibxlsxwriter(benchmark::State& state) {
    const MemoryTable& table = Levels();
    std::vector<std::vector<double>> numbers;
    std::vector<lxw_datetime> dates;
    std::vector<std::string_view> views;
    for (std::size_t r = 0; r < table.RowCount(); ++r) {
        table.Row(r, views);
        const std::vector<std::string> cells(views.begin(), views.end());
        numbers.push_back({std::strtod(cells[2].c_str(), nullptr), std::strtod(cells[3].c_str(), nullptr)});
        dates.push_back({std::atoi(cells[4].substr(0, 4).c_str()), std::atoi(cells[4].substr(5, 2).c_str()),
                         std::atoi(cells[4].substr(8, 2).c_str()), 0, 0, 0});
    }
    const std::string plain = Folder() + "/plain.xlsx", ours = Folder() + "/ours.xlsx";
    double base = 0, subject = 0;
    for (auto _ : state) {
        double t0 = Now();
        PlainXlsx(plain, numbers, dates);
        base += Now() - t0;
        t0 = Now();
        benchmark::DoNotOptimize(ExportTable(table, ours, ExportFormat::Xlsx).Written);
        subject += Now() - t0;
    }
    state.counters["ratio"] = subject / base;
    state.counters["xlsx_ms"] = 1000 * base / static_cast<double>(state.iterations());
}
BENCHMARK(BM_XlsxExportVsLibxlsxwriter)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(kRepetitions);

} // namespace
} // namespace qm::desk

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    qm::desk::TheGrid.reset();
    std::filesystem::remove_all(qm::desk::Folder());
    return 0;
}
