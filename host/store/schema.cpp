#include "host/store/schema.h"

#include "host/store/connection.h"
#include "host/store/tables.h"

#include <cctype>

namespace qm::host {

namespace {

bool SameIdent(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// "NAME(a,b)" -> word NAME, a, b (0 when absent).
void SplitType(std::string_view decl, std::string& word, int& a, int& b) {
    a = b = 0;
    auto open = decl.find('(');
    word = Upper(decl.substr(0, open));
    while (!word.empty() && word.back() == ' ')
        word.pop_back();
    if (open == std::string_view::npos) return;
    int* target = &a;
    for (std::size_t i = open + 1; i < decl.size() && decl[i] != ')'; ++i) {
        char c = decl[i];
        if (c == ',')
            target = &b;
        else if (c >= '0' && c <= '9')
            *target = *target * 10 + (c - '0');
    }
}

} // namespace

Column DescribeColumn(std::string_view name, std::string_view declaredType) {
    Column col;
    col.Name = std::string(name);
    std::string word;
    int a = 0, b = 0;
    SplitType(declaredType, word, a, b);
    if (word == "INTEGER") {
        col.Kind = ColumnKind::Integer;
        col.Size = 22;
        col.TypeWord = "NUMBER:22:0";
    } else if (word == "NUMBER" || word == "NUMERIC") {
        col.Kind = b > 0 ? ColumnKind::Number : ColumnKind::Integer;
        col.Size = a > 0 ? a : 22;
        col.Scale = b;
        col.TypeWord = "NUMBER:" + std::to_string(col.Size) + ":" + std::to_string(b);
    } else if (word == "DATE" || word == "DATETIME") {
        col.Kind = ColumnKind::Date;
        col.TypeWord = "DATE:7";
    } else {
        col.Kind = ColumnKind::Text;
        col.Size = a;
        col.TypeWord =
            (word.empty() ? std::string("VARCHAR2") : word) + (a > 0 ? ":" + std::to_string(a) : "");
    }
    return col;
}

const Column* TableInfo::Find(std::string_view name) const {
    for (const Column& c : Columns)
        if (c.Name == name) return &c;
    for (const Column& c : Columns)
        if (SameIdent(c.Name, name)) return &c;
    return nullptr;
}

const Column* TableInfo::PrimaryKey() const {
    for (const Column& c : Columns)
        if (c.PrimaryKey) return &c;
    return nullptr;
}

const Column* TableInfo::CodeColumn() const {
    if (const TableDef* def = FindServedTable(Name))
        if (const Column* c = Find(def->Code)) return c;
    return PrimaryKey();
}

std::string ColumnSubject(const Column& column) {
    return column.Label.empty() ? "字段 " + column.Name : "[" + column.Label + "]";
}

std::string TableInfo::FieldList() const {
    std::string out;
    for (const Column& c : Columns) {
        if (!out.empty()) out += ' ';
        out += c.Name;
        out += ':';
        out += c.TypeWord;
    }
    return out;
}

std::optional<std::string> MatchTableName(const std::vector<std::string>& existing, std::string_view name) {
    std::optional<std::string> match;
    for (const std::string& candidate : existing) {
        if (candidate == name) return candidate;
        if (!match && SameIdent(candidate, name)) match = candidate;
    }
    return match;
}

void AddColumn(TableInfo& table, Column column) {
    if (SameIdent(column.Name, kVersionColumn)) {
        table.Versioned = true;
        return;
    }
    if (const TableDef* def = FindServedTable(table.Name))
        if (const ColumnDef* c = def->Find(column.Name)) column.Label = c->Label;
    table.Columns.push_back(std::move(column));
}

} // namespace qm::host
