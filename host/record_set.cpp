#include "host/record_set.h"

#include "host/request_checks.h"
#include "host/response.h"
#include "host/schema.h"
#include "host/sqlite_util.h"
#include "host/status_codes.h"
#include "host/values.h"
#include "platform/platform.h"

#include <pugixml.hpp>

#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace qm::host {

namespace {

// A refusal of the request: unwinds to the transaction, which rolls back.
struct Refusal {
    int Code;
    std::string Info;
};

struct KeyRow {
    std::string TableName;
    std::int64_t Rn;
    std::int64_t Id;
};

bool IsReserved(std::string_view name) { return name == "op" || name == "pk" || name == "fk" || name == "rn"; }

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

void Bind(Statement& st, int index, const BoundValue& v) {
    if (std::holds_alternative<std::int64_t>(v)) st.BindInt64(index, std::get<std::int64_t>(v));
    else if (std::holds_alternative<double>(v)) st.BindDouble(index, std::get<double>(v));
    else if (std::holds_alternative<std::string>(v)) st.BindText(index, std::get<std::string>(v));
    else st.BindNull(index);
}

struct FieldValue {
    const Column* Col;
    std::string Text;
    BoundValue Value;
};

class RowApplier {
public:
    RowApplier(sqlite3* db, const TableInfo& table, std::string requestName)
        : FDb(db), FTable(table), FRequestName(std::move(requestName)) {}

    void Apply(const pugi::xml_node& row, std::vector<KeyRow>& keys) {
        std::string op = row.attribute("op").value();
        if (op != "0" && op != "1" && op != "2" && op != "3" && op != "4")
            throw Refusal{status::UnknownName, "未知的操作码“" + Excerpt(op) + "”（表 " + FTable.Name + "）"};
        const Column* key = KeyColumn(row, op);
        std::vector<FieldValue> fields = Fields(row);
        if (op == "0") return;
        if (op == "1") {
            RefuseBlankCode(fields, nullptr, nullptr);
            return Insert(row, fields, key, keys);
        }
        const FieldValue* keyValue = nullptr;
        for (const FieldValue& f : fields)
            if (f.Col == key) keyValue = &f;
        if (!keyValue || keyValue->Text.empty())
            throw Refusal{status::BadRequest, "表 " + FTable.Name + " 的修改或删除缺少键 " + key->Name + " 的值"};
        if (op == "3") {
            RefuseBlankCode(fields, key, keyValue);
            Update(fields, *key, *keyValue);
        } else {
            Delete(*key, *keyValue);
        }
    }

private:
    const Column* KeyColumn(const pugi::xml_node& row, const std::string& op) {
        pugi::xml_attribute pk = row.attribute("pk");
        if (!pk) {
            if (op == "0" || op == "1") return FTable.PrimaryKey();
            throw Refusal{status::BadRequest, "请求行缺少 pk 属性（表 " + FTable.Name + "）"};
        }
        const Column* col = FTable.Find(pk.value());
        if (!col || !col->PrimaryKey)
            throw Refusal{status::UnknownName,
                          "键字段“" + Excerpt(pk.value()) + "”不是表 " + FTable.Name + " 的主键"};
        return col;
    }

    std::vector<FieldValue> Fields(const pugi::xml_node& row) {
        std::vector<FieldValue> out;
        for (pugi::xml_attribute a : row.attributes()) {
            if (IsReserved(a.name())) continue;
            const Column* col = FTable.Find(a.name());
            if (!col)
                throw Refusal{status::UnknownName, "表 " + FTable.Name + " 没有字段“" + Excerpt(a.name()) + "”"};
            for (const FieldValue& f : out)
                if (f.Col == col)
                    throw Refusal{status::BadRequest, "字段 " + col->Name + " 在同一行中出现多次"};
            if (std::string bad = CheckRequestValue(col->Name, a.value()); !bad.empty())
                throw Refusal{status::Violation, bad};
            FieldValue f{col, a.value(), {}};
            std::string why = ConvertValue(*col, f.Text, f.Value);
            if (!why.empty()) throw Refusal{status::Violation, why};
            out.push_back(std::move(f));
        }
        return out;
    }

