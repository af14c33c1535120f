#include "grid/sort_keys.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <limits>
#include <numeric>

#include "dataset/mem_table.h"
#include "grid/column.h"
#include "grid/row_text.h"

namespace qm::gridimpl {

namespace {

template <class Less> std::vector<int> SortBy(int rows, bool descending, Less less) {
    std::vector<int> order(static_cast<std::size_t>(rows));
    std::iota(order.begin(), order.end(), 0);
    if (descending)
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return less(b, a); });
    else
        std::stable_sort(order.begin(), order.end(), less);
    return order;
}

const QCollator& ChineseCollator() {
    static const QCollator collator = [] {
        QCollator c{QLocale(QLocale::Chinese, QLocale::China)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

} // namespace

bool SortsByValue(const TField& field) {
    return field.DataType() != ftString && field.DataType() != ftUnknown;
}

std::vector<int> SortedPositions(const TMemTable& table, const TField& field, const TQmColumn* column,
                                 bool descending) {
    const int rows = table.RecordCount();
    const auto n = static_cast<std::size_t>(rows);
    if (SortsByValue(field)) {
        // A null sorts before every value.
        std::vector<double> keys(n, -std::numeric_limits<double>::infinity());
        for (int pos = 0; pos < rows; ++pos)
            table.NumberAt(pos, field.Index(), keys[static_cast<std::size_t>(pos)]);
        return SortBy(rows, descending, [&keys](int a, int b) {
            return keys[static_cast<std::size_t>(a)] < keys[static_cast<std::size_t>(b)];
        });
    }
    const QCollator& collator = ChineseCollator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(n);
    for (int pos = 0; pos < rows; ++pos) {
        const std::string text = RowText(table, pos, field);
        const std::string shown = column ? column->DisplayFor(text) : text;
        keys.push_back(
            collator.sortKey(QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size()))));
    }
    return SortBy(rows, descending, [&keys](int a, int b) {
        return keys[static_cast<std::size_t>(a)].compare(keys[static_cast<std::size_t>(b)]) < 0;
    });
}

} // namespace qm::gridimpl
