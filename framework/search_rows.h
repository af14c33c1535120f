// Reading a search answer into a form's table so that every readable row is shown and every row
// that cannot be held is left out whole and named.
#pragma once

#include <string>
#include <vector>

namespace qm {

class TMemTable;
class TQmProtocol;
class TQmTable;

// A row left out: its name (the value of the field a reader knows rows by, such as a code) and
// the field whose value could not be held.
struct TLeftOutRow {
    std::string Key;
    std::string Field;
};

// Reads the answer into the protocol, taking its text as the parser's storage. When a row holds a
// value the reader refuses, the answer is read again without such rows, which are added to leftOut.
// False when the answer cannot be read even so; the protocol's status code is what could be read.
// A plain answer is read in one pass without a document; any other goes the way above.
bool ReadSearchAnswer(TQmProtocol& protocol, std::string answer, const std::string& nameField,
                      std::vector<TLeftOutRow>& leftOut);
// The same from the host's wide-string slot, read where it stands when the answer is plain.
bool ReadSearchAnswer(TQmProtocol& protocol, const char16_t* slot, const std::string& nameField,
                      std::vector<TLeftOutRow>& leftOut);

// Replaces target's rows by the table's, as unchanged rows, leaving out rows with a value
// target's fields cannot hold (added to leftOut). The cursor ends on the first row.
void ReplaceRows(const TQmTable& table, TMemTable& target, const std::string& nameField,
                 std::vector<TLeftOutRow>& leftOut);

// The text that reports left-out rows: their names and fields, labels where target gives them.
std::string LeftOutText(const std::vector<TLeftOutRow>& leftOut, const TMemTable& target,
                        const std::string& nameField);

} // namespace qm
