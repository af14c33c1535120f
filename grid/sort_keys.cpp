#include "grid/sort_keys.h"

#include <QLocale>
#include <algorithm>
#include <limits>
#include <numeric>

#include "dataset/mem_table.h"
#include "grid/column.h"
#include "grid/row_text.h"

namespace qm::gridimpl {

namespace {

const QCollator& ChineseCollator() {
    static const QCollator collator = [] {
        QCollator c{QLocale(QLocale::Chinese, QLocale::China)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

// A null sorts before every value.
constexpr double kNullNumber = -std::numeric_limits<double>::infinity();

} // namespace

bool SortsByValue(const TField& field) {
    return field.DataType() != ftString && field.DataType() != ftUnknown;
}

void TSortKeys::Invalidate() {
    FValid = false;
    FField = nullptr;
    FColumn = nullptr;
    FNumbers.clear();
    FTexts.clear();
    FStale.clear();
    FAnyStale = false;
}

void TSortKeys::RowChanged(int pos) {
    if (!FValid || pos < 0 || pos >= static_cast<int>(FStale.size())) return;
    FStale[static_cast<std::size_t>(pos)] = 1;
    FAnyStale = true;
}

void TSortKeys::RowInserted(int pos) {
    if (!FValid) return;
    if (pos < 0 || pos > static_cast<int>(FStale.size())) {
        Invalidate();
        return;
    }
    const auto at = static_cast<std::ptrdiff_t>(pos);
    if (FByValue)
        FNumbers.insert(FNumbers.begin() + at, kNullNumber);
    else
        FTexts.insert(FTexts.begin() + at, ChineseCollator().sortKey(QString()));
    FStale.insert(FStale.begin() + at, 1);
    FAnyStale = true;
}

void TSortKeys::RowRemoved(int pos) {
    if (!FValid) return;
    if (pos < 0 || pos >= static_cast<int>(FStale.size())) {
        Invalidate();
        return;
    }
    const auto at = static_cast<std::ptrdiff_t>(pos);
    if (FByValue)
        FNumbers.erase(FNumbers.begin() + at);
    else
        FTexts.erase(FTexts.begin() + at);
    FStale.erase(FStale.begin() + at);
}

void TSortKeys::MakeKey(const TMemTable& table, int pos) {
    const auto i = static_cast<std::size_t>(pos);
    if (FByValue) {
        FNumbers[i] = kNullNumber;
        table.NumberAt(pos, FField->Index(), FNumbers[i]);
        return;
    }
    const std::string text = RowText(table, pos, *FField);
    const std::string shown = FColumn ? FColumn->DisplayFor(text) : text;
    FTexts[i] =
        ChineseCollator().sortKey(QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size())));
}

void TSortKeys::Update(const TMemTable& table, const TField& field, const TQmColumn* column) {
    const int rows = table.RecordCount();
    const auto n = static_cast<std::size_t>(rows);
    if (FValid && FField == &field && FColumn == column && FStale.size() == n) {
        if (!FAnyStale) return;
        for (int pos = 0; pos < rows; ++pos)
            if (FStale[static_cast<std::size_t>(pos)]) MakeKey(table, pos);
        std::fill(FStale.begin(), FStale.end(), 0);
        FAnyStale = false;
        return;
    }
    Invalidate();
    FField = &field;
    FColumn = column;
    FByValue = SortsByValue(field);
    FStale.assign(n, 0);
    if (FByValue) {
        FNumbers.assign(n, kNullNumber);
    } else {
        FTexts.reserve(n);
        for (int pos = 0; pos < rows; ++pos)
            FTexts.push_back(ChineseCollator().sortKey(QString()));
    }
    for (int pos = 0; pos < rows; ++pos)
        MakeKey(table, pos);
    FValid = true;
}

bool TSortKeys::Before(int a, int b, bool descending) const {
    if (descending) std::swap(a, b);
    const auto i = static_cast<std::size_t>(a), j = static_cast<std::size_t>(b);
    if (FByValue) return FNumbers[i] < FNumbers[j];
    return FTexts[i].compare(FTexts[j]) < 0;
}

std::vector<int> TSortKeys::Sorted(const TMemTable& table, const TField& field, const TQmColumn* column,
                                   bool descending) {
    Update(table, field, column);
    std::vector<int> order(FStale.size());
    std::iota(order.begin(), order.end(), 0);
    // One comparison per kind of key, without a branch inside the sort.
    auto sortBy = [&order, descending](const auto& keys, auto less) {
        auto key = [&keys](int pos) -> const auto& {
            return keys[static_cast<std::size_t>(pos)];
        };
        if (descending)
            std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return less(key(b), key(a)); });
        else
            std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return less(key(a), key(b)); });
    };
    if (FByValue)
        sortBy(FNumbers, [](double a, double b) { return a < b; });
    else
        sortBy(FTexts, [](const QCollatorSortKey& a, const QCollatorSortKey& b) { return a.compare(b) < 0; });
    return order;
}

std::size_t TSortKeys::InsertionPoint(const std::vector<int>& order, int pos, const TMemTable& table,
                                      const TField& field, const TQmColumn* column, bool descending) {
    Update(table, field, column);
    // After every row it does not sort before, and after its equals of a lower table position.
    const auto at = std::partition_point(order.begin(), order.end(), [&](int other) {
        return !Before(pos, other, descending) && (Before(other, pos, descending) || other < pos);
    });
    return static_cast<std::size_t>(at - order.begin());
}

} // namespace qm::gridimpl
