#include "grid/row_filter.h"

#include <algorithm>

namespace qm::gridimpl {

void TRowFilter::Invalidate() {
    FTexts.clear();
    FLastNeedle.clear();
    FMatches.clear();
}

// A row past those read so far is read when its turn comes.
void TRowFilter::RowChanged(int pos, const TRowTextFn& rowText) {
    if (pos < 0 || pos >= static_cast<int>(FTexts.size())) return;
    FTexts[static_cast<std::size_t>(pos)] = rowText(pos);
    // The row may now match a needle it did not, or the other way round.
    FLastNeedle.clear();
}

void TRowFilter::RowInserted(int pos, const TRowTextFn& rowText) {
    if (pos < 0) return Invalidate();
    if (pos <= static_cast<int>(FTexts.size())) FTexts.insert(FTexts.begin() + pos, rowText(pos));
    FLastNeedle.clear();
}

void TRowFilter::RowRemoved(int pos) {
    if (pos < 0) return Invalidate();
    if (pos < static_cast<int>(FTexts.size())) FTexts.erase(FTexts.begin() + pos);
    FLastNeedle.clear();
}

std::string TRowFilter::Lower(std::string text) {
    LowerFrom(text, 0);
    return text;
}

void TRowFilter::LowerFrom(std::string& text, std::size_t from) {
    for (std::size_t i = from; i < text.size(); ++i)
        if (text[i] >= 'A' && text[i] <= 'Z') text[i] = static_cast<char>(text[i] - 'A' + 'a');
}

bool TRowFilter::Prepare(int rows, int count, const TRowTextFn& rowText) {
    const auto n = static_cast<std::size_t>(rows);
    // More texts than rows: the rows changed without a word, and every text is read again.
    if (FTexts.size() > n) Invalidate();
    if (FTexts.capacity() < n) FTexts.reserve(n);
    const std::size_t end = std::min(n, FTexts.size() + static_cast<std::size_t>(std::max(count, 0)));
    for (std::size_t pos = FTexts.size(); pos < end; ++pos)
        FTexts.push_back(rowText(static_cast<int>(pos)));
    return FTexts.size() == n;
}

const std::vector<char>& TRowFilter::Match(const std::string& needle, int rows, const TRowTextFn& rowText) {
    const auto n = static_cast<std::size_t>(rows);
    if (!Prepared(rows)) {
        Prepare(rows, rows, rowText);
        FLastNeedle.clear();
    }
    // A longer needle that holds the last one can only match rows the last one matched.
    const bool narrowing =
        !FLastNeedle.empty() && FMatches.size() == n && needle.find(FLastNeedle) != std::string::npos;
    if (!narrowing) FMatches.assign(n, 1);
    for (std::size_t pos = 0; pos < n; ++pos)
        if (FMatches[pos]) FMatches[pos] = FTexts[pos].find(needle) != std::string::npos;
    FLastNeedle = needle;
    return FMatches;
}

} // namespace qm::gridimpl
