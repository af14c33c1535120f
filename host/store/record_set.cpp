#include "host/store/record_set.h"

#include "host/store/request_checks.h"
#include "host/store/response.h"
#include "host/store/schema.h"
#include "host/store/status_codes.h"
#include "host/store/tables.h"
#include "host/store/values.h"
#include "platform/platform.h"

#include <pugixml.hpp>

#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace qm::host {

const char* const kChangedByOthers = "该记录已被其他用户修改或删除，请重新查询！";
const char* const kOutcomeUnknown = "连接中断，保存结果未知，请重新查询！";

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

// What an accepted save does to the remembered versions once it is committed.
struct Touched {
    const TableInfo* Table;
    std::int64_t Key;
    std::optional<std::int64_t> Version; // empty: deleted
};

// "收入等级代码“01”已存在": the column as the clerk knows it, never the table's inner names.
Refusal RepeatedValue(const TableInfo& table, const std::string& column, const std::string& value) {
    const Column* col = table.Find(column);
    const std::string subject =
        col && !col->Label.empty() ? col->Label : "字段 " + (col ? col->Name : column) + " 的值";
    return {status::Violation,
            subject + "“" + Excerpt(value) + "”已存在，不得有重复值，本次保存未做任何修改"};
}

// A stamp as the form shows a date column: the day alone when no time of day was stored.
std::string DateShown(std::string_view stored) {
    if (stored.size() == 19 && stored.substr(10) == " 00:00:00") return std::string(stored.substr(0, 10));
    return Excerpt(stored);
}

bool IsReserved(std::string_view name) {
    return name == "op" || name == "pk" || name == "fk" || name == "rn";
}

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

struct FieldValue {
    const Column* Col;
    std::string Text;
    BoundValue Value;
};

class RowApplier {
public:
    RowApplier(Connection& db, const TableInfo& table, std::string requestName, RowVersions& versions,
               std::map<std::int64_t, std::optional<std::int64_t>>& expected, const Clerk& clerk)
        : FDb(db), FTable(table), FDef(FindServedTable(table.Name)), FRequestName(std::move(requestName)),
          FVersions(versions), FExpected(expected), FClerk(clerk) {}

    // Before anything is written: every update and delete must be of a row as the clerk saw it.
    void Check(const pugi::xml_node& row) {
        std::string op = row.attribute("op").value();
        if (!FTable.Versioned || (op != "2" && op != "3" && op != "4")) return;
        const Column* key = KeyColumn(row, op);
        std::vector<FieldValue> fields = Fields(row);
        const FieldValue* keyValue = Find(fields, key);
        if (!keyValue || keyValue->Text.empty()) return; // refused with its own text when applied
        const std::int64_t id = KeyNumber(*keyValue);
        std::optional<std::int64_t> want = Expected(id);
        if (FExpected.count(id)) {
            // Touched earlier in this request: it follows from that row, not from the store yet.
            if (!want) throw Conflict(*key, *keyValue, fields);
            FExpected[id] = op == "3" ? std::optional<std::int64_t>(*want + 1) : std::nullopt;
            FMustHave[row.internal_object()] = *want;
            return;
        }
        std::optional<std::int64_t> stored;
        {
            auto c = FDb.Query("SELECT " + FDb.QuoteIdent(kVersionColumn) + " FROM " +
                                   FDb.QuoteIdent(FTable.Name) + " WHERE " + FDb.QuoteIdent(key->Name) + "=?",
                               {keyValue->Value});
            if (c->Next()) stored = std::stoll(std::string(c->Text(0)));
        }
        if (!want || !stored || *want != *stored) throw Conflict(*key, *keyValue, fields);
        FExpected[id] = op == "3" ? std::optional<std::int64_t>(*want + 1) : std::nullopt;
        FMustHave[row.internal_object()] = *want;
    }

    // Before anything is written: codes an update or delete gives up are cleared first, so that
    // codes may change places within one save. A code with blanks at its ends is refused here,
    // while the stored one can still be compared.
    void Vacate(const pugi::xml_node& row) {
        std::string op = row.attribute("op").value();
        if (op != "2" && op != "3" && op != "4") return;
        const Column* key = KeyColumn(row, op);
        std::vector<FieldValue> fields = Fields(row);
        const FieldValue* keyValue = Find(fields, key);
        if (!keyValue || keyValue->Text.empty()) return; // refused with its own text when applied
        if (op == "3") RefuseBlankCode(fields, key, keyValue);
        if (FDb.DefersUniqueness() || !FDef) return;
        const Column* code = FTable.Find(FDef->Code);
        if (!code || code->NotNull || (op == "3" && !Find(fields, code))) return;
        FDb.Run("UPDATE " + FDb.QuoteIdent(FTable.Name) + " SET " + FDb.QuoteIdent(code->Name) +
                    "=NULL WHERE " + FDb.QuoteIdent(key->Name) + "=?",
                {keyValue->Value});
    }

