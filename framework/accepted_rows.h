// The rows of a table as the store last accepted them, so that a cancel can put the table back
// without asking the host again.
#pragma once

#include <memory>
#include <string>

namespace qm {

class TMemTable;

class TAcceptedRows {
public:
    TAcceptedRows();
    ~TAcceptedRows();
    TAcceptedRows(const TAcceptedRows&) = delete;
    TAcceptedRows& operator=(const TAcceptedRows&) = delete;

    // Remembers the rows as they are now (a pending edit is posted first); the table's cursor and
    // its controls' view stay where they are.
    void Take(TMemTable& table);
    bool Held() const { return FRows != nullptr; }
    void Drop();
    // Puts the remembered rows back as unchanged rows, dropping every pending edit, insert and
    // delete; they move into the table, so nothing is held afterwards. The cursor goes to the row
    // with the key the current row had, else to the same position. False, changing nothing, when
    // nothing is held.
    bool Restore(TMemTable& table, const std::string& keyField);

private:
    std::unique_ptr<TMemTable> FRows;
};

// Moves the cursor to the row whose keyField holds keyText; false, leaving it, when there is none.
bool LocateKey(TMemTable& table, const std::string& keyField, const std::string& keyText);

} // namespace qm
