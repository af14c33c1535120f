// No lost updates: an update or delete goes through only for a row as the clerk last saw it.
#include "host/store/pg_store.h"
#include "host/store/record_set.h"
#include "host/store/status_codes.h"
#include "store_fixture.h"

#include <functional>
#include <vector>

namespace qm::host::testing {
namespace {

// A second clerk's host on the same store.
struct Clerk {
    explicit Clerk(const std::string& address) : S(address) {
        S.SetClerk({"u777", "g7"});
        Id = ReadAnswer(S.Register("Tarn204", "MEM"))->Doc.child("quelmar").child("rs").text().as_int();
    }
    int Save(const std::string& rows) {
        return ReadAnswer(S.Execute(Id, "singleRecordSet", Request(rows)))->Code;
    }
    Store S;
    int Id = 0;
};

struct VersionCase {
    const char* Name;
    std::function<void(Clerk& other, std::function<int(const std::string&)> own)> Between; // after our search
    std::string Rows;                                                                      // our request
    bool Accepted;
    std::string InfoPart; // on a refusal
};

TEST_P(BothEngines, UpdatesAndDeletesNeedTheVersionLastAnswered) {
    auto none = [](Clerk&, auto) {};
    // The other clerk's stamp: the host's user on a file, the login role on a server; a date alone.
    const std::string other = (Kind == Engine::Sqlite ? std::string("u777") : ClerkName());
    const std::string today = NowText().substr(0, 10);
    const std::vector<VersionCase> cases = {
        {"own update", none, UpdateRow(11, "02", "Mine"), true, ""},
        {"changed by another",
         [](Clerk& o, auto) {
             o.S.Search("TB_MEMAC");
             o.Save(UpdateRow(11, "02", "His", "u777"));
         },
         UpdateRow(11, "02", "Mine"), false, "（代码 02，最后修改：" + other + " " + today + "）"},
        {"deleted by another",
         [](Clerk& o, auto) {
             o.S.Search("TB_MEMAC");
             o.Save(DeleteRow(11));
         },
         UpdateRow(11, "02", "Mine"), false, "（代码 02）"},
        {"delete after another's update",
         [](Clerk& o, auto) {
             o.S.Search("TB_MEMAC");
             o.Save(UpdateRow(11, "02", "His", "u777"));
         },
         DeleteRow(11, "02"), false, "最后修改：" + other},
        {"inserted by another, never answered to us", [](Clerk& o, auto) { o.Save(InsertRow(1, "09")); },
         UpdateRow(13, "09", "Mine"), false, "代码 09"},
        {"two own updates without a search", [](Clerk&, auto own) { own(UpdateRow(11, "02", "First")); },
         UpdateRow(11, "02", "Mine"), true, ""},
        {"own insert, then its update", [](Clerk&, auto own) { own(InsertRow(1, "09")); },
         UpdateRow(13, "09", "Mine"), true, ""},
        {"own delete, then an update", [](Clerk&, auto own) { own(DeleteRow(11)); },
         UpdateRow(11, "02", "Mine"), false, "（代码 02）"},
        // One stale row refuses the whole request, the good row before it too.
        {"good and stale row",
         [](Clerk& o, auto) {
             o.S.Search("TB_MEMAC");
             o.Save(DeleteRow(12));
         },
         UpdateRow(10, "01", "Mine") + DeleteRow(12, "03"), false, "代码 03"},
        {"update then delete of one row in one request", none, UpdateRow(11, "02", "Mine") + DeleteRow(11),
         true, ""},
    };
    for (const VersionCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Fresh();
        ThreeLevels();
        Search();
        Clerk other(StoreAddress());
        c.Between(other, [this](const std::string& rows) { return ReadAnswer(Save(Request(rows)))->Code; });
        const std::string before = Snapshot();
        auto answer = ReadAnswer(Save(Request(c.Rows)));
        if (c.Accepted) {
            EXPECT_EQ(answer->Code, 0) << answer->Info;
            continue;
        }
        EXPECT_EQ(answer->Code, status::Conflict);
        EXPECT_EQ(answer->Info.rfind(kChangedByOthers, 0), 0u) << answer->Info;
        EXPECT_NE(answer->Info.find(c.InfoPart), std::string::npos) << answer->Info;
        EXPECT_EQ(Snapshot(), before);
    }
}

// The whole round: both search, A saves, B is refused, B searches again and then saves.
TEST_P(BothEngines, TwoClerksOnOneStoreLoseNoUpdate) {
    ThreeLevels();
    Clerk a(StoreAddress()), b(StoreAddress());
    a.S.Search("TB_MEMAC");
    b.S.Search("TB_MEMAC");
    EXPECT_EQ(a.Save(UpdateRow(11, "02", "A's")), 0);
    EXPECT_EQ(b.Save(UpdateRow(11, "02", "B's")), status::Conflict);
    EXPECT_EQ(Scalar("SELECT MEMAC002 || ROW_VERSION FROM TB_MEMAC WHERE MEMAC_ID=11"), "A's2");
    b.S.Search("TB_MEMAC");
    EXPECT_EQ(b.Save(UpdateRow(11, "02", "B's")), 0);
    EXPECT_EQ(Scalar("SELECT MEMAC002 || ROW_VERSION FROM TB_MEMAC WHERE MEMAC_ID=11"), "B's3");
    // A repeated code from two clerks: the second is refused.
    EXPECT_EQ(a.Save(InsertRow(1, "77")), 0);
    EXPECT_EQ(b.Save(InsertRow(1, "77")), status::Violation);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC WHERE MEMAC001='77'"), "1");
}

TEST_P(BothEngines, VersionsStayOutOfTheDocuments) {
    ThreeLevels();
    auto answer = Search();
    EXPECT_EQ(
        std::string(answer->Doc.child("quelmar").child("rs").attribute("fields").value()).find("VERSION"),
        std::string::npos);
    EXPECT_FALSE(answer->Doc.child("quelmar").child("rs").first_child().attribute(kVersionColumn));
    auto forged = ReadAnswer(Save(Request(
        "<TB_MEMAC op=\"3\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"11\" ROW_VERSION=\"1\" MEMAC002=\"x\"/>")));
    EXPECT_EQ(forged->Code, status::UnknownName);
    EXPECT_EQ(Scalar("SELECT ROW_VERSION FROM TB_MEMAC WHERE MEMAC_ID=11"), "1");
}

// Passes everything to a real engine, failing where a test says.
class FailingConnection : public Connection {
public:
    explicit FailingConnection(std::unique_ptr<Connection> real) : Real(std::move(real)) {}
    std::optional<TableInfo> ReadTable(std::string_view name) override { return Real->ReadTable(name); }
    std::unique_ptr<Cursor> Query(const std::string& sql, const std::vector<BoundValue>& args) override {
        if (QueryFails) throw StoreError("database disk image is malformed", Failure::Malformed);
        return Real->Query(sql, args);
    }
    std::int64_t Run(const std::string& sql, const std::vector<BoundValue>& args) override {
        return Real->Run(sql, args);
    }
    std::int64_t Insert(const std::string& sql, const std::vector<BoundValue>& args,
                        const std::string& key) override {
        return Real->Insert(sql, args, key);
    }
    void Begin() override { Real->Begin(); }
    void Commit() override {
        Real->Commit(); // committed, but the answer never arrives
        if (CommitLost) throw StoreError("server closed the connection unexpectedly", Failure::CommitUnknown);
    }
    void Rollback() noexcept override { Real->Rollback(); }
    const TypeMap& Types() const override { return Real->Types(); }
    std::vector<std::string> TableNames() override { return Real->TableNames(); }
    int RecordedVersion() override { return Real->RecordedVersion(); }
    void RecordVersion(int version) override { Real->RecordVersion(version); }
    bool DefersUniqueness() const override { return Real->DefersUniqueness(); }
    bool StampsItself() const override { return Real->StampsItself(); }
    std::string QuoteIdent(std::string_view name) const override { return Real->QuoteIdent(name); }
    std::unique_ptr<Connection> Real;
    bool QueryFails = false;
    bool CommitLost = false;
};

TEST_P(BothEngines, AnUnknownCommitOutcomeSaysSoAndForgetsTheRows) {
    ThreeLevels();
    auto real = Kind == Engine::Sqlite ? std::unique_ptr<Connection>(new SqliteConnection(StoreAddress()))
                                       : std::unique_ptr<Connection>(new PgConnection(StoreAddress()));
    auto* conn = new FailingConnection(std::move(real));
    Store s{std::unique_ptr<Connection>(conn)};
    const int id = ReadAnswer(s.Register("Tarn204", "MEM"))->Doc.child("quelmar").child("rs").text().as_int();
    s.Search("TB_MEMAC");
    conn->CommitLost = true;
    auto lost = ReadAnswer(s.Execute(id, "singleRecordSet", Request(UpdateRow(11, "02", "Maybe"))));
    EXPECT_EQ(lost->Code, status::DatabaseError);
    EXPECT_EQ(lost->Info.rfind(kOutcomeUnknown, 0), 0u) << lost->Info;
    conn->CommitLost = false;
    // Whether or not it was stored, the row is no longer known as the clerk saw it.
    EXPECT_EQ(ReadAnswer(s.Execute(id, "singleRecordSet", Request(UpdateRow(11, "02", "Again"))))->Code,
              status::Conflict);
    // Rows the lost save did not touch are still known.
    EXPECT_EQ(ReadAnswer(s.Execute(id, "singleRecordSet", Request(UpdateRow(12, "03", "Other"))))->Code, 0);
}

// After the file is found damaged, nothing more is written, and the clerk is told why.
TEST(StoreDamage, AMalformedErrorRefusesEveryLaterWrite) {
    auto dir = FreshTempDir("damage");
    auto* conn = new FailingConnection(std::make_unique<SqliteConnection>((dir / "a.db").string()));
    Store s{std::unique_ptr<Connection>(conn)};
    const int id = ReadAnswer(s.Register("Tarn204", "MEM"))->Doc.child("quelmar").child("rs").text().as_int();
    conn->QueryFails = true;
    EXPECT_EQ(ReadAnswer(s.Search("TB_MEMAC"))->Code, status::DatabaseError);
    conn->QueryFails = false;
    auto refused = ReadAnswer(s.Execute(id, "singleRecordSet", Request(InsertRow(1, "01"))));
    EXPECT_EQ(refused->Code, status::ReadOnly);
    EXPECT_NE(refused->Info.find("已损坏"), std::string::npos) << refused->Info;
    EXPECT_NE(refused->Info.find("malformed"), std::string::npos) << refused->Info;
    EXPECT_EQ(ReadAnswer(s.Search("TB_MEMAC"))->Doc.child("quelmar").child("rs").first_child(),
              pugi::xml_node());
    std::filesystem::remove_all(dir);
}

// A connection the server dropped while the clerk was idle is replaced before anything is sent.
TEST(PgConnectionLoss, ARequestAfterTheServerDroppedUsReconnects) {
    PgSchema schema;
    ASSERT_FALSE(::testing::Test::HasFailure());
    // The engine linked in, not the loaded one, so that its connection handle can be read.
    Store s(std::make_unique<PgConnection>(schema.Uri()));
    const int id = ReadAnswer(s.Register("Tarn204", "MEM"))->Doc.child("quelmar").child("rs").text().as_int();
    ASSERT_EQ(ReadAnswer(s.Execute(id, "singleRecordSet", Request(InsertRow(1, "01"))))->Code, 0);
    const int pid = PQbackendPID(dynamic_cast<PgConnection&>(s.Db()).Handle());
    ASSERT_EQ(PgAdmin("SELECT pg_terminate_backend(" + std::to_string(pid) + ")"), "");
    EXPECT_EQ(ReadAnswer(s.Execute(id, "singleRecordSet", Request(InsertRow(1, "02"))))->Code, 0);
    const int again = PQbackendPID(dynamic_cast<PgConnection&>(s.Db()).Handle());
    EXPECT_NE(again, pid);
    ASSERT_EQ(PgAdmin("SELECT pg_terminate_backend(" + std::to_string(again) + ")"), "");
    auto rows = ReadAnswer(s.Search("TB_MEMAC"));
    EXPECT_EQ(rows->Code, 0) << rows->Info;
    std::string codes;
    for (pugi::xml_node r : rows->Doc.child("quelmar").child("rs").children())
        codes += r.attribute("MEMAC001").value();
    EXPECT_EQ(codes, "0102");
}

// The layouts of earlier releases, as each engine held them: 1 without row versions, 2 with them
// (and, on a server, a code checked row by row and no stamps of its own).
std::string EarlierLayout(Engine kind, int version) {
    const bool server = kind == Engine::Postgres;
    std::string sql =
        server ? "CREATE TABLE \"TB_MEMAC\" (\"MEMAC_ID\" BIGSERIAL PRIMARY KEY, \"MEMAC001\" VARCHAR(4) "
                 "UNIQUE, \"MEMAC002\" VARCHAR(30), \"MEMAC003\" NUMERIC(12,0), \"MEMAC004\" "
                 "NUMERIC(12,0), \"CREATE_USER\" VARCHAR(12) NOT NULL, \"USER_GROUP\" VARCHAR(12) NOT "
                 "NULL, \"CREATE_DATE\" TIMESTAMP(0) NOT NULL, \"MODIFIER\" VARCHAR(12), \"MODI_DATE\" "
                 "TIMESTAMP(0), \"FLAG\" NUMERIC(1,0) NOT NULL"
               : "CREATE TABLE TB_MEMAC (MEMAC_ID INTEGER PRIMARY KEY AUTOINCREMENT, MEMAC001 VARCHAR2(4) "
                 "UNIQUE, MEMAC002 VARCHAR2(30), MEMAC003 NUMBER(12,0), MEMAC004 NUMBER(12,0), "
                 "CREATE_USER VARCHAR2(12) NOT NULL, USER_GROUP VARCHAR2(12) NOT NULL, CREATE_DATE "
                 "DATE NOT NULL, MODIFIER VARCHAR2(12), MODI_DATE DATE, FLAG NUMBER(1,0) NOT NULL";
    if (version >= 2)
        sql += server ? ", \"ROW_VERSION\" BIGINT NOT NULL DEFAULT 1"
                      : ", ROW_VERSION INTEGER NOT NULL DEFAULT 1";
    sql += ");";
    sql += QuoteNames(
        "INSERT INTO TB_MEMAC (MEMAC_ID,MEMAC001,MEMAC002,CREATE_USER,USER_GROUP,CREATE_DATE,FLAG) "
        "VALUES (10,'01','Low','u001','g01','2008-06-02 00:00:00',0),"
        "(11,'02','Mid','u001','g01','2008-06-02 00:00:00',0);");
    if (server) sql += "SELECT setval(pg_get_serial_sequence('\"TB_MEMAC\"', 'MEMAC_ID'), 11);";
    return sql;
}

// What a store's layout is: columns, versions, the code's check and, on a server, the stamps.
std::string Layout(Connection& db, Engine kind) {
    std::optional<TableInfo> t = db.ReadTable("TB_MEMAC");
    if (!t) return "<no table>";
    std::string out =
        t->FieldList() + (t->Versioned ? " versioned" : "") + " v" + std::to_string(db.RecordedVersion());
    for (const Column& c : t->Columns)
        out += c.NotNull ? " " + c.Name + "!" : "";
    auto add = [&](const std::string& sql) {
        auto c = db.Query(sql, {});
        while (c->Next())
            out += " " + std::string(c->IsNull(0) ? "<null>" : c->Text(0));
    };
    if (kind == Engine::Sqlite) {
        add("SELECT group_concat(name || ':' || \"unique\") FROM pragma_index_list('TB_MEMAC') WHERE "
            "origin='u'");
    } else {
        add("SELECT string_agg(conname || ':' || condeferrable || condeferred, ',') FROM pg_constraint WHERE "
            "conrelid = '\"TB_MEMAC\"'::regclass AND contype = 'u'");
        add("SELECT string_agg(tgname, ',') FROM pg_trigger WHERE tgrelid = '\"TB_MEMAC\"'::regclass AND NOT "
            "tgisinternal");
    }
    return out;
}

// An old file or database at every earlier version comes out with the layout a new one has, its
// rows kept, and codes that may change places.
TEST_P(BothEngines, EveryEarlierLayoutUpgradesToTheNewOne) {
    const std::string fresh = Layout(S->Db(), Kind);
    EXPECT_NE(fresh.find(" v3"), std::string::npos) << fresh;
    for (int version : {1, 2}) {
        SCOPED_TRACE(version);
        std::unique_ptr<PgSchema> schema;
        std::string address;
        if (Kind == Engine::Sqlite) {
            const auto path = Dir / ("old" + std::to_string(version) + ".db");
            sqlite3* db = nullptr;
            ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
            EXPECT_EQ(sqlite3_exec(db, EarlierLayout(Kind, version).c_str(), nullptr, nullptr, nullptr),
                      SQLITE_OK);
            sqlite3_close(db);
            address = path.string();
        } else {
            schema = std::make_unique<PgSchema>();
            ASSERT_EQ(PgAdmin("SET search_path TO " + schema->Name + "; " + EarlierLayout(Kind, version)),
                      "");
            address = schema->Uri();
        }
        Store old(address);
        EXPECT_EQ(Layout(old.Db(), Kind), fresh);
        old.SetClerk({"clerk1", "grp1"});
        const int id =
            ReadAnswer(old.Register("Tarn204", "MEM"))->Doc.child("quelmar").child("rs").text().as_int();
        ReadAnswer(old.Search("TB_MEMAC"));
        auto swapped = ReadAnswer(old.Execute(
            id, "singleRecordSet", Request(UpdateRow(10, "02", "Low") + UpdateRow(11, "01", "Mid"))));
        EXPECT_EQ(swapped->Code, 0) << swapped->Info;
        auto c = old.Db().Query(
            QuoteNames("SELECT MEMAC001 || ROW_VERSION || MODIFIER FROM TB_MEMAC ORDER BY MEMAC_ID"), {});
        std::string rows;
        while (c->Next())
            rows += std::string(c->Text(0)) + ";";
        const std::string who = Kind == Engine::Sqlite ? "clerk1" : ClerkName();
        EXPECT_EQ(rows, "022" + who + ";012" + who + ";");
    }
}

// On a server a table made without row versions would let one clerk overwrite another: the host
// upgrades it, or refuses to start when its login may not change the table (here: a login whose
// sessions may only read).
TEST(PgLayout, ATableWithoutVersionsIsUpgradedOnlyByALoginThatMay) {
    PgSchema schema;
    ASSERT_FALSE(::testing::Test::HasFailure());
    ASSERT_EQ(PgAdmin("SET search_path TO " + schema.Name + "; " + EarlierLayout(Engine::Postgres, 1)), "");
    try {
        Store clerk(schema.Uri() + "%20-c%20default_transaction_read_only%3Don");
        ADD_FAILURE() << "a role that may not change the table started on it";
    } catch (const StoreError& e) {
        EXPECT_NE(std::string(e.what()).find("无法把存储的表结构升级"), std::string::npos) << e.what();
    }
    Store owner(schema.Uri());
    std::optional<TableInfo> t = owner.Db().ReadTable("TB_MEMAC");
    ASSERT_TRUE(t);
    EXPECT_TRUE(t->Versioned);
    EXPECT_EQ(owner.Db().RecordedVersion(), 3);
}

// A client that bypasses the host cannot forge the stamps either; the group is the one the
// administrator gave the login role.
TEST(PgLayout, TheServerStampsEveryWriterAndMapsTheGroup) {
    PgSchema schema;
    ASSERT_FALSE(::testing::Test::HasFailure());
    Store s(schema.Uri());
    s.Db().Run(
        QuoteNames("INSERT INTO \"QM_USER_GROUP\" (\"ROLE_NAME\", USER_GROUP) VALUES (session_user, 'g77')"),
        {});
    s.Db().Run(
        QuoteNames("INSERT INTO TB_MEMAC (MEMAC001, CREATE_USER, USER_GROUP, CREATE_DATE, MODIFIER, FLAG) "
                   "VALUES ('B1', 'boss', 'boss', '1999-01-01', 'boss', 0)"),
        {});
    const std::string stamps = QuoteNames(
        "SELECT CREATE_USER || '|' || USER_GROUP || '|' || CAST(CREATE_DATE AS VARCHAR(19)) || '|' || "
        "COALESCE(MODIFIER, 'null') || '|' || COALESCE(CAST(MODI_DATE AS VARCHAR(19)), 'null') FROM "
        "TB_MEMAC");
    auto read = [&] {
        auto c = s.Db().Query(stamps, {});
        return c->Next() ? std::string(c->Text(0)) : std::string("<none>");
    };
    const std::string me = s.Db().LoginRole();
    const std::string today = NowText().substr(0, 10) + " 00:00:00";
    EXPECT_EQ(read(), me + "|g77|" + today + "|null|null");
    s.Db().Run(
        QuoteNames("UPDATE TB_MEMAC SET CREATE_USER = 'boss', CREATE_DATE = '1999-01-01', MODIFIER = 'boss', "
                   "MODI_DATE = '1999-01-01'"),
        {});
    EXPECT_EQ(read(), me + "|g77|" + today + "|" + me + "|" + today);
}

} // namespace
} // namespace qm::host::testing