    void Apply(const pugi::xml_node& row, std::vector<KeyRow>& keys, std::vector<Touched>& touched) {
        std::string op = row.attribute("op").value();
        if (op != "0" && op != "1" && op != "2" && op != "3" && op != "4")
            throw Refusal{status::UnknownName, "未知的操作码“" + Excerpt(op) + "”（表 " + FTable.Name + "）"};
        const Column* key = KeyColumn(row, op);
        std::vector<FieldValue> fields = Fields(row);
        if (op == "0") return;
        if (op == "1") {
            RefuseBlankCode(fields, nullptr, nullptr);
            return Insert(row, fields, key, keys, touched);
        }
        const FieldValue* keyValue = Find(fields, key);
        if (!keyValue || keyValue->Text.empty())
            throw Refusal{status::BadRequest,
                          "表 " + FTable.Name + " 的修改或删除缺少键 " + key->Name + " 的值"};
        if (op == "3") {
            Update(row, fields, *key, *keyValue, touched);
        } else {
            Delete(row, *key, *keyValue, fields, touched);
        }
    }

private:
    static const FieldValue* Find(const std::vector<FieldValue>& fields, const Column* col) {
        for (const FieldValue& f : fields)
            if (f.Col == col) return &f;
        return nullptr;
    }

    bool IsStamp(const Column& col) const {
        const ColumnDef* def = FDef ? FDef->Find(col.Name) : nullptr;
        return def && def->Role != Stamp::None;
    }

    // The stamps this store writes itself, where the database does not: the clerk and today.
    std::vector<std::pair<const Column*, BoundValue>> Stamps(bool insert) const {
        std::vector<std::pair<const Column*, BoundValue>> out;
        if (!FDef || FDb.StampsItself()) return out;
        const std::string today = NowText().substr(0, 10) + " 00:00:00"; // the form keeps dates
        for (const ColumnDef& def : FDef->Columns) {
            const Column* col = FTable.Find(def.Name);
            if (!col) continue;
            if (insert && def.Role == Stamp::CreateUser) out.emplace_back(col, FClerk.User);
            if (insert && def.Role == Stamp::CreateGroup) out.emplace_back(col, FClerk.Group);
            if (insert && def.Role == Stamp::CreateDate) out.emplace_back(col, today);
            if (!insert && def.Role == Stamp::ModifyUser) out.emplace_back(col, FClerk.User);
            if (!insert && def.Role == Stamp::ModifyDate) out.emplace_back(col, today);
        }
        return out;
    }

    std::int64_t KeyNumber(const FieldValue& keyValue) const {
        if (const auto* n = std::get_if<std::int64_t>(&keyValue.Value)) return *n;
        throw Refusal{status::BadRequest, "表 " + FTable.Name + " 的键值“" + keyValue.Text + "”不是整数"};
    }

