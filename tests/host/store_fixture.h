// A store on a fresh SQLite file or a fresh PostgreSQL schema, and readers for its answers.
#pragma once

#include "host/store/response.h"
#include "host/store/sqlite_store.h"
#include "host/store/store.h"
#include "pg_server.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <sstream>
#include <string>

#include <unistd.h>

namespace qm::host::testing {

inline std::filesystem::path FreshTempDir(const std::string& tag) {
    static int counter = 0;
    auto dir = std::filesystem::temp_directory_path() /
               ("qmhost-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

inline std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A store file as a reader sees it: the file and its write-ahead log, where committed saves wait
// for a checkpoint.
inline std::string StoreBytes(const std::filesystem::path& path) {
    return ReadFileBytes(path) + "|" + ReadFileBytes(path.string() + "-wal");
}

// Collects a document handed over in pieces, as the window's wide text does; Begun runs before the
// first piece of each attempt.
class PiecesSink : public ResponseSink {
public:
    void Reserve(std::size_t) override {}
    void Append(std::string_view text) override {
        if (Text.empty() && Begun) Begun();
        Text += text;
        ++Pieces;
    }
    std::size_t Mark() const override { return Text.size(); }
    std::size_t Insert(std::size_t at, std::string_view text) override {
        Text.insert(at, text);
        return text.size();
    }
    void Clear() override { Text.clear(); }
    std::string Text;
    int Pieces = 0;
    std::function<void()> Begun;
};

struct Answer {
    int Code = 0;
    std::string Info;
    pugi::xml_document Doc;
};

inline std::unique_ptr<Answer> ReadAnswer(const std::string& text) {
    auto a = std::make_unique<Answer>();
    EXPECT_TRUE(a->Doc.load_string(text.c_str())) << text;
    pugi::xml_node status = a->Doc.child("quelmar").child("status");
    EXPECT_TRUE(status) << text;
    a->Code = status.child("code").text().as_int(-12345);
    a->Info = status.child("info").text().get();
    return a;
}

enum class Engine { Sqlite, Postgres };

inline std::string EngineName(const ::testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::Sqlite ? "SQLite" : "PostgreSQL";
}

// Test SQL names the table and its columns bare; PostgreSQL keeps their upper case only quoted.
inline std::string QuoteNames(const std::string& sql) {
    static const std::regex names(
        R"(\b(TB_[A-Z0-9_]+|MEMAC[A-Z0-9_]*|CREATE_USER|USER_GROUP|CREATE_DATE|MODIFIER|MODI_DATE|FLAG|ROW_VERSION)\b)");
    std::string out;
    bool inText = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= sql.size(); ++i) {
        if (i == sql.size() || sql[i] == '\'') {
            std::string piece = sql.substr(start, i - start);
            out += inText ? piece : std::regex_replace(piece, names, "\"$1\"");
            if (i < sql.size()) out += '\'';
            inText = !inText;
            start = i + 1;
        }
    }
    return out;
}

// A store on a fresh file (SQLite) or schema (PostgreSQL), registered once.
class StoreTest : public ::testing::Test {
protected:
    Engine Kind = Engine::Sqlite;

    void SetUp() override {
        Dir = FreshTempDir("store");
        Fresh();
    }
    // An empty store of its own: a new file or a new schema.
    void Fresh() {
        static int counter = 0;
        S.reset();
        Schema.reset();
        DbPath = Dir / ("test" + std::to_string(counter++) + ".db");
        if (Kind == Engine::Postgres) Schema = std::make_unique<PgSchema>();
        ASSERT_FALSE(::testing::Test::HasFailure());
        S = std::make_unique<Store>(StoreAddress());
        S->SetClerk({"clerk1", "grp1"});
        FuncId = ReadAnswer(S->Register("Tarn204", "MEM"))->Doc.child("quelmar").child("rs").text().as_int();
    }
    void TearDown() override {
        S.reset();
        Schema.reset();
        std::filesystem::remove_all(Dir);
    }

    // What --db names for this engine.
    std::string StoreAddress() const { return Kind == Engine::Sqlite ? DbPath.string() : Schema->Uri(); }

    // Runs SQL straight on the store's database (fixtures and checks only).
    void Sql(const std::string& sql) {
        try {
            S->Db().Run(QuoteNames(sql), {});
        } catch (const std::exception& e) {
            FAIL() << sql << ": " << e.what();
        }
    }
    // The first column of every row, joined by ','; "<none>" without rows, "<null>" for a null.
    std::string Scalar(const std::string& sql) {
        std::string out;
        bool any = false;
        try {
            auto c = S->Db().Query(QuoteNames(sql), {});
            while (c->Next()) {
                if (any) out += ',';
                out += c->IsNull(0) ? "<null>" : std::string(c->Text(0));
                any = true;
            }
        } catch (const std::exception& e) {
            ADD_FAILURE() << sql << ": " << e.what();
        }
        return any ? out : "<none>";
    }
    // Every row with its version: equal snapshots mean the store is unchanged.
    std::string Snapshot() {
        return Scalar(
            "SELECT MEMAC_ID || '|' || COALESCE(MEMAC001,'') || '|' || COALESCE(MEMAC002,'') || '|' || "
            "COALESCE(CAST(MEMAC003 AS VARCHAR(30)),'') || '|' || ROW_VERSION FROM TB_MEMAC ORDER BY "
            "MEMAC_ID");
    }
    std::string Save(const std::string& request) { return S->Execute(FuncId, "singleRecordSet", request); }
    std::unique_ptr<Answer> Search() { return ReadAnswer(S->Search("TB_MEMAC")); }

    // Who the stamps name: the host's clerk on a file, the login role on a server.
    std::string ClerkName() { return Kind == Engine::Sqlite ? "clerk1" : Scalar("SELECT session_user"); }
    // On a server the group comes from the administrator's table, empty for a role not in it.
    std::string ClerkGroup() const { return Kind == Engine::Sqlite ? "grp1" : ""; }
    // Writes rows with the stamps given, as another tool or an earlier release would have.
    void SqlUnstamped(const std::string& sql) {
        if (Kind == Engine::Postgres) Sql("ALTER TABLE TB_MEMAC DISABLE TRIGGER USER");
        Sql(sql);
        if (Kind == Engine::Postgres) Sql("ALTER TABLE TB_MEMAC ENABLE TRIGGER USER");
    }

    // Rows with keys 10, 11 and 12, as a form would have loaded them (after a search).
    void ThreeLevels() {
        SqlUnstamped("INSERT INTO TB_MEMAC "
                     "(MEMAC_ID,MEMAC001,MEMAC002,MEMAC003,MEMAC004,CREATE_USER,USER_GROUP,CREATE_DATE,"
                     "MODIFIER,MODI_DATE,FLAG) VALUES (10,'01','Low',0,2999,'u001','g01','2008-06-02 "
                     "00:00:00',NULL,NULL,0),"
                     "(11,'02','Mid',3000,5999,'u001','g01','2008-06-02 00:00:00',NULL,NULL,0),"
                     "(12,'03','High',6000,9999,'u001','g01','2008-06-02 00:00:00',NULL,NULL,0)");
        // Keys written by hand: the server's sequence must go on after them, as SQLite's does.
        if (Kind == Engine::Postgres)
            Scalar("SELECT setval(pg_get_serial_sequence('\"TB_MEMAC\"', 'MEMAC_ID'), 12)");
    }

    std::filesystem::path Dir;
    std::filesystem::path DbPath;
    std::unique_ptr<PgSchema> Schema;
    std::unique_ptr<Store> S;
    int FuncId = 0;
};

// The same cases on both engines.
class BothEngines : public StoreTest, public ::testing::WithParamInterface<Engine> {
protected:
    BothEngines() { Kind = GetParam(); }
};

#define QM_BOTH_ENGINES(Suite)                                                                               \
    INSTANTIATE_TEST_SUITE_P(Engines, Suite, ::testing::Values(Engine::Sqlite, Engine::Postgres), EngineName)

// One request document with the given row elements inside a TB_MEMAC recordset.
inline std::string Request(const std::string& rows, const std::string& tbname = "TB_MEMAC") {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><quelmar><params><param typ=\"recordset\" tbname=\"" +
           tbname + "\">" + rows + "</param></params></quelmar>";
}

inline std::string InsertRow(int rn, const std::string& code, const std::string& name = "Name") {
    return "<TB_MEMAC op=\"1\" pk=\"MEMAC_ID\" fk=\"\" rn=\"" + std::to_string(rn) +
           "\" MEMAC_ID=\"\" MEMAC001=\"" + code + "\" MEMAC002=\"" + name +
           "\" MEMAC003=\"1\" MEMAC004=\"2\" CREATE_USER=\"u002\" USER_GROUP=\"g01\""
           " CREATE_DATE=\"2008-06-18 00:00:00\" MODIFIER=\"\" MODI_DATE=\"\" FLAG=\"0\"/>";
}

inline std::string UpdateRow(int id, const std::string& code, const std::string& name,
                             const std::string& modifier = "u009") {
    return "<TB_MEMAC op=\"3\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"" + std::to_string(id) + "\" MEMAC001=\"" +
           code + "\" MEMAC002=\"" + name + "\" MODIFIER=\"" + modifier +
           "\" MODI_DATE=\"2008-07-01 00:00:00\"/>";
}

inline std::string DeleteRow(int id, const std::string& code = "") {
    return "<TB_MEMAC op=\"4\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"" + std::to_string(id) + "\"" +
           (code.empty() ? std::string() : " MEMAC001=\"" + code + "\"") + "/>";
}

// A store file of 400 levels with three pages in the middle of the table overwritten.
inline void WriteDamagedStore(const std::filesystem::path& path) {
    {
        Store s(path.string());
        std::string rows;
        for (int i = 0; i < 400; ++i)
            rows += InsertRow(i + 1, std::to_string(1000 + i), std::string(28, 'x'));
        const int id =
            ReadAnswer(s.Register("Tarn204", "MEM"))->Doc.child("quelmar").child("rs").text().as_int();
        ASSERT_EQ(ReadAnswer(s.Execute(id, "singleRecordSet", Request(rows)))->Code, 0);
    }
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(4096 * 3);
    const std::string junk(4096 * 3, '\x5a');
    f.write(junk.data(), static_cast<std::streamsize>(junk.size()));
}

} // namespace qm::host::testing
