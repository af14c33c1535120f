#include "host/store/tables.h"

#include "host/store/connection.h"
#include "platform/platform.h"

namespace qm::host {

namespace {

ColumnDef Text(const char* name, int size, bool notNull, const char* label = "", Stamp role = Stamp::None) {
    return {name, ColumnKind::Text, size, 0, notNull, label, role};
}

ColumnDef Number(const char* name, int size, bool notNull, const char* label = "") {
    return {name, ColumnKind::Integer, size, 0, notNull, label, Stamp::None};
}

ColumnDef Date(const char* name, bool notNull, Stamp role) {
    return {name, ColumnKind::Date, 0, 0, notNull, "", role};
}

} // namespace

const ColumnDef* TableDef::Find(std::string_view name) const {
    for (const ColumnDef& c : Columns)
        if (SameText(c.Name, name)) return &c;
    return nullptr;
}

std::string TableDef::LabelOf(std::string_view column) const {
    const ColumnDef* c = Find(column);
    return c && !c->Label.empty() ? c->Label : std::string(column);
}

const std::vector<TableDef>& ServedTables() {
    static const std::vector<TableDef> tables = {
        {"TB_MEMAC",
         "MEMAC_ID",
         "MEMAC001",
         {
             {"MEMAC_ID", ColumnKind::Integer, 0, 0, true, "", Stamp::None},
             Text("MEMAC001", 4, false, "收入等级代码"),
             Text("MEMAC002", 30, false, "收入等级名称"),
             Number("MEMAC003", 12, false, "收入下限"),
             Number("MEMAC004", 12, false, "收入上限"),
             Text("CREATE_USER", 12, true, "", Stamp::CreateUser),
             Text("USER_GROUP", 12, true, "", Stamp::CreateGroup),
             Date("CREATE_DATE", true, Stamp::CreateDate),
             Text("MODIFIER", 12, false, "", Stamp::ModifyUser),
             Date("MODI_DATE", false, Stamp::ModifyDate),
             Number("FLAG", 1, true),
         }},
    };
    return tables;
}

const TableDef* FindServedTable(std::string_view name) {
    for (const TableDef& t : ServedTables())
        if (SameText(t.Name, name)) return &t;
    return nullptr;
}

std::string CreateTableSql(const TableDef& table, const Connection& db) {
    const TypeMap& types = db.Types();
    std::string sql = "CREATE TABLE IF NOT EXISTS " + db.QuoteIdent(table.Name) + " (";
    for (const ColumnDef& c : table.Columns) {
        sql += db.QuoteIdent(c.Name) + " ";
        if (c.Name == table.Key) {
            sql += types.KeyType();
        } else {
            sql += types.Type(c);
            if (c.Name == table.Code) sql += " " + types.UniqueClause();
            if (c.NotNull) sql += " NOT NULL";
        }
        sql += ", ";
    }
    sql += db.QuoteIdent(kVersionColumn) + " " + types.VersionType() + ")";
    return sql;
}

} // namespace qm::host