    // The version this request expects the row to have now; empty when the form never saw it.
    std::optional<std::int64_t> Expected(std::int64_t id) const {
        if (auto it = FExpected.find(id); it != FExpected.end()) return it->second;
        return FVersions.Find(FTable.Name, id);
    }

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
                throw Refusal{status::UnknownName,
                              "表 " + FTable.Name + " 没有字段“" + Excerpt(a.name()) + "”"};
            if (IsStamp(*col)) continue;
            for (const FieldValue& f : out)
                if (f.Col == col)
                    throw Refusal{status::BadRequest, "字段 " + col->Name + " 在同一行中出现多次"};
            if (std::string bad = CheckRequestValue(ColumnSubject(*col), a.value()); !bad.empty())
                throw Refusal{status::Violation, bad};
            FieldValue f{col, a.value(), {}};
            std::string why = ConvertValue(*col, f.Text, f.Value);
            if (!why.empty()) throw Refusal{status::Violation, why};
            out.push_back(std::move(f));
        }
        return out;
    }

    // A code with blanks at its ends is refused, except where an update keeps a stored one as it is.
    void RefuseBlankCode(const std::vector<FieldValue>& fields, const Column* key,
                         const FieldValue* keyValue) {
        for (const FieldValue& f : fields) {
            if (f.Col != FTable.CodeColumn() || !FDef || !HasEdgeBlanks(f.Text)) continue;
            if (keyValue) {
                auto c =
                    FDb.Query("SELECT " + FDb.QuoteIdent(f.Col->Name) + " FROM " +
                                  FDb.QuoteIdent(FTable.Name) + " WHERE " + FDb.QuoteIdent(key->Name) + "=?",
                              {keyValue->Value});
                if (c->Next() && !c->IsNull(0) && c->Text(0) == f.Text) continue;
            }
            throw Refusal{status::Violation, EdgeBlanksRefusal(ColumnSubject(*f.Col))};
        }
    }

    void Insert(const pugi::xml_node& row, std::vector<FieldValue>& fields, const Column* key,
                std::vector<KeyRow>& keys, std::vector<Touched>& touched) {
        std::string rnText = row.attribute("rn").value();
        BoundValue rnValue;
        Column rnCol = DescribeColumn("rn", "INTEGER");
        if (rnText.empty() || !ConvertValue(rnCol, rnText, rnValue).empty() ||
            std::get<std::int64_t>(rnValue) < 1)
            throw Refusal{status::BadRequest,
                          "新增行的行号 rn“" + Excerpt(rnText) + "”无效（表 " + FTable.Name + "）"};
        const std::int64_t rn = std::get<std::int64_t>(rnValue);
        // The store assigns keys: a key the module sends along is not used.
        std::vector<BoundValue> args;
        std::string names, marks;
        for (const FieldValue& f : fields) {
            if (f.Col == key) continue;
            if (!names.empty()) names += ',', marks += ',';
            names += FDb.QuoteIdent(f.Col->Name);
            marks += '?';
            args.push_back(f.Value);
        }
        for (auto& [col, value] : Stamps(true)) {
            if (!names.empty()) names += ',', marks += ',';
            names += FDb.QuoteIdent(col->Name);
            marks += '?';
            args.push_back(std::move(value));
        }
        std::string sql =
            "INSERT INTO " + FDb.QuoteIdent(FTable.Name) +
            (names.empty() ? std::string(" DEFAULT VALUES") : " (" + names + ") VALUES (" + marks + ")");
        const std::int64_t id =
            Run(fields, [&] { return FDb.Insert(sql, args, key ? key->Name : std::string()); });
        keys.push_back({FRequestName, rn, id});
        if (FTable.Versioned) touched.push_back({&FTable, id, 1});
    }

    void Update(const pugi::xml_node& row, std::vector<FieldValue>& fields, const Column& key,
                const FieldValue& keyValue, std::vector<Touched>& touched) {
        std::string sets;
        std::vector<BoundValue> args;
        for (const FieldValue& f : fields) {
            if (f.Col == &key) continue;
            if (!sets.empty()) sets += ',';
            sets += FDb.QuoteIdent(f.Col->Name) + "=?";
            args.push_back(f.Value);
        }
        for (auto& [col, value] : Stamps(false)) {
            if (!sets.empty()) sets += ',';
            sets += FDb.QuoteIdent(col->Name) + "=?";
            args.push_back(std::move(value));
        }
        const std::string version = FDb.QuoteIdent(kVersionColumn);
        if (FTable.Versioned) sets += (sets.empty() ? "" : ",") + version + "=" + version + "+1";
        // Without values to set, the statement still tells whether the key exists.
        if (sets.empty()) sets = FDb.QuoteIdent(key.Name) + "=" + FDb.QuoteIdent(key.Name);
        std::string sql = "UPDATE " + FDb.QuoteIdent(FTable.Name) + " SET " + sets + " WHERE " +
                          FDb.QuoteIdent(key.Name) + "=?";
        args.push_back(keyValue.Value);
        const std::optional<std::int64_t> was = AddVersionCondition(row, sql, args);
        if (Run(fields, [&] { return FDb.Run(sql, args); }) == 0) throw Missing(key, keyValue, fields);
        if (was) touched.push_back({&FTable, KeyNumber(keyValue), *was + 1});
    }

    void Delete(const pugi::xml_node& row, const Column& key, const FieldValue& keyValue,
                const std::vector<FieldValue>& fields, std::vector<Touched>& touched) {
        std::string sql =
            "DELETE FROM " + FDb.QuoteIdent(FTable.Name) + " WHERE " + FDb.QuoteIdent(key.Name) + "=?";
        std::vector<BoundValue> args{keyValue.Value};
        const std::optional<std::int64_t> was = AddVersionCondition(row, sql, args);
        if (Run({}, [&] { return FDb.Run(sql, args); }) == 0) throw Missing(key, keyValue, fields);
        if (was) touched.push_back({&FTable, KeyNumber(keyValue), std::nullopt});
    }

    // The checked version again in the statement: on a server another clerk may commit in between.
    std::optional<std::int64_t> AddVersionCondition(const pugi::xml_node& row, std::string& sql,
                                                    std::vector<BoundValue>& args) {
        auto it = FMustHave.find(row.internal_object());
        if (it == FMustHave.end()) return std::nullopt;
        sql += " AND " + FDb.QuoteIdent(kVersionColumn) + "=?";
        args.emplace_back(std::in_place_type<std::int64_t>, it->second);
        return it->second;
    }

    Refusal Missing(const Column& key, const FieldValue& keyValue, const std::vector<FieldValue>& fields) {
        if (FTable.Versioned) return Conflict(key, keyValue, fields);
        return {status::NotFound, "表 " + FTable.Name + " 中没有 " + key.Name + " 为 " +
                                      Excerpt(keyValue.Text) + " 的记录，可能已被他人删除，请重新查询"};
    }

    // Names the row by its code and, while it exists, who changed it last and when.
    Refusal Conflict(const Column& key, const FieldValue& keyValue, const std::vector<FieldValue>& fields) {
        const Column* code = FTable.CodeColumn();
        const Column* modifier = FTable.Find("MODIFIER");
        const Column* modified = FTable.Find("MODI_DATE");
        std::string codeText;
        if (const FieldValue* f = Find(fields, code)) codeText = f->Text;
        std::string who, when;
        bool exists = false;
        std::string sql = "SELECT " + FDb.QuoteIdent(code ? code->Name : key.Name);
        sql += modifier ? "," + FDb.QuoteIdent(modifier->Name) : std::string(",NULL");
        sql += modified ? "," + FDb.QuoteIdent(modified->Name) : std::string(",NULL");
        sql += " FROM " + FDb.QuoteIdent(FTable.Name) + " WHERE " + FDb.QuoteIdent(key.Name) + "=?";
        auto c = FDb.Query(sql, {keyValue.Value});
        if (c->Next()) {
            exists = true;
            if (!c->IsNull(0)) codeText = std::string(c->Text(0));
            if (!c->IsNull(1)) who = Excerpt(c->Text(1));
            if (!c->IsNull(2)) when = DateShown(c->Text(2));
        }
        std::string info = kChangedByOthers;
        info +=
            codeText.empty() ? "（" + key.Name + " " + Excerpt(keyValue.Text) : "（代码 " + Excerpt(codeText);
        if (exists && (!who.empty() || !when.empty())) {
            info += "，最后修改：" + (who.empty() ? std::string("未知") : who);
            if (!when.empty()) info += " " + when;
        }
        info += "）";
        return {status::Conflict, info};
    }

    // Runs one statement and turns a broken table rule into a refusal the user can act on.
    template <typename Step> std::int64_t Run(const std::vector<FieldValue>& fields, Step step) {
        try {
            return step();
        } catch (const StoreError& e) {
            if (e.Kind == Failure::Unique) {
                std::string value = e.Value;
                for (const FieldValue& f : fields)
                    if (f.Col->Name == e.Column) value = f.Text;
                throw RepeatedValue(FTable, e.Column, value);
            }
            if (e.Kind == Failure::NotNull) {
                const Column* col = FTable.Find(e.Column);
                throw Refusal{status::Violation, (col ? ColumnSubject(*col) : "字段 " + e.Column) +
                                                     " 不得为空，本次保存未做任何修改"};
            }
            if (e.Kind == Failure::Constraint)
                throw Refusal{status::Violation,
                              "数据不符合表 " + FTable.Name + " 的约束：" + std::string(e.what())};
            throw;
        }
    }

    Connection& FDb;
    const TableInfo& FTable;
    const TableDef* FDef; // null for a table the host does not serve
    std::string FRequestName;
    RowVersions& FVersions;
    std::map<std::int64_t, std::optional<std::int64_t>>& FExpected;
    std::map<const void*, std::int64_t> FMustHave; // per request row: its version when applied
    const Clerk& FClerk;
};

