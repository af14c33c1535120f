// Which of the table's rows show a text: the shown texts of each row are kept, lowered, so that a
// keystroke costs a scan and not a read of every cell. Case is ignored for Latin letters. The texts
// can be read ahead in pieces, from the first row on, so that the first keystroke finds them ready.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace qm::gridimpl {

class TRowFilter {
public:
    // The shown text of a row: its visible cells, each lowered by Lower and ended by a separator.
    using TRowTextFn = std::function<std::string(int pos)>;

    // Rows changed: every text is read again on the next match.
    void Invalidate();
    // One row's shown text changed.
    void RowChanged(int pos, const TRowTextFn& rowText);
    // A row appeared at / vanished from a table position.
    void RowInserted(int pos, const TRowTextFn& rowText);
    void RowRemoved(int pos);
    // Reads the texts of up to `count` more rows after those already read; true once every row's
    // text is in.
    bool Prepare(int rows, int count, const TRowTextFn& rowText);
    bool Prepared(int rows) const { return FTexts.size() == static_cast<std::size_t>(rows); }
    // One flag per table position: the row shows the needle (already lowered) in some cell.
    const std::vector<char>& Match(const std::string& needle, int rows, const TRowTextFn& rowText);

    static std::string Lower(std::string text);
    // Lowers the text's bytes from `from` on.
    static void LowerFrom(std::string& text, std::size_t from);
    // Ends each cell's text in a row's text, so that a match never spans two cells.
    static constexpr char Separator = '\x1f';

private:
    std::vector<std::string> FTexts; // of the first rows, in table order; all of them once prepared
    std::string FLastNeedle;
    std::vector<char> FMatches;
};

} // namespace qm::gridimpl
