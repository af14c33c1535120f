// Reading a search answer into a form's table so that every readable row is shown and every row
// that cannot be held is left out whole and named.
#pragma once

#include <string>
#include <vector>

#include "protocol/read_answer.h"

namespace qm {

class TMemTable;
class TQmProtocol;
class TQmTable;

// Reads the answer into the protocol. In a success, a row that holds a value the reader refuses is
// left out and added to leftOut. False when the answer cannot be read even so; the protocol's
// status code is what could be read.
bool ReadSearchAnswer(TQmProtocol& protocol, std::string answer, const std::string& nameField,
                      std::vector<TLeftOutRow>& leftOut);
// The same from the host's wide-string slot.
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
