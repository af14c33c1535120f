// A small open table of every field type, shared by the dataset tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dataset/mem_table.h"

namespace qm::test {

inline std::unique_ptr<TMemTable> MakeTable(bool cached = true) {
    auto t = std::make_unique<TMemTable>();
    t->FieldDefs().Add("ID", ftLargeint);
    t->FieldDefs().Add("NAME", ftString, 4);
    t->FieldDefs().Add("QTY", ftInteger);
    t->FieldDefs().Add("PRICE", ftFloat);
    t->FieldDefs().Add("DAY", ftDate);
    t->FieldDefs().Add("STAMP", ftDateTime);
    t->FieldDefs().Add("AT", ftTime);
    t->FieldDefs().Add("OK", ftBoolean);
    t->SetCachedUpdates(cached);
    t->CreateDataSet();
    return t;
}

// Appends and posts rows of (ID, NAME).
inline void AddRows(TMemTable& t, const std::vector<std::pair<int, std::string>>& rows) {
    for (const auto& [id, name] : rows) {
        t.Append();
        t.FieldByName("ID")->SetAsInteger(id);
        t.FieldByName("NAME")->SetAsString(name);
        t.Post();
    }
}

inline std::vector<std::string> Names(TMemTable& t) {
    std::vector<std::string> out;
    for (t.First(); !t.Eof(); t.Next())
        out.push_back(t.FieldByName("NAME")->AsString());
    return out;
}

} // namespace qm::test
