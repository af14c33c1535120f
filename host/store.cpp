#include "host/store.h"

#include "host/record_set.h"
#include "host/response.h"
#include "host/schema.h"
#include "host/sqlite_util.h"
#include "host/status_codes.h"
#include "host/values.h"
#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>

namespace qm::host {

namespace {

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS TB_MEMAC ("
    " MEMAC_ID INTEGER PRIMARY KEY AUTOINCREMENT,"  // keys are never reused
    " MEMAC001 VARCHAR2(4) UNIQUE,"
    " MEMAC002 VARCHAR2(30),"
    " MEMAC003 NUMBER(12,0),"
    " MEMAC004 NUMBER(12,0),"
    " CREATE_USER VARCHAR2(12) NOT NULL,"
    " USER_GROUP VARCHAR2(12) NOT NULL,"
    " CREATE_DATE DATE NOT NULL,"
    " MODIFIER VARCHAR2(12),"
    " MODI_DATE DATE,"
    " FLAG NUMBER(1,0) NOT NULL)";

// Tables of the client are named TB_<X> with their code in <X>001; rows are listed by that code.
const Column* OrderColumn(const TableInfo& table) {
    if (table.Name.size() > 3 && table.Name.compare(0, 3, "TB_") == 0)
        if (const Column* c = table.Find(table.Name.substr(3) + "001")) return c;
    return table.PrimaryKey();
}

void AppendNumber(std::string& out, double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    out += buf;
}

}  // namespace

Store::Store(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &FDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        std::string why = FDb ? sqlite3_errmsg(FDb) : "out of memory";
        sqlite3_close(FDb);
        throw StoreError("cannot open " + path + ": " + why);
    }
    try {
        sqlite3_busy_timeout(FDb, 2000);
        Exec(FDb, kSchema);
    } catch (...) {
        sqlite3_close(FDb);
        throw;
    }
}

Store::~Store() { sqlite3_close(FDb); }

std::string Store::Register(std::string_view, std::string_view) {
    std::int32_t id = FNextId++;
    FFunctions.insert(id);
    ResponseWriter out(status::Ok, "");
    out.AddInteger(id);
    return out.Finish();
}

std::string Store::Release(std::int32_t funcId) {
    if (FFunctions.erase(funcId) == 0)
        return StatusResponse(status::ReleaseFailed, "功能号 " + std::to_string(funcId) + " 未注册或已释放");
    return StatusResponse(status::Ok, "");
}

std::string Store::Execute(std::int32_t funcId, std::string_view action, std::string_view requestXml) {
    if (!IsRegistered(funcId))
        return StatusResponse(status::UnknownFunction,
                              "功能号 " + std::to_string(funcId) + " 未注册，请求被拒绝，未做任何修改");
    if (action != "singleRecordSet")
        return StatusResponse(status::UnknownName, "不支持的操作“" + Excerpt(action) + "”");
    return ApplySingleRecordSet(FDb, requestXml);
}

std::string Store::Search(std::string_view contextTail) {
    try {
        std::optional<TableInfo> table = ReadTableInfo(FDb, contextTail);
        if (!table) return StatusResponse(status::UnknownName, "未知的表“" + Excerpt(contextTail) + "”，无法查询");
        std::string sql = "SELECT ";
        for (std::size_t i = 0; i < table->Columns.size(); ++i) {
            if (i) sql += ',';
            sql += QuoteIdent(table->Columns[i].Name);
        }
        sql += " FROM " + QuoteIdent(table->Name);
        const Column* order = OrderColumn(*table);
        const Column* key = table->PrimaryKey();
        if (order) sql += " ORDER BY " + QuoteIdent(order->Name);
        if (key && key != order) sql += std::string(order ? "," : " ORDER BY ") + QuoteIdent(key->Name);

        Statement st(FDb, sql);
        ResponseWriter out(status::Ok, "");
        out.BeginRecordset(table->Name, table->FieldList());
        std::string& text = out.Buffer();
        const int n = static_cast<int>(table->Columns.size());
        while (st.Step()) {
            out.OpenRow(table->Name);
            for (int c = 0; c < n; ++c) {
                int type = st.ColumnType(c);
                if (type == SQLITE_NULL) continue;
                const std::string& name = table->Columns[static_cast<std::size_t>(c)].Name;
                if (type == SQLITE_FLOAT) {
                    text += ' ';
                    text += name;
                    text += "=\"";
                    AppendNumber(text, st.Double(c));
                    text += '"';
                } else {
                    out.Attribute(name, st.Text(c));
                }
            }
            out.CloseRow();
        }
        out.EndRecordset();
        return out.Finish();
    } catch (const StoreError& e) {
        return StatusResponse(status::DatabaseError, std::string("查询失败：") + e.what());
    }
}

void Store::FillDemo() {
    {
        Statement count(FDb, "SELECT COUNT(*) FROM TB_MEMAC");
        count.Step();
        if (count.Int64(0) != 0) return;
    }
    struct Level {
        const char* Code;
        const char* Name;
        int Low, High;
    };
    static const Level levels[] = {
        {"01", "低收入", 0, 2999},        {"02", "中低收入", 3000, 5999},   {"03", "中等收入", 6000, 9999},
        {"04", "中高收入", 10000, 19999}, {"05", "高收入", 20000, 49999}, {"06", "特高收入", 50000, 999999},
    };
    // The form's stamps are dates: a time of day here would be cut off by the first update.
    std::string now = NowText().substr(0, 10) + " 00:00:00";
    Exec(FDb, "BEGIN");
    try {
        Statement st(FDb,
                     "INSERT INTO TB_MEMAC (MEMAC001,MEMAC002,MEMAC003,MEMAC004,CREATE_USER,USER_GROUP,CREATE_DATE,FLAG)"
                     " VALUES (?,?,?,?,'demo','demo',?,0)");
        for (const Level& l : levels) {
            st.Reset();
            st.BindText(1, l.Code);
            st.BindText(2, l.Name);
            st.BindInt64(3, l.Low);
            st.BindInt64(4, l.High);
            st.BindText(5, now);
            st.Step();
        }
        Exec(FDb, "COMMIT");
    } catch (...) {
        sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::string DefaultDatabasePath() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home) base = std::string(home) + "/.local/share";
    else base = ".";
    return base + "/qmclient/qmclient.db";
}

}  // namespace qm::host
