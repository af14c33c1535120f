// The version of every row the open form was answered with: the rows of its searches and of its
// accepted saves. An update or delete is allowed only for a row whose stored version is still
// the remembered one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace qm::host {

class RowVersions {
public:
    // A search of `table` answered: its rows, about `rows` of them, replace everything remembered.
    void Replace(std::string_view table, std::size_t rows = 0) {
        FTable = std::string(table);
        FRows.clear();
        // Room for them all at once: rehashing a long answer's rows as they come costs more than
        // storing them.
        FRows.reserve(rows);
    }
    void Set(std::string_view table, std::int64_t key, std::int64_t version) {
        if (table != FTable) Replace(table);
        FRows[key] = version;
    }
    void Forget(std::string_view table, std::int64_t key) {
        if (table == FTable) FRows.erase(key);
    }
    std::optional<std::int64_t> Find(std::string_view table, std::int64_t key) const {
        if (table != FTable) return std::nullopt;
        auto it = FRows.find(key);
        if (it == FRows.end()) return std::nullopt;
        return it->second;
    }
    std::size_t Size() const { return FRows.size(); }

private:
    std::string FTable;
    std::unordered_map<std::int64_t, std::int64_t> FRows;
};

} // namespace qm::host
