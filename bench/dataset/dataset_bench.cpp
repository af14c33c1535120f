// Storing a search answer: 100,000 income-level rows set from text, as the response reader does.
// Figures are ratios to a baseline in the same run: time against copying the same texts into
// strings, memory against the size of the answer's text.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "dataset/mem_table.h"

namespace {

constexpr int kRows = 100000;

struct Column {
    const char* Name;
    qm::TFieldType Type;
    int Size;
};
const Column kColumns[] = {
    {"MEMAC_ID", qm::ftLargeint, 0},  {"MEMAC001", qm::ftString, 4},   {"MEMAC002", qm::ftString, 30},
    {"MEMAC003", qm::ftLargeint, 0},  {"MEMAC004", qm::ftLargeint, 0}, {"CREATE_USER", qm::ftString, 12},
    {"USER_GROUP", qm::ftString, 12}, {"CREATE_DATE", qm::ftDate, 0},  {"MODIFIER", qm::ftString, 12},
    {"MODI_DATE", qm::ftDate, 0},     {"FLAG", qm::ftLargeint, 0}};
constexpr int kColumnCount = static_cast<int>(std::size(kColumns));

std::vector<std::string> RowValues(int i) {
    return {std::to_string(i),
            std::to_string(i % 10000),
            "收入等级" + std::to_string(i),
            std::to_string(i * 100),
            std::to_string(i * 100 + 99),
            "u001",
            "g01",
            "2008-06-02",
            "u002",
            "2008-06-18",
            "0"};
}

// The answer's text: one element per row with one attribute per column.
std::size_t AnswerBytes(const std::vector<std::vector<std::string>>& rows) {
    std::size_t bytes = 0;
    for (const auto& row : rows) {
        bytes += 6; // <row ... />
        for (int c = 0; c < kColumnCount; ++c)
            bytes += std::strlen(kColumns[c].Name) + 4 + row[c].size();
    }
    return bytes;
}

const std::vector<std::vector<std::string>>& Answer() {
    static const auto rows = [] {
        std::vector<std::vector<std::string>> r;
        for (int i = 0; i < kRows; ++i)
            r.push_back(RowValues(i));
        return r;
    }();
    return rows;
}

void BM_BaselineCopyTexts(benchmark::State& state) {
    const auto& rows = Answer();
    for (auto _ : state) {
        std::vector<std::string> cells;
        cells.reserve(static_cast<std::size_t>(kRows) * kColumnCount);
        for (const auto& row : rows)
            for (const auto& v : row)
                cells.emplace_back(v);
        benchmark::DoNotOptimize(cells.data());
    }
}
BENCHMARK(BM_BaselineCopyTexts)->Unit(benchmark::kMillisecond);

void BM_AppendRowsFromText(benchmark::State& state) {
    const auto& rows = Answer();
    std::size_t memory = 0;
    for (auto _ : state) {
        qm::TMemTable t;
        for (const Column& c : kColumns)
            t.FieldDefs().Add(c.Name, c.Type, c.Size);
        t.CreateDataSet();
        std::vector<qm::TField*> fields;
        for (int c = 0; c < kColumnCount; ++c)
            fields.push_back(t.Fields(c));
        for (const auto& row : rows) {
            t.Append();
            for (int c = 0; c < kColumnCount; ++c)
                fields[c]->SetAsString(row[c]);
            t.Post();
        }
        memory = t.MemoryUsed();
    }
    state.counters["bytes_per_row"] = static_cast<double>(memory) / kRows;
    state.counters["memory_to_answer_text"] =
        static_cast<double>(memory) / static_cast<double>(AnswerBytes(rows));
}
BENCHMARK(BM_AppendRowsFromText)->Unit(benchmark::kMillisecond);

} // namespace
