// Export figures as ratios to a baseline measured in the same run, each the median over
// repetitions of the ratio within one repetition:
//  - 100,000 rows to CSV through the desk's writer (temporary file, flush, rename) / writing the
//    same bytes with fwrite (target <= 2). Both replace the file the last repetition wrote, as a
//    second export to the same name does: the writer's rename frees the old file's pages as the
//    baseline's truncation does. The writer also flushes its file to disk before the rename, which
//    fwrite does not; the same bytes written and flushed are a second baseline, for the safety's
//    share of the cost.
//  - 100,000 rows to .xlsx through the desk's writer / libxlsxwriter's own loop over the same
//    values, already converted to numbers (target <= 1.5)
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

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

// The CSV bytes of the table, made once: what a plain program would write.
const std::string& CsvBytes() {
    static const std::string bytes = [] {
        const std::string path = Folder() + "/bytes.csv";
        ExportTable(Levels(), path, ExportFormat::Csv);
        std::string out(std::filesystem::file_size(path), '\0');
        FILE* f = std::fopen(path.c_str(), "rb");
        const std::size_t n = std::fread(out.data(), 1, out.size(), f);
        std::fclose(f);
        out.resize(n);
        return out;
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
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(qm::desk::Folder());
    return 0;
}
