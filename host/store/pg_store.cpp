#include "host/store/pg_store.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qm::host {

namespace {

const char* const kSchema = "CREATE TABLE IF NOT EXISTS \"TB_MEMAC\" ("
                            " \"MEMAC_ID\" BIGSERIAL PRIMARY KEY," // a sequence: keys are never reused
                            " \"MEMAC001\" VARCHAR(4) UNIQUE,"
                            " \"MEMAC002\" VARCHAR(30),"
                            " \"MEMAC003\" NUMERIC(12,0),"
                            " \"MEMAC004\" NUMERIC(12,0),"
                            " \"CREATE_USER\" VARCHAR(12) NOT NULL,"
                            " \"USER_GROUP\" VARCHAR(12) NOT NULL,"
                            " \"CREATE_DATE\" TIMESTAMP(0) NOT NULL,"
                            " \"MODIFIER\" VARCHAR(12),"
                            " \"MODI_DATE\" TIMESTAMP(0),"
                            " \"FLAG\" NUMERIC(1,0) NOT NULL,"
                            " \"ROW_VERSION\" BIGINT NOT NULL DEFAULT 1)";

// No statement, lock wait or idle transaction holds a clerk (or the server) forever.
const char* const kSession = "SET statement_timeout = '30s'; SET lock_timeout = '10s';"
                             " SET idle_in_transaction_session_timeout = '60s'; SET DateStyle = 'ISO, YMD'; "
                             "SET client_encoding = 'UTF8'";

// Two hosts starting on a new database must not both create the table.
const char* const kSchemaLock = "SELECT pg_advisory_xact_lock(7204204)";

constexpr Oid kNumericOid = 1700;

struct ResultGuard {
    PGresult* R;
    ~ResultGuard() { PQclear(R); }
};

std::string Trimmed(const char* text) {
    std::string s = text ? text : "";
    while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    return s;
}

// The server's types in the words the schema reader knows.
std::string DeclaredType(std::string_view pgType) {
    auto starts = [&](const char* p) { return pgType.compare(0, std::strlen(p), p) == 0; };
    auto args = [&]() {
        auto open = pgType.find('(');
        return open == std::string_view::npos ? std::string() : std::string(pgType.substr(open));
    };
    if (starts("character varying") || starts("character")) return "VARCHAR2" + args();
    if (starts("numeric")) return "NUMBER" + args();
    if (pgType == "bigint" || pgType == "integer" || pgType == "smallint") return "INTEGER";
    if (starts("timestamp") || pgType == "date") return "DATE";
    if (pgType == "text") return "VARCHAR2";
    std::string word(pgType);
    for (char& c : word)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return word;
}

// "Key (\"MEMAC001\")=(01) already exists." -> MEMAC001
std::string KeyColumnOf(const char* detail) {
    std::string d = detail ? detail : "";
    auto open = d.find('(');
    auto close = d.find(")=");
    if (open == std::string::npos || close == std::string::npos || close < open) return {};
    std::string col = d.substr(open + 1, close - open - 1);
    if (col.size() >= 2 && col.front() == '"' && col.back() == '"') col = col.substr(1, col.size() - 2);
    return col;
}

class PgCursor : public Cursor {
public:
    explicit PgCursor(PGresult* r) : FR(r), FRows(PQntuples(r)) {}
    ~PgCursor() override { PQclear(FR); }
    bool Next() override { return ++FRow < FRows; }
    bool IsNull(int col) const override { return PQgetisnull(FR, FRow, col) != 0; }
    std::string_view Text(int col) const override {
        std::string_view v(PQgetvalue(FR, FRow, col), static_cast<std::size_t>(PQgetlength(FR, FRow, col)));
        // numeric(12,2) answers "12.50"; the module sees the shortest decimal, as from SQLite.
        if (PQftype(FR, col) == kNumericOid && v.find('.') != std::string_view::npos) {
            while (v.back() == '0')
                v.remove_suffix(1);
            if (v.back() == '.') v.remove_suffix(1);
        }
        return v;
    }
    std::int64_t RowsKnown() const override { return FRows; }

private:
    PGresult* FR;
    int FRows;
    int FRow = -1;
};

} // namespace

