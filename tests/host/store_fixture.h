// A store on a fresh temporary file, and readers for its answers.
#pragma once

#include "host/sqlite_util.h"
#include "host/store.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <filesystem>
#include <fstream>
#include <memory>
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

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        Dir = FreshTempDir("store");
        DbPath = Dir / "test.db";
        S = std::make_unique<Store>(DbPath.string());
        FuncId = ReadAnswer(S->Register("Tarn204", "MEM"))->Doc.child("quelmar").child("rs").text().as_int();
    }
    void TearDown() override {
        S.reset();
        std::filesystem::remove_all(Dir);
    }

    // Runs SQL straight on the store's database (fixtures and checks only).
    void Sql(const std::string& sql) {
        char* err = nullptr;
        ASSERT_EQ(sqlite3_exec(S->Database(), sql.c_str(), nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
    }
    std::string Scalar(const std::string& sql) {
        sqlite3_stmt* st = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(S->Database(), sql.c_str(), -1, &st, nullptr), SQLITE_OK);
        std::string out = "<none>";
        if (sqlite3_step(st) == SQLITE_ROW)
            out = sqlite3_column_text(st, 0) ? reinterpret_cast<const char*>(sqlite3_column_text(st, 0)) : "<null>";
        sqlite3_finalize(st);
        return out;
    }
    std::string Save(const std::string& request) { return S->Execute(FuncId, "singleRecordSet", request); }

    // Rows with keys 10, 11 and 12, as a form would have loaded them.
    void ThreeLevels() {
        Sql("INSERT INTO TB_MEMAC VALUES (10,'01','Low',0,2999,'u001','g01','2008-06-02 00:00:00',NULL,NULL,0),"
            "(11,'02','Mid',3000,5999,'u001','g01','2008-06-02 00:00:00',NULL,NULL,0),"
            "(12,'03','High',6000,9999,'u001','g01','2008-06-02 00:00:00',NULL,NULL,0)");
    }

    std::filesystem::path Dir;
    std::filesystem::path DbPath;
    std::unique_ptr<Store> S;
    int FuncId = 0;
};

// One request document with the given row elements inside a TB_MEMAC recordset.
inline std::string Request(const std::string& rows, const std::string& tbname = "TB_MEMAC") {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><quelmar><params><param typ=\"recordset\" tbname=\"" + tbname +
           "\">" + rows + "</param></params></quelmar>";
}

inline std::string InsertRow(int rn, const std::string& code, const std::string& name = "Name") {
    return "<TB_MEMAC op=\"1\" pk=\"MEMAC_ID\" fk=\"\" rn=\"" + std::to_string(rn) +
           "\" MEMAC_ID=\"\" MEMAC001=\"" + code + "\" MEMAC002=\"" + name +
           "\" MEMAC003=\"1\" MEMAC004=\"2\" CREATE_USER=\"u002\" USER_GROUP=\"g01\""
           " CREATE_DATE=\"2008-06-18 00:00:00\" MODIFIER=\"\" MODI_DATE=\"\" FLAG=\"0\"/>";
}

}  // namespace qm::host::testing
