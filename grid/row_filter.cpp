#include "grid/row_filter.h"

namespace qm::gridimpl {

void TRowFilter::Invalidate() {
    FValid = false;
    FTexts.clear();
    FLastNeedle.clear();
    FMatches.clear();
}

void TRowFilter::RowChanged(int pos, const TRowTextFn& rowText) {
    if (!FValid || pos < 0 || pos >= static_cast<int>(FTexts.size())) return;
    FTexts[static_cast<std::size_t>(pos)] = rowText(pos);
    // The row may now match a needle it did not, or the other way round.
    FLastNeedle.clear();
}

void TRowFilter::RowInserted(int pos, const TRowTextFn& rowText) {
    if (!FValid) return;
    if (pos < 0 || pos > static_cast<int>(FTexts.size())) return Invalidate();
    FTexts.insert(FTexts.begin() + pos, rowText(pos));
    FLastNeedle.clear();
}

void TRowFilter::RowRemoved(int pos) {
    if (!FValid) return;
    if (pos < 0 || pos >= static_cast<int>(FTexts.size())) return Invalidate();
    FTexts.erase(FTexts.begin() + pos);
    FLastNeedle.clear();
}

std::string TRowFilter::Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

const std::vector<char>& TRowFilter::Match(const std::string& needle, int rows, const TRowTextFn& rowText) {
    const auto n = static_cast<std::size_t>(rows);
    if (!FValid || FTexts.size() != n) {
        FTexts.resize(n);
        for (int pos = 0; pos < rows; ++pos)
            FTexts[static_cast<std::size_t>(pos)] = rowText(pos);
        FValid = true;
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
