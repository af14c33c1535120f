// Which of the table's rows show a text: the shown texts of each row are kept, lowered, so that a
// keystroke costs a scan and not a read of every cell. Case is ignored for Latin letters.
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
    // One flag per table position: the row shows the needle (already lowered) in some cell.
    const std::vector<char>& Match(const std::string& needle, int rows, const TRowTextFn& rowText);

    static std::string Lower(std::string text);
    // Ends each cell's text in a row's text, so that a match never spans two cells.
    static constexpr char Separator = '\x1f';

private:
    std::vector<std::string> FTexts;
    bool FValid = false;
    std::string FLastNeedle;
    std::vector<char> FMatches;
};

} // namespace qm::gridimpl