    // A code with blanks at its ends is refused, except where an update keeps a stored one as it is.
    void RefuseBlankCode(const std::vector<FieldValue>& fields, const Column* key, const FieldValue* keyValue) {
        for (const FieldValue& f : fields) {
            if (!IsCodeColumn(FTable.Name, f.Col->Name) || !HasEdgeBlanks(f.Text)) continue;
            if (keyValue) {
                Statement st(FDb, "SELECT " + QuoteIdent(f.Col->Name) + " FROM " + QuoteIdent(FTable.Name) + " WHERE " +
                                      QuoteIdent(key->Name) + "=?");
                Bind(st, 1, keyValue->Value);
                if (st.Step() && !st.IsNull(0) && st.Text(0) == f.Text) continue;
            }
            throw Refusal{status::Violation, EdgeBlanksRefusal(f.Col->Name)};
        }
    }

    void Insert(const pugi::xml_node& row, std::vector<FieldValue>& fields, const Column* key,
                std::vector<KeyRow>& keys) {
        std::string rnText = row.attribute("rn").value();
        std::int64_t rn = 0;
        BoundValue rnValue;
        Column rnCol = DescribeColumn("rn", "INTEGER");
        if (rnText.empty() || !ConvertValue(rnCol, rnText, rnValue).empty() || std::get<std::int64_t>(rnValue) < 1)
            throw Refusal{status::BadRequest, "新增行的行号 rn“" + Excerpt(rnText) + "”无效（表 " + FTable.Name + "）"};
        rn = std::get<std::int64_t>(rnValue);
        // The host assigns keys: a key the module sends along is not used.
        std::vector<const FieldValue*> used;
        for (const FieldValue& f : fields)
            if (f.Col != key) used.push_back(&f);
        std::string sql = "INSERT INTO " + QuoteIdent(FTable.Name);
        if (used.empty()) {
            sql += " DEFAULT VALUES";
        } else {
            std::string names, marks;
            for (std::size_t i = 0; i < used.size(); ++i) {
                if (i) names += ',', marks += ',';
                names += QuoteIdent(used[i]->Col->Name);
                marks += '?';
            }
            sql += " (" + names + ") VALUES (" + marks + ")";
        }
        Statement st(FDb, sql);
        for (std::size_t i = 0; i < used.size(); ++i) Bind(st, static_cast<int>(i + 1), used[i]->Value);
        Run(st, fields);
        keys.push_back({FRequestName, rn, sqlite3_last_insert_rowid(FDb)});
    }

    void Update(std::vector<FieldValue>& fields, const Column& key, const FieldValue& keyValue) {
        std::string sets;
        std::vector<const FieldValue*> used;
        for (const FieldValue& f : fields) {
            if (f.Col == &key) continue;
            if (!sets.empty()) sets += ',';
            sets += QuoteIdent(f.Col->Name) + "=?";
            used.push_back(&f);
        }
        // Without values to set, the statement still tells whether the key exists.
        if (sets.empty()) sets = QuoteIdent(key.Name) + "=" + QuoteIdent(key.Name);
        Statement st(FDb, "UPDATE " + QuoteIdent(FTable.Name) + " SET " + sets + " WHERE " + QuoteIdent(key.Name) + "=?");
        int i = 1;
        for (const FieldValue* f : used) Bind(st, i++, f->Value);
        Bind(st, i, keyValue.Value);
        Run(st, fields);
        if (sqlite3_changes(FDb) == 0) throw NotFound(key, keyValue);
    }

    void Delete(const Column& key, const FieldValue& keyValue) {
        Statement st(FDb, "DELETE FROM " + QuoteIdent(FTable.Name) + " WHERE " + QuoteIdent(key.Name) + "=?");
        Bind(st, 1, keyValue.Value);
        Run(st, {});
        if (sqlite3_changes(FDb) == 0) throw NotFound(key, keyValue);
    }

    Refusal NotFound(const Column& key, const FieldValue& keyValue) const {
        return {status::NotFound, "表 " + FTable.Name + " 中没有 " + key.Name + " 为 " + Excerpt(keyValue.Text) +
                                      " 的记录，可能已被他人删除，请重新查询"};
    }