bool IsRecordset(const pugi::xml_node& param) {
    return Upper(param.attribute("typ").value()) == "RECORDSET";
}

struct TableRows {
    std::string RequestName;
    const TableInfo* Table;
    std::vector<pugi::xml_node> Rows;
};

std::string Apply(Connection& db, RowVersions& versions, const pugi::xml_node& params, const Clerk& clerk) {
    Transaction tx(db);
    std::map<std::string, TableInfo> tables;
    std::vector<TableRows> work;
    for (pugi::xml_node param : params.children("param")) {
        if (!IsRecordset(param)) continue;
        std::string tbname = param.attribute("tbname").value();
        pugi::xml_node first =
            param.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; });
        if (!first) continue; // an empty table element carries nothing
        std::string key = Upper(tbname);
        auto it = tables.find(key);
        if (it == tables.end()) {
            std::optional<TableInfo> info = db.ReadTable(tbname);
            if (!info) throw Refusal{status::UnknownName, "未知的表“" + Excerpt(tbname) + "”"};
            it = tables.emplace(key, std::move(*info)).first;
        }
        TableRows part{tbname, &it->second, {}};
        for (pugi::xml_node row : param.children()) {
            if (row.type() != pugi::node_element) continue;
            bool hasChild = row.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; });
            if (hasChild || std::strcmp(row.name(), "child") == 0)
                throw Refusal{status::BadRequest, "不支持子表数据（表 " + Excerpt(tbname) + "）"};
            if (Upper(row.name()) != key)
                throw Refusal{status::BadRequest,
                              "行元素“" + Excerpt(row.name()) + "”与表名“" + Excerpt(tbname) + "”不符"};
            part.Rows.push_back(row);
        }
        work.push_back(std::move(part));
    }

    std::map<std::string, std::map<std::int64_t, std::optional<std::int64_t>>> expected;
    std::vector<RowApplier> appliers;
    appliers.reserve(work.size());
    for (const TableRows& part : work) {
        RowApplier& applier = appliers.emplace_back(db, *part.Table, part.RequestName, versions,
                                                    expected[part.Table->Name], clerk);
        for (const pugi::xml_node& row : part.Rows)
            applier.Check(row);
    }
    for (std::size_t i = 0; i < work.size(); ++i)
        for (const pugi::xml_node& row : work[i].Rows)
            appliers[i].Vacate(row);
    std::vector<KeyRow> keys;
    std::vector<Touched> touched;
    for (std::size_t i = 0; i < work.size(); ++i)
        for (const pugi::xml_node& row : work[i].Rows)
            appliers[i].Apply(row, keys, touched);
    try {
        tx.Commit();
    } catch (const StoreError& e) {
        // A unique code is checked at the end of the save where the database can.
        if (e.Kind == Failure::Unique)
            for (const TableRows& part : work)
                if (part.Table->Find(e.Column)) throw RepeatedValue(*part.Table, e.Column, e.Value);
        if (e.Kind != Failure::CommitUnknown) throw;
        for (const Touched& t : touched)
            versions.Forget(t.Table->Name, t.Key);
        return StatusResponse(status::DatabaseError, std::string(kOutcomeUnknown) + "（" + e.what() + "）");
    }
    for (const Touched& t : touched) {
        if (t.Version)
            versions.Set(t.Table->Name, t.Key, *t.Version);
        else
            versions.Forget(t.Table->Name, t.Key);
    }
    ResponseWriter out(status::Ok, "");
    if (!keys.empty()) {
        out.BeginRecordset(keys.front().TableName, "");
        for (const KeyRow& k : keys)
            out.AddKeyRow(k.TableName, k.Rn, k.Id);
        out.EndRecordset();
    }
    return out.Finish();
}

} // namespace

std::string ApplySingleRecordSet(Connection& db, RowVersions& versions, std::string_view requestXml,
                                 const Clerk& clerk) {
    pugi::xml_document doc;
    pugi::xml_parse_result parsed =
        doc.load_buffer(requestXml.data(), requestXml.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed)
        return StatusResponse(status::BadRequest, std::string("请求文档不是有效的 XML：") +
                                                      parsed.description() + "（位置 " +
                                                      std::to_string(parsed.offset) + "）");
    pugi::xml_node params = doc.child("quelmar").child("params");
    if (!params) return StatusResponse(status::BadRequest, "请求文档缺少 quelmar/params 元素");
    try {
        return Apply(db, versions, params, clerk);
    } catch (const Refusal& r) {
        return StatusResponse(r.Code, r.Info);
    }
}

} // namespace qm::host
