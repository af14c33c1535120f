#include "host/store/pg_store.h"

#include "host/store/layout.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace qm::host {

namespace {

// No statement, lock wait or idle transaction holds a clerk (or the server) forever. Every row of
// a cursor is read: the server plans it for the whole result, not for its first rows.
const char* const kSession = "SET statement_timeout = '30s'; SET lock_timeout = '10s';"
                             " SET idle_in_transaction_session_timeout = '60s'; SET DateStyle = 'ISO, YMD'; "
                             "SET client_encoding = 'UTF8'; SET cursor_tuple_fraction = 1";

// Two hosts starting on a new or older database must not both change its layout.
const char* const kLayoutLock = "SELECT pg_advisory_xact_lock(7204204)";

const char* const kVersionTable = "QM_SCHEMA_VERSION";
// Which group a login role's rows are stamped with: the administrator's to fill.
const char* const kGroupTable = "QM_USER_GROUP";

class PgTypes : public TypeMap {
public:
    std::string KeyType() const override { return "BIGSERIAL PRIMARY KEY"; } // a sequence: never reused
    std::string Type(const ColumnDef& c) const override {
        switch (c.Kind) {
        case ColumnKind::Text:
            return "VARCHAR(" + std::to_string(c.Size) + ")";
        case ColumnKind::Integer:
            return "NUMERIC(" + std::to_string(c.Size) + ",0)";
        case ColumnKind::Number:
            return "NUMERIC(" + std::to_string(c.Size) + "," + std::to_string(c.Scale) + ")";
        case ColumnKind::Date:
            return "TIMESTAMP(0)";
        }
        return "TEXT";
    }
    // Checked at commit: codes that change places in one save are never repeated at its end.
    std::string UniqueClause() const override { return "UNIQUE DEFERRABLE INITIALLY DEFERRED"; }
    std::string VersionType() const override { return "BIGINT NOT NULL DEFAULT 1"; }
};

// The trigger body that stamps a served table's rows from the session, whatever the client sent.
std::string StampBody(const TableDef& t, const Connection& db) {
    std::string insert, update;
    for (const ColumnDef& c : t.Columns) {
        const std::string col = "NEW." + db.QuoteIdent(c.Name) + " := ";
        switch (c.Role) {
        case Stamp::None:
            break;
        case Stamp::CreateUser:
            insert += col + "session_user; ";
            break;
        case Stamp::CreateGroup:
            insert += col + "COALESCE((SELECT m.\"USER_GROUP\" FROM " + db.QuoteIdent(kGroupTable) +
                      " m WHERE m.\"ROLE_NAME\" = session_user), ''); ";
            break;
        case Stamp::CreateDate:
            insert += col + "CURRENT_DATE; ";
            break;
        case Stamp::ModifyUser:
            insert += col + "NULL; ";
            update += col + "session_user; ";
            break;
        case Stamp::ModifyDate:
            insert += col + "NULL; ";
            update += col + "CURRENT_DATE; ";
            break;
        }
        if (c.Role == Stamp::CreateUser || c.Role == Stamp::CreateGroup || c.Role == Stamp::CreateDate)
            update += col + "OLD." + db.QuoteIdent(c.Name) + "; ";
    }
    return "BEGIN IF TG_OP = 'INSERT' THEN " + insert + "ELSE " + update + "END IF; RETURN NEW; END";
}

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

// "Key (\"MEMAC001\")=(01) already exists." -> MEMAC001 and 01
void KeyOf(const char* detail, std::string& column, std::string& value) {
    std::string d = detail ? detail : "";
    auto open = d.find('(');
    auto close = d.find(")=(");
    if (open == std::string::npos || close == std::string::npos || close < open) return;
    column = d.substr(open + 1, close - open - 1);
    if (column.size() >= 2 && column.front() == '"' && column.back() == '"')
        column = column.substr(1, column.size() - 2);
    auto end = d.rfind(')');
    if (end > close + 3) value = d.substr(close + 3, end - close - 3);
}

class PgCursor : public Cursor {
public:
    explicit PgCursor(PGresult* r) { Take(r); }
    ~PgCursor() override { PQclear(FR); }
    PgCursor(const PgCursor&) = delete;
    PgCursor& operator=(const PgCursor&) = delete;
    bool Next() override { return ++FRow < FRows; }
    bool IsNull(int col) const override { return PQgetisnull(FR, FRow, col) != 0; }
    std::string_view Text(int col) const override {
        return Shortest(col, PQgetvalue(FR, FRow, col), PQgetlength(FR, FRow, col));
    }
    bool Get(int col, std::string_view& text) const override {
        // Only an empty text may stand for a null.
        const int length = PQgetlength(FR, FRow, col);
        if (length == 0 && PQgetisnull(FR, FRow, col)) return false;
        text = Shortest(col, PQgetvalue(FR, FRow, col), length);
        return true;
    }
    std::int64_t RowsKnown() const override { return FRows; }

protected:
    PgCursor() = default;
    // Holds R's rows instead of those held so far, which are freed.
    void Take(PGresult* r) {
        PQclear(FR);
        FR = r;
        FRows = r ? PQntuples(r) : 0;
        FRow = -1;
        const int columns = r ? PQnfields(r) : 0;
        FNumeric.assign(static_cast<std::size_t>(columns), 0);
        for (int c = 0; c < columns; ++c)
            FNumeric[static_cast<std::size_t>(c)] = PQftype(r, c) == kNumericOid;
    }
    int Held() const { return FRows; }

private:
    // numeric(12,2) answers "12.50"; the module sees the shortest decimal, as from SQLite.
    std::string_view Shortest(int col, const char* value, int length) const {
        std::string_view v(value, static_cast<std::size_t>(length));
        if (FNumeric[static_cast<std::size_t>(col)] && v.find('.') != std::string_view::npos) {
            while (v.back() == '0')
                v.remove_suffix(1);
            if (v.back() == '.') v.remove_suffix(1);
        }
        return v;
    }

