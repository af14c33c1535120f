#include "host/store/store.h"

#include "host/store/pg_engine.h"
#include "host/store/record_set.h"
#include "host/store/response.h"
#include "host/store/schema.h"
#include "host/store/server_address.h"
#include "host/store/sqlite_store.h"
#include "host/store/status_codes.h"
#include "host/store/values.h"
#include "platform/platform.h"

#include <charconv>
#include <cstdlib>
#include <utility>
#include <vector>

namespace qm::host {

namespace {

std::unique_ptr<Connection> OpenEngine(const std::string& address, ProbedFile probed = {}) {
    if (IsServerAddress(address)) return OpenServerStore(address);
    return std::make_unique<SqliteConnection>(address, probed.Release());
}

const char* const kStoreBusy = "存储正忙，请稍后重试！";

std::string DamageText(const std::string& why) {
    return "数据库文件已损坏（" + why +
           "），为免损坏扩大，已拒绝一切保存；本次修改未写入，请联系管理员从备份恢复";
}

// Rows left out of a search that its note names; the rest are counted.
constexpr std::size_t kNamedLeftOut = 5;

// Rows read before an answer's length is estimated.
constexpr std::int64_t kSampleRows = 64;

// The whole number a key or version column gives; 0 when it is none.
std::int64_t Integer(std::string_view text) {
    std::int64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// A hint only: rows may come or go before the select reads them.
std::int64_t CountRows(Connection& db, const std::string& table) {
    std::unique_ptr<Cursor> count = db.Query("SELECT COUNT(*) FROM " + db.QuoteIdent(table), {});
    return count->Next() && !count->IsNull(0) ? std::atoll(std::string(count->Text(0)).c_str()) : -1;
}

} // namespace

ProbedFile::~ProbedFile() {
    Keep(nullptr);
}

ProbedFile::ProbedFile(ProbedFile&& other) noexcept : FDb(other.Release()) {}

ProbedFile& ProbedFile::operator=(ProbedFile&& other) noexcept {
    if (this != &other) Keep(other.Release());
    return *this;
}

sqlite3* ProbedFile::Release() {
    return std::exchange(FDb, nullptr);
}

void ProbedFile::Keep(sqlite3* db) {
    sqlite3_close(std::exchange(FDb, db));
}

std::string ProbeStore(const std::string& address, int lockWaitMs, const std::string& origin,
                       ProbedFile* kept) {
    // A server answers for itself when the connection is made.
    if (IsServerAddress(address)) return {};
    return SqliteConnection::Probe(address, lockWaitMs, origin, kept);
}

Store::Store(const std::string& address) : Store(OpenEngine(address)) {}

Store::Store(const std::string& address, ProbedFile probed) : Store(OpenEngine(address, std::move(probed))) {}

Store::Store(std::unique_ptr<Connection> db)
    : FDb(std::move(db)), FDamage(FDb->Damage()), FUntoldNote(FDb->OpenNote()) {}

Store::~Store() = default;

void Store::NoteFailure(const StoreError& e) {
    if (e.Kind == Failure::Malformed && FDamage.empty()) FDamage = e.what();
}

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

std::string Store::WritesRefused() const {
    return FDamage.empty() ? std::string() : DamageText(FDamage);
}

std::string Store::Execute(std::int32_t funcId, std::string_view action, std::string_view requestXml) {
    if (!IsRegistered(funcId))
        return StatusResponse(status::UnknownFunction,
                              "功能号 " + std::to_string(funcId) + " 未注册，请求被拒绝，未做任何修改");
    if (action != "singleRecordSet")
        return StatusResponse(status::UnknownName, "不支持的操作“" + Excerpt(action) + "”");
    if (!FDamage.empty()) return StatusResponse(status::ReadOnly, DamageText(FDamage));
    try {
        FDb->EnsureOpen();
        return ApplySingleRecordSet(*FDb, FVersions, requestXml, FClerk);
    } catch (const StoreError& e) {
        NoteFailure(e);
        if (e.Kind == Failure::Malformed) return StatusResponse(status::ReadOnly, DamageText(e.what()));
        if (e.Kind == Failure::Busy) return StatusResponse(status::Busy, kStoreBusy);
        if (e.Kind == Failure::Full)
            return StatusResponse(
                status::DatabaseError,
                "存储空间不足或无法写入（磁盘已满、超出文件大小限制或写入失败），本次保存未做任何修改：" +
                    Excerpt(e.what(), 200));
        if (e.Kind == Failure::Lost)
            return StatusResponse(status::DatabaseError, "与数据库服务器的连接中断，本次保存未做任何修改：" +
                                                             Excerpt(e.what(), 200));
        return StatusResponse(status::DatabaseError,
                              "数据库错误，本次保存未做任何修改：" + Excerpt(e.what(), 200));
    }
}

std::string Store::Search(std::string_view contextTail) {
    return Answered(contextTail, nullptr);
}

void Store::Search(std::string_view contextTail, ResponseSink& sink) {
    std::string rest = Answered(contextTail, &sink);
    sink.Append(rest);
}

// The answer, or with a sink what is left of it after the pieces the sink took.
std::string Store::Answered(std::string_view contextTail, ResponseSink* sink) {
    try {
        try {
            return SearchOnce(contextTail, sink);
        } catch (const StoreError& e) {
            // A search changes nothing: after a dropped connection it is simply asked again.
            if (e.Kind != Failure::Lost) throw;
        }
        if (sink) sink->Clear();
        return SearchOnce(contextTail, sink);
    } catch (const StoreError& e) {
        if (sink) sink->Clear();
        NoteFailure(e);
        if (e.Kind == Failure::Lost)
            return StatusResponse(status::DatabaseError,
                                  "与数据库服务器的连接中断，查询失败：" + Excerpt(e.what(), 200));
        if (e.Kind == Failure::Busy) return StatusResponse(status::Busy, kStoreBusy);
        return StatusResponse(status::DatabaseError, "查询失败：" + Excerpt(e.what(), 200));
    }
}

std::string Store::SearchOnce(std::string_view contextTail, ResponseSink* sink) {
    {
        FDb->EnsureOpen();
        std::optional<TableInfo> table = FDb->ReadTable(contextTail);
        if (!table)
            return StatusResponse(status::UnknownName, "未知的表“" + Excerpt(contextTail) + "”，无法查询");
        std::string sql = "SELECT ";
        for (std::size_t i = 0; i < table->Columns.size(); ++i) {
            if (i) sql += ',';
            sql += FDb->QuoteIdent(table->Columns[i].Name);
        }
        const Column* key = table->PrimaryKey();
        const bool versioned = table->Versioned && key;
        if (versioned) sql += "," + FDb->QuoteIdent(kVersionColumn);
        sql += " FROM " + FDb->QuoteIdent(table->Name);
        const Column* order = table->CodeColumn();
        if (order) sql += " ORDER BY " + FDb->QuoteIdent(order->Name);
        if (key && key != order) sql += std::string(order ? "," : " ORDER BY ") + FDb->QuoteIdent(key->Name);

        const int n = static_cast<int>(table->Columns.size());
        int keyIndex = -1, codeIndex = -1;
        for (int c = 0; c < n; ++c) {
            if (&table->Columns[static_cast<std::size_t>(c)] == key) keyIndex = c;
            if (&table->Columns[static_cast<std::size_t>(c)] == order) codeIndex = c;
        }
        std::vector<std::string> leads;
        for (const Column& col : table->Columns)
            leads.push_back(ResponseWriter::AttributeLead(col.Name));
        std::vector<std::string> leftOut;
        std::int64_t leftOutCount = 0;

        std::unique_ptr<Cursor> rows = FDb->Query(sql, {});
        std::int64_t expected = rows->RowsKnown();
        if (expected < 0) expected = FDb->RowsEstimate(table->Name);
        if (expected < 0) expected = CountRows(*FDb, table->Name);
        ResponseWriter out(status::Ok, "", sink);
        out.BeginRecordset(table->Name, table->FieldList());
        std::vector<std::pair<std::int64_t, std::int64_t>> seen;
        // An estimate may fall short: room for a few more rows costs no memory until they come,
        // where growing would hold the versions twice.
        if (expected > 0) seen.reserve(static_cast<std::size_t>(expected + expected / 16));
        const std::size_t head = out.Written();
        std::int64_t written = 0;
        while (rows->Next()) {
            // A long answer grows in one piece, sized from its first rows, instead of being copied
            // and faulted in again at every doubling.
            if (++written == kSampleRows && expected > written) {
                const std::size_t perRow = (out.Written() - head) / static_cast<std::size_t>(written - 1);
                out.Reserve(perRow * static_cast<std::size_t>(expected - written + 1) * 9 / 8 + 64);
            }
            // A value the form cannot hold (written by another tool) leaves its row out: shown, it
            // could never be saved over, and a huge one would be laid out whole. Each value is
            // checked before it is written; a row found unfit is taken back.
            const std::size_t rowStart = out.Buffer().size();
            const Column* unfit = nullptr;
            out.OpenRow(table->Name);
            for (int c = 0; c < n && !unfit; ++c) {
                std::string_view text;
                if (!rows->Get(c, text)) continue;
                const Column& col = table->Columns[static_cast<std::size_t>(c)];
                const std::string& lead = leads[static_cast<std::size_t>(c)];
                // Text is checked as it is written, in one pass; other values are short.
                if (col.Kind == ColumnKind::Text) {
                    if (out.CleanAttribute(lead, text, MaxChars(col)) == std::string_view::npos) unfit = &col;
                } else if (FitsColumn(col, text)) {
                    out.LeadAttribute(lead, text);
                } else {
                    unfit = &col;
                }
            }
            if (unfit) {
                out.Buffer().resize(rowStart);
                if (leftOut.size() < kNamedLeftOut)
                    leftOut.push_back(Excerpt(codeIndex >= 0 && !rows->IsNull(codeIndex)
                                                  ? rows->Text(codeIndex)
                                                  : std::string_view()) +
                                      "（" + (unfit->Label.empty() ? unfit->Name : unfit->Label) + "）");
                ++leftOutCount;
                continue;
            }
            out.CloseRow();
            if (versioned && !rows->IsNull(keyIndex) && !rows->IsNull(n))
                seen.emplace_back(Integer(rows->Text(keyIndex)), Integer(rows->Text(n)));
        }
        out.EndRecordset();
        // What the clerk should know about how the store was opened comes with the first answer
        // the window shows.
        if (!FUntoldNote.empty()) {
            out.AppendInfo(FUntoldNote + (leftOutCount > 0 ? "；" : ""));
            FUntoldNote.clear();
        }
        if (leftOutCount > 0) {
            std::string note =
                "查询结果中有 " + std::to_string(leftOutCount) + " 行含有无法显示的值，已略去：";
            if (order) note += (order->Label.empty() ? order->Name : order->Label) + " ";
            for (std::size_t i = 0; i < leftOut.size(); ++i)
                note += (i ? "；" : "") + leftOut[i];
            if (leftOutCount > static_cast<std::int64_t>(leftOut.size())) note += " 等";
            out.AppendInfo(note);
        }
        FVersions.Replace(table->Name, seen.size());
        for (const auto& [id, version] : seen)
            FVersions.Set(table->Name, id, version);
        return out.Finish();
    }
}

void Store::FillDemo() {
    const std::string table = FDb->QuoteIdent("TB_MEMAC");
    {
        auto count = FDb->Query("SELECT COUNT(*) FROM " + table, {});
        if (count->Next() && count->Text(0) != "0") return;
    }
    struct Level {
        const char* Code;
        const char* Name;
        int Low, High;
    };
    static const Level levels[] = {
        {"01", "低收入", 0, 2999},        {"02", "中低收入", 3000, 5999}, {"03", "中等收入", 6000, 9999},
        {"04", "中高收入", 10000, 19999}, {"05", "高收入", 20000, 49999}, {"06", "特高收入", 50000, 999999},
    };
    // The form's stamps are dates: a time of day here would be cut off by the first update.
    std::string now = NowText().substr(0, 10) + " 00:00:00";
    std::string columns;
    for (const char* c :
         {"MEMAC001", "MEMAC002", "MEMAC003", "MEMAC004", "CREATE_USER", "USER_GROUP", "CREATE_DATE", "FLAG"})
        columns += (columns.empty() ? "" : ",") + FDb->QuoteIdent(c);
    Transaction tx(*FDb);
    for (const Level& l : levels)
        FDb->Run("INSERT INTO " + table + " (" + columns + ") VALUES (?,?,?,?,'demo','demo',?,0)",
                 {std::string(l.Code), std::string(l.Name), std::int64_t{l.Low}, std::int64_t{l.High}, now});
    tx.Commit();
}

std::string DefaultDatabasePath() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.local/share";
    else
        base = ".";
    return base + "/qmclient/qmclient.db";
}

} // namespace qm::host