    // Steps the statement and turns a broken table rule into a refusal the user can act on.
    void Run(Statement& st, const std::vector<FieldValue>& fields) {
        try {
            st.Step();
        } catch (const StoreError& e) {
            int ext = sqlite3_extended_errcode(FDb);
            std::string msg = e.what();
            std::string column;
            auto dot = msg.rfind('.');
            if (dot != std::string::npos) column = msg.substr(dot + 1);
            if (ext == SQLITE_CONSTRAINT_UNIQUE || ext == SQLITE_CONSTRAINT_PRIMARYKEY) {
                std::string value;
                for (const FieldValue& f : fields)
                    if (f.Col->Name == column) value = f.Text;
                throw Refusal{status::Violation, "代码“" + Excerpt(value) + "”已存在：表 " + FTable.Name + " 的字段 " + column +
                                                     " 不得有重复值，本次保存未做任何修改"};
            }
            if (ext == SQLITE_CONSTRAINT_NOTNULL)
                throw Refusal{status::Violation, "表 " + FTable.Name + " 的字段 " + column + " 不得为空，本次保存未做任何修改"};
            if ((ext & 0xFF) == SQLITE_CONSTRAINT)
                throw Refusal{status::Violation, "数据不符合表 " + FTable.Name + " 的约束：" + msg};
            throw;
        }
    }

    sqlite3* FDb;
    const TableInfo& FTable;
    std::string FRequestName;
};

class Transaction {
public:
    explicit Transaction(sqlite3* db) : FDb(db) { Exec(db, "BEGIN IMMEDIATE"); }
    ~Transaction() {
        if (!FDone) sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void Commit() {
        Exec(FDb, "COMMIT");
        FDone = true;
    }

private:
    sqlite3* FDb;
    bool FDone = false;
};

bool IsRecordset(const pugi::xml_node& param) {
    return Upper(param.attribute("typ").value()) == "RECORDSET";
}

std::string Apply(sqlite3* db, const pugi::xml_node& params) {
    std::vector<KeyRow> keys;
    Transaction tx(db);
    std::map<std::string, TableInfo> tables;
    for (pugi::xml_node param : params.children("param")) {
        if (!IsRecordset(param)) continue;
        std::string tbname = param.attribute("tbname").value();
        pugi::xml_node first = param.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; });
        if (!first) continue;  // an empty table element carries nothing
        std::string key = Upper(tbname);
        auto it = tables.find(key);
        if (it == tables.end()) {
            std::optional<TableInfo> info = ReadTableInfo(db, tbname);
            if (!info) throw Refusal{status::UnknownName, "未知的表“" + Excerpt(tbname) + "”"};
            it = tables.emplace(key, std::move(*info)).first;
        }
        RowApplier applier(db, it->second, tbname);
        for (pugi::xml_node row : param.children()) {
            if (row.type() != pugi::node_element) continue;
            bool hasChild = row.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; });
            if (hasChild || std::strcmp(row.name(), "child") == 0)
                throw Refusal{status::BadRequest, "不支持子表数据（表 " + Excerpt(tbname) + "）"};
            if (Upper(row.name()) != key)
                throw Refusal{status::BadRequest,
                              "行元素“" + Excerpt(row.name()) + "”与表名“" + Excerpt(tbname) + "”不符"};
            applier.Apply(row, keys);
        }
    }
    tx.Commit();
    ResponseWriter out(status::Ok, "");
    if (!keys.empty()) {
        out.BeginRecordset(keys.front().TableName, "");
        for (const KeyRow& k : keys) out.AddKeyRow(k.TableName, k.Rn, k.Id);
        out.EndRecordset();
    }
    return out.Finish();
}

}  // namespace

std::string ApplySingleRecordSet(sqlite3* db, std::string_view requestXml) {
    pugi::xml_document doc;
    pugi::xml_parse_result parsed = doc.load_buffer(requestXml.data(), requestXml.size(), pugi::parse_default,
                                                    pugi::encoding_utf8);
    if (!parsed)
        return StatusResponse(status::BadRequest, std::string("请求文档不是有效的 XML：") + parsed.description() +
                                                      "（位置 " + std::to_string(parsed.offset) + "）");
    pugi::xml_node params = doc.child("quelmar").child("params");
    if (!params) return StatusResponse(status::BadRequest, "请求文档缺少 quelmar/params 元素");
    try {
        return Apply(db, params);
    } catch (const Refusal& r) {
        return StatusResponse(r.Code, r.Info);
    } catch (const StoreError& e) {
        return StatusResponse(status::DatabaseError, std::string("数据库错误，本次保存未做任何修改：") + e.what());
    }
}

}  // namespace qm::host