bool IsServerAddress(std::string_view address) {
    if (address.rfind("postgresql://", 0) == 0 || address.rfind("postgres://", 0) == 0) return true;
    // "host=... dbname=...": a keyword, optional blanks, '='
    std::size_t i = 0;
    while (i < address.size() && (std::isalnum(static_cast<unsigned char>(address[i])) || address[i] == '_'))
        ++i;
    if (i == 0) return false;
    while (i < address.size() && address[i] == ' ')
        ++i;
    return i < address.size() && address[i] == '=' && address.find('/') > i;
}

std::string NumberedMarks(std::string_view sql) {
    std::string out;
    out.reserve(sql.size() + 16);
    char quote = 0;
    int n = 0;
    for (char c : sql) {
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '?') {
            out += '$';
            out += std::to_string(++n);
            continue;
        }
        out += c;
    }
    return out;
}

PgConnection::PgConnection(const std::string& address) {
    // Keywords before dbname are defaults: what the connection string or PG* variables say wins.
    std::vector<const char*> keys, values;
    auto add = [&](const char* k, const char* v, const char* env) {
        if (env && std::getenv(env)) return;
        keys.push_back(k);
        values.push_back(v);
    };
    add("connect_timeout", "5", "PGCONNECT_TIMEOUT");
    add("application_name", "qmhost", "PGAPPNAME");
    // A dead peer on TCP is noticed within about half a minute instead of hanging a request.
    add("keepalives_idle", "10", nullptr);
    add("keepalives_interval", "5", nullptr);
    add("keepalives_count", "3", nullptr);
    add("tcp_user_timeout", "30000", nullptr);
    add("dbname", address.c_str(), nullptr);
    keys.push_back(nullptr);
    values.push_back(nullptr);
    FConn = PQconnectdbParams(keys.data(), values.data(), 1);
    if (!FConn || PQstatus(FConn) != CONNECTION_OK) {
        std::string why = FConn ? Trimmed(PQerrorMessage(FConn)) : "out of memory";
        PQfinish(FConn);
        FConn = nullptr;
        throw StoreError("无法连接数据库服务器：" + why, Failure::Lost);
    }
    PQsetNoticeProcessor(
        FConn, [](void*, const char*) {}, nullptr); // "already exists, skipping"
    try {
        Prepare();
        Begin();
        Run(kSchemaLock, {});
        Run(kSchema, {});
        Commit();
    } catch (...) {
        PQfinish(FConn);
        throw;
    }
}

PgConnection::~PgConnection() {
    PQfinish(FConn);
}

void PgConnection::Prepare() {
    ResultGuard r{PQexec(FConn, kSession)};
    if (PQresultStatus(r.R) != PGRES_COMMAND_OK)
        throw StoreError("无法设置数据库会话：" + Trimmed(PQerrorMessage(FConn)), Failure::Lost);
}

void PgConnection::EnsureOpen() {
    if (PQstatus(FConn) == CONNECTION_OK) return;
    PQreset(FConn);
    if (PQstatus(FConn) != CONNECTION_OK)
        throw StoreError("无法连接数据库服务器：" + Trimmed(PQerrorMessage(FConn)), Failure::Lost);
    Prepare();
}

std::string PgConnection::LoginRole() {
    ResultGuard r{Exec("SELECT current_user", {})};
    return PQgetvalue(r.R, 0, 0);
}

