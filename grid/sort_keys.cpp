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

QCollatorSortKey Collated(const std::string& text) {
    return ChineseCollator().sortKey(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

bool LetterOrDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Texts of Latin letters and digits only, as the collation orders them: by their bytes with the
// letters lowered. Negative, zero or positive as a comes before, with or after b.
int CompareLowered(const std::string& a, const std::string& b) {
    auto lowered = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char x = lowered(a[i]), y = lowered(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

} // namespace

bool SortsByValue(const TField& field) {
    return field.DataType() != ftString && field.DataType() != ftUnknown;
}

void TSortKeys::Invalidate() {
    FValid = false;
    FField = nullptr;
    FColumn = nullptr;
    FNumbers.clear();
    FTextOf.clear();
    FIds.clear();
    FTexts.clear();
    FCollated.clear();
    FCollatedTexts = 0;
    FRankOf.clear();
    FRanked = false;
    FRanks.clear();
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
    if (FByValue) {
        FNumbers.insert(FNumbers.begin() + at, kNullNumber);
    } else {
        FTextOf.insert(FTextOf.begin() + at, 0);
        FRanks.insert(FRanks.begin() + at, 0);
    }
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
    if (FByValue) {
        FNumbers.erase(FNumbers.begin() + at);
    } else {
        FTextOf.erase(FTextOf.begin() + at);
        FRanks.erase(FRanks.begin() + at);
    }
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
    FTextOf[i] = TextId(FColumn ? FColumn->DisplayFor(text) : text);
}

int TSortKeys::TextId(const std::string& shown) {
    const auto [at, added] = FIds.try_emplace(shown, static_cast<int>(FCollated.size()));
    if (added) {
        FTexts.push_back(&at->first);
        if (std::all_of(shown.begin(), shown.end(), LetterOrDigit)) {
            FCollated.emplace_back();
        } else {
            FCollated.emplace_back(Collated(shown));
            ++FCollatedTexts;
        }
        FRanked = false;
    }
    return at->second;
}

void TSortKeys::RankTexts() {
    std::vector<int> ids(FCollated.size());
    std::iota(ids.begin(), ids.end(), 0);
    auto at = [](int id) { return static_cast<std::size_t>(id); };
    auto rank = [&](auto compare) {
        std::sort(ids.begin(), ids.end(), [&](int a, int b) { return compare(a, b) < 0; });
        FRankOf.assign(ids.size(), 0);
        int r = 0;
        for (std::size_t k = 0; k < ids.size(); ++k) {
            if (k > 0 && compare(ids[k - 1], ids[k]) < 0) ++r;
            FRankOf[at(ids[k])] = r;
        }
    };
    if (FCollatedTexts == 0) {
        rank([&](int a, int b) { return CompareLowered(*FTexts[at(a)], *FTexts[at(b)]); });
    } else {
        // Other texts among them: every text is ranked by its key.
        for (std::size_t id = 0; id < FCollated.size(); ++id)
            if (!FCollated[id]) FCollated[id] = Collated(*FTexts[id]);
        rank([&](int a, int b) { return FCollated[at(a)]->compare(*FCollated[at(b)]); });
    }
    FRanks.resize(FTextOf.size());
    for (std::size_t pos = 0; pos < FTextOf.size(); ++pos)
        FRanks[pos] = FRankOf[static_cast<std::size_t>(FTextOf[pos])];
    FRanked = true;
}

void TSortKeys::Update(const TMemTable& table, const TField& field, const TQmColumn* column) {
    const int rows = table.RecordCount();
    const auto n = static_cast<std::size_t>(rows);
    if (FValid && FField == &field && FColumn == column && FStale.size() == n) {
        if (!FAnyStale) return;
        for (int pos = 0; pos < rows; ++pos)
            if (FStale[static_cast<std::size_t>(pos)]) MakeKey(table, pos);
        if (!FByValue) {
            // A text new to the column takes a place among the others: every rank may move.
            if (!FRanked)
                RankTexts();
            else
                for (std::size_t pos = 0; pos < n; ++pos)
                    if (FStale[pos]) FRanks[pos] = FRankOf[static_cast<std::size_t>(FTextOf[pos])];
        }
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
        FTextOf.assign(n, 0);
        FIds.reserve(n); // no rehash while the texts go in
    }
    for (int pos = 0; pos < rows; ++pos)
        MakeKey(table, pos);
    if (!FByValue) RankTexts();
    FValid = true;
}

bool TSortKeys::Before(int a, int b, bool descending) const {
    if (descending) std::swap(a, b);
    const auto i = static_cast<std::size_t>(a), j = static_cast<std::size_t>(b);
    if (FByValue) return FNumbers[i] < FNumbers[j];
    return FRanks[i] < FRanks[j];
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
        sortBy(FRanks, [](int a, int b) { return a < b; });
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
