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
    const char* InfoPart; // on a refusal
};

TEST_P(BothEngines, UpdatesAndDeletesNeedTheVersionLastAnswered) {
    auto none = [](Clerk&, auto) {};
    const std::vector<VersionCase> cases = {
        {"own update", none, UpdateRow(11, "02", "Mine"), true, ""},
        {"changed by another",
         [](Clerk& o, auto) {
             o.S.Search("TB_MEMAC");
             o.Save(UpdateRow(11, "02", "His", "u777"));
         },
         UpdateRow(11, "02", "Mine"), false, "（代码 02，最后修改：u777 2008-07-01 00:00:00）"},
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
         DeleteRow(11, "02"), false, "最后修改：u777"},
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
    EXPECT_NE(lost->Code, 0);
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
    EXPECT_NE(ReadAnswer(s.Search("TB_MEMAC"))->Code, 0);
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
    Store s(schema.Uri());
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

} // namespace
} // namespace qm::host::testing