PGresult* PgConnection::Exec(const std::string& sql, const std::vector<BoundValue>& args) {
    std::vector<std::string> texts(args.size());
    std::vector<const char*> params(args.size(), nullptr);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const BoundValue& v = args[i];
        if (const auto* n = std::get_if<std::int64_t>(&v))
            texts[i] = std::to_string(*n);
        else if (const auto* d = std::get_if<double>(&v)) {
            char buf[40];
            std::snprintf(buf, sizeof buf, "%.17g", *d);
            texts[i] = buf;
        } else if (const auto* t = std::get_if<std::string>(&v))
            texts[i] = *t;
        else
            continue;
        params[i] = texts[i].c_str();
    }
    PGresult* r = args.empty()
                      ? PQexec(FConn, sql.c_str())
                      : PQexecParams(FConn, NumberedMarks(sql).c_str(), static_cast<int>(args.size()),
                                     nullptr, params.data(), nullptr, nullptr, 0);
    ExecStatusType st = PQresultStatus(r);
    if (st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK) return r;
    std::string msg = Trimmed(r ? PQresultErrorMessage(r) : PQerrorMessage(FConn));
    if (msg.empty()) msg = Trimmed(PQerrorMessage(FConn));
    const char* state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
    std::string code = state ? state : "";
    Failure kind = Failure::Other;
    std::string column;
    if (PQstatus(FConn) != CONNECTION_OK || code.rfind("08", 0) == 0 || code == "57P01") {
        kind = Failure::Lost;
    } else if (code == "23505") {
        kind = Failure::Unique;
        column = KeyColumnOf(PQresultErrorField(r, PG_DIAG_MESSAGE_DETAIL));
    } else if (code == "23502") {
        kind = Failure::NotNull;
        const char* c = PQresultErrorField(r, PG_DIAG_COLUMN_NAME);
        column = c ? c : "";
    } else if (code.rfind("23", 0) == 0) {
        kind = Failure::Constraint;
    }
    PQclear(r);
    throw StoreError(msg, kind, column);
}

std::optional<TableInfo> PgConnection::ReadTable(std::string_view name) {
    std::vector<std::string> names;
    {
        PgCursor tables(Exec("SELECT relname FROM pg_class WHERE relkind IN ('r','p')"
                             " AND relnamespace = current_schema()::regnamespace",
                             {}));
        while (tables.Next())
            names.emplace_back(tables.Text(0));
    }
    std::optional<std::string> found = MatchTableName(names, name);
    if (!found) return std::nullopt;
    TableInfo info;
    info.Name = *found;
    PgCursor cols(Exec("SELECT a.attname, format_type(a.atttypid, a.atttypmod), a.attnotnull,"
                       " EXISTS (SELECT 1 FROM pg_index i WHERE i.indrelid = a.attrelid AND i.indisprimary"
                       "         AND a.attnum = ANY (i.indkey))"
                       " FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid"
                       " WHERE c.relname = ? AND c.relnamespace = current_schema()::regnamespace"
                       " AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum",
                       {info.Name}));
    while (cols.Next()) {
        Column c = DescribeColumn(cols.Text(0), DeclaredType(cols.Text(1)));
        c.NotNull = cols.Text(2) == "t";
        c.PrimaryKey = cols.Text(3) == "t";
        AddColumn(info, std::move(c));
    }
    return info;
}

std::unique_ptr<Cursor> PgConnection::Query(const std::string& sql, const std::vector<BoundValue>& args) {
    return std::make_unique<PgCursor>(Exec(sql, args));
}

std::int64_t PgConnection::Run(const std::string& sql, const std::vector<BoundValue>& args) {
    ResultGuard r{Exec(sql, args)};
    const char* n = PQcmdTuples(r.R);
    return n && *n ? std::atoll(n) : 0;
}

std::int64_t PgConnection::Insert(const std::string& sql, const std::vector<BoundValue>& args,
                                  const std::string& keyColumn) {
    ResultGuard r{Exec(sql + " RETURNING " + QuoteIdent(keyColumn), args)};
    return std::atoll(PQgetvalue(r.R, 0, 0));
}

void PgConnection::Begin() {
    try {
        Run("BEGIN", {});
    } catch (const StoreError& e) {
        // A connection the server dropped while the clerk was idle: nothing was sent yet, so one
        // fresh connection may take over.
        if (e.Kind != Failure::Lost) throw;
        EnsureOpen();
        Run("BEGIN", {});
    }
}

void PgConnection::Commit() {
    try {
        Run("COMMIT", {});
    } catch (const StoreError& e) {
        // The server may have committed before the connection broke: nobody can tell from here.
        if (e.Kind == Failure::Lost) throw StoreError(e.what(), Failure::CommitUnknown);
        throw;
    }
}

void PgConnection::Rollback() noexcept {
    if (PQstatus(FConn) == CONNECTION_OK && PQtransactionStatus(FConn) != PQTRANS_IDLE)
        PQclear(PQexec(FConn, "ROLLBACK"));
}

} // namespace qm::host