    PGresult* FR = nullptr;
    int FRows = 0;
    int FRow = -1;
    std::vector<char> FNumeric; // by column
};

// Whether SQL is a SELECT: the one statement a server cursor carries.
bool IsSelect(std::string_view sql) {
    std::size_t at = 0;
    while (at < sql.size() && std::isspace(static_cast<unsigned char>(sql[at])))
        ++at;
    const std::string_view word = "SELECT";
    if (sql.size() - at <= word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(sql[at + i])) != word[i]) return false;
    const char next = sql[at + word.size()];
    return next == ' ' || next == '\n' || next == '\t' || next == '"' || next == '*';
}

} // namespace

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
        PrepareLayout(*this);
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
    ResultGuard r{Exec("SELECT session_user", {})};
    return PQgetvalue(r.R, 0, 0);
}

// The server's delimited names: inner double quotes doubled, nothing else changed.
std::string PgConnection::QuoteIdent(std::string_view name) const {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

const TypeMap& PgConnection::Types() const {
    static const PgTypes types;
    return types;
}

std::vector<std::string> PgConnection::TableNames() {
    std::vector<std::string> names;
    PgCursor tables(Exec("SELECT relname FROM pg_class WHERE relkind IN ('r','p')"
                         " AND relnamespace = current_schema()::regnamespace",
                         {}));
    while (tables.Next())
        names.emplace_back(tables.Text(0));
    return names;
}

int PgConnection::RecordedVersion() {
    const std::vector<std::string> names = TableNames();
    bool recorded = false;
    for (const std::string& n : names)
        recorded = recorded || n == kVersionTable;
    if (!recorded) return 0;
    PgCursor v(Exec("SELECT MAX(\"VERSION\") FROM " + QuoteIdent(kVersionTable), {}));
    return v.Next() && !v.IsNull(0) ? std::atoi(std::string(v.Text(0)).c_str()) : 0;
}

void PgConnection::RecordVersion(int version) {
    const std::string table = QuoteIdent(kVersionTable);
    Run("CREATE TABLE IF NOT EXISTS " + table + " (\"VERSION\" INTEGER NOT NULL)", {});
    Run("DELETE FROM " + table, {});
    Run("INSERT INTO " + table + " VALUES (?)", {std::int64_t{version}});
}

void PgConnection::BeginLayoutChange() {
    Begin();
    Run(kLayoutLock, {});
}

void PgConnection::InstallRules(const TableDef& t) {
    const std::string table = QuoteIdent(t.Name);
    // A UNIQUE made by an earlier release is checked row by row: codes could not change places.
    std::string constraint;
    bool deferred = false;
    {
        PgCursor c(Exec("SELECT con.conname, con.condeferred FROM pg_constraint con"
                        " JOIN pg_class r ON r.oid = con.conrelid"
                        " JOIN pg_attribute a ON a.attrelid = r.oid AND a.attname = ?"
                        " WHERE r.relname = ? AND r.relnamespace = current_schema()::regnamespace"
                        " AND con.contype = 'u' AND con.conkey = ARRAY[a.attnum]",
                        {t.Code, t.Name}));
        if (c.Next()) {
            constraint = std::string(c.Text(0));
            deferred = c.Text(1) == "t";
        }
    }
    if (!deferred) {
        std::string sql = "ALTER TABLE " + table + " ";
        if (!constraint.empty()) sql += "DROP CONSTRAINT " + QuoteIdent(constraint) + ", ";
        sql += "ADD CONSTRAINT " +
               QuoteIdent(constraint.empty() ? t.Name + "_" + t.Code + "_key" : constraint) + " UNIQUE (" +
               QuoteIdent(t.Code) + ") DEFERRABLE INITIALLY DEFERRED";
        Run(sql, {});
    }
    Run("CREATE TABLE IF NOT EXISTS " + QuoteIdent(kGroupTable) +
            " (\"ROLE_NAME\" VARCHAR(63) PRIMARY KEY, \"USER_GROUP\" VARCHAR(12) NOT NULL)",
        {});
    std::string schema;
    {
        PgCursor c(Exec("SELECT current_schema()", {}));
        if (c.Next()) schema = QuoteIdent(c.Text(0));
    }
    // The owner's rights, so that a clerk needs none on the group table; the schema is fixed so
    // that nobody's search path changes what the function reads.
    const std::string function = schema + "." + QuoteIdent("QM_STAMP_" + t.Name);
    Run("CREATE OR REPLACE FUNCTION " + function +
            "() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER SET search_path = " + schema +
            ", pg_temp AS $qm$ " + StampBody(t, *this) + " $qm$",
        {});
    Run("DROP TRIGGER IF EXISTS \"QM_STAMP\" ON " + table, {});
    Run("CREATE TRIGGER \"QM_STAMP\" BEFORE INSERT OR UPDATE ON " + table +
            " FOR EACH ROW EXECUTE FUNCTION " + function + "()",
        {});
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
    Settle();
    return Checked(args.empty()
                       ? PQexec(FConn, sql.c_str())
                       : PQexecParams(FConn, NumberedMarks(sql).c_str(), static_cast<int>(args.size()),
                                      nullptr, params.data(), nullptr, nullptr, 0));
}

PGresult* PgConnection::Checked(PGresult* r) {
    ExecStatusType st = PQresultStatus(r);
    if (st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK) return r;
    std::string msg = Trimmed(r ? PQresultErrorMessage(r) : PQerrorMessage(FConn));
    if (msg.empty()) msg = Trimmed(PQerrorMessage(FConn));
    const char* state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
    std::string code = state ? state : "";
    Failure kind = Failure::Other;
    std::string column, value;
    if (PQstatus(FConn) != CONNECTION_OK || code.rfind("08", 0) == 0 || code == "57P01") {
        kind = Failure::Lost;
    } else if (code == "23505") {
        kind = Failure::Unique;
        KeyOf(PQresultErrorField(r, PG_DIAG_MESSAGE_DETAIL), column, value);
    } else if (code == "23502") {
        kind = Failure::NotNull;
        const char* c = PQresultErrorField(r, PG_DIAG_COLUMN_NAME);
        column = c ? c : "";
    } else if (code.rfind("23", 0) == 0) {
        kind = Failure::Constraint;
    } else if (code == "55P03" || code == "40P01") {
        kind = Failure::Busy;
    } else if (code == "53100" || code == "54000") {
        kind = Failure::Full;
    }
    PQclear(r);
    throw StoreError(msg, kind, column, value);
}

std::optional<TableInfo> PgConnection::ReadTable(std::string_view name) {
    std::optional<std::string> found = MatchTableName(TableNames(), name);
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

// Rows read from a server cursor a piece at a time, each piece freed before the next is taken in:
// a long search never holds its whole result beside the answer being written from it. The next
// pieces are asked for in one request as soon as the connection is free, so that the server makes
// them while one is written and the next is read in, without waiting for each to be asked for.
// The cursor lives in a transaction of its own, ended with it.
class PgConnection::Stream final : public PgCursor {
public:
    Stream(PgConnection& db, const std::string& sql, const std::vector<BoundValue>& args) : FDb(db) {
        FArrived.reserve(kAhead); // Settle takes them in without allocating
        FDb.Run("BEGIN", {});
        try {
            FDb.Run("DECLARE qm_rows NO SCROLL CURSOR FOR " + sql, args);
        } catch (...) {
            FDb.Rollback();
            throw;
        }
    }
    // Whatever the statement did besides reading (a sequence set by a SELECT) stays, as it did when
    // the statement ran on its own; a failed one is undone.
    ~Stream() override {
        Settle();
        for (PGresult* r : FArrived)
            PQclear(r);
        if (PQstatus(FDb.FConn) == CONNECTION_OK && PQtransactionStatus(FDb.FConn) == PQTRANS_INTRANS)
            PQclear(PQexec(FDb.FConn, "COMMIT"));
        else
            FDb.Rollback();
    }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    bool Next() override {
        if (PgCursor::Next()) return true;
        if (FEnded) return false;
        Take(nullptr);
        if (FArrived.empty()) Ask();
        Take(FDb.Checked(Piece()));
        FEnded = Held() < kPieceRows;
        if (!FEnded && FArrived.empty()) Ask();
        return PgCursor::Next();
    }
    std::int64_t RowsKnown() const override { return -1; }

    // Takes in the rest of the pieces asked for, success or failure, before anything else is sent.
    void Settle() noexcept {
        if (FDb.FAhead != this) return;
        FDb.FAhead = nullptr;
        while (PGresult* r = PQgetResult(FDb.FConn)) {
            if (FArrived.size() < kAhead)
                FArrived.push_back(r);
            else
                PQclear(r);
        }
    }

private:
    // The next pieces, unless they are on their way already.
    void Ask() {
        if (FDb.FAhead == this || !PQsendQuery(FDb.FConn, FFetch.c_str())) return;
        FDb.FAhead = this;
        FOwed = kAhead;
    }
    // The next piece: one taken in already, or the next of those on their way; the last of them
    // (or a failure, which ends the request) leaves the connection free.
    PGresult* Piece() {
        if (!FArrived.empty()) {
            PGresult* r = FArrived.front();
            FArrived.erase(FArrived.begin());
            return r;
        }
        if (FDb.FAhead != this) return FDb.Exec(FFetchOne, {}); // asking ahead failed: ask now
        PGresult* r = PQgetResult(FDb.FConn);
        if (--FOwed == 0 || PQresultStatus(r) != PGRES_TUPLES_OK) Settle();
        return r;
    }

    // A quarter of a megabyte of an income level's rows: a round trip per piece costs little beside
    // writing it, and a smaller piece held no less at the peak.
    static constexpr int kPieceRows = 1024;
    static constexpr std::size_t kAhead = 2;
    const std::string FFetchOne = "FETCH " + std::to_string(kPieceRows) + " FROM qm_rows";
    const std::string FFetch = [this] {
        std::string all = FFetchOne;
        for (std::size_t i = 1; i < kAhead; ++i)
            all += "; " + FFetchOne;
        return all;
    }();
    PgConnection& FDb;
    std::vector<PGresult*> FArrived; // taken in, not yet read
    std::size_t FOwed = 0;           // pieces still to come on the connection
    bool FEnded = false;
};

void PgConnection::Settle() noexcept {
    if (FAhead) FAhead->Settle();
}

std::int64_t PgConnection::RowsEstimate(const std::string& table) {
    // The planner's own estimate: the rows per page it last counted, over the pages there are now.
    // A table it never counted is left to a count.
    PgCursor c(
        Exec("SELECT CASE WHEN c.reltuples < 0 OR c.relpages = 0 THEN -1 ELSE"
             " c.reltuples / c.relpages * (pg_relation_size(c.oid) / current_setting('block_size')::int)"
             " END::bigint FROM pg_class c WHERE c.oid = to_regclass(?)",
             {QuoteIdent(table)}));
    return c.Next() && !c.IsNull(0) ? std::atoll(std::string(c.Text(0)).c_str()) : -1;
}

std::unique_ptr<Cursor> PgConnection::Query(const std::string& sql, const std::vector<BoundValue>& args) {
    // Inside a caller's transaction the rows are few (the checks of a save) and come whole; so do
    // those of statements a cursor cannot carry.
    if (PQtransactionStatus(FConn) == PQTRANS_IDLE && IsSelect(sql))
        return std::make_unique<Stream>(*this, sql, args);
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
    Settle();
    if (PQstatus(FConn) == CONNECTION_OK && PQtransactionStatus(FConn) != PQTRANS_IDLE)
        PQclear(PQexec(FConn, "ROLLBACK"));
}

} // namespace qm::host
