// The table's rows in the order of one column: numbers, dates and times by value, text as shown in
// Chinese (pinyin) collation. Equal keys keep the table's order, in either direction. The keys of
// the column last sorted are kept, so that another click costs a sort and not a collation of every
// cell; a changed, added or removed row updates only its own key.
//
// Texts repeat down a column: each distinct text is collated once, and the distinct texts are
// ranked by their collation keys, texts that collate equal sharing a rank. Rows then sort by rank,
// an integer, in the same order as by the keys themselves. A column whose texts are all Latin
// letters and digits (codes, mostly) needs no keys: the collation orders those as their lowered
// bytes do.
#pragma once

#include <QCollator>
#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace qm {

class TMemTable;
class TField;
class TQmColumn;

namespace gridimpl {

// Whether the field sorts by value rather than by its text.
bool SortsByValue(const TField& field);

class TSortKeys {
public:
    // Rows changed: every key is made again on the next sort.
    void Invalidate();
    // One row's values changed, or a row appeared at / vanished from a table position.
    void RowChanged(int pos);
    void RowInserted(int pos);
    void RowRemoved(int pos);

    // Table positions (0-based) of every visible row, sorted; the column, when given, says the
    // shown text.
    std::vector<int> Sorted(const TMemTable& table, const TField& field, const TQmColumn* column,
                            bool descending);
    // Where the row at a table position belongs in an order sorted by the same column, as an index
    // into that order (which does not hold the row).
    std::size_t InsertionPoint(const std::vector<int>& order, int pos, const TMemTable& table,
                               const TField& field, const TQmColumn* column, bool descending);

private:
    // Makes the keys of every row current for the column.
    void Update(const TMemTable& table, const TField& field, const TQmColumn* column);
    void MakeKey(const TMemTable& table, int pos);
    // The id of a shown text, collated when it is new.
    int TextId(const std::string& shown);
    // Ranks every distinct text anew, and through them every row.
    void RankTexts();
    // Ascending by key; equal keys by table position.
    bool Before(int a, int b, bool descending) const;

    const TField* FField = nullptr;
    const TQmColumn* FColumn = nullptr;
    bool FValid = false;
    bool FByValue = false;
    std::vector<double> FNumbers;
    std::vector<int> FTextOf;                               // per row: the id of its shown text
    std::unordered_map<std::string, int> FIds;              // shown text -> id
    std::vector<const std::string*> FTexts;                 // per id: the text, held by FIds
    std::vector<std::optional<QCollatorSortKey>> FCollated; // per id, made when needed
    int FCollatedTexts = 0;                                 // ids whose text is more than letters and digits
    std::vector<int> FRankOf;                               // per id: its place among the distinct texts
    bool FRanked = false;                                   // FRankOf covers every id
    std::vector<int> FRanks;                                // per row: the rank of its text
    std::vector<char> FStale;                               // rows whose key waits to be made again
    bool FAnyStale = false;
};

} // namespace gridimpl
} // namespace qm
