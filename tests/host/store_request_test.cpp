// The save/delete action and function ids: what is applied, what is refused, and that a refusal
// changes nothing.
#include "host/store/status_codes.h"
#include "store_fixture.h"

#include <vector>

namespace qm::host::testing {
namespace {

struct BadCase {
    const char* Name;
    std::string Request;
    const char* InfoPart; // a piece the user-facing text must contain
    int Code;
};

TEST_P(BothEngines, BadRequestsAreRefusedAndLeaveTheStoreUnchanged) {
    ThreeLevels();
    Search();
    const std::vector<BadCase> cases = {
        {"malformed xml", "<quelmar><params><param typ=\"recordset\"", "XML", status::BadRequest},
        {"no params", "<quelmar><status/></quelmar>", "params", status::BadRequest},
        {"unknown table", Request(InsertRow(1, "09"), "TB_NOPE"), "TB_NOPE", status::UnknownName},
        {"unknown field",
         Request("<TB_MEMAC op=\"3\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"10\" MEMAC999=\"x\"/>"), "MEMAC999",
         status::UnknownName},
        {"sql in table name",
         Request("<TB_MEMAC op=\"4\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"10\"/>",
                 "TB_MEMAC; DROP TABLE TB_MEMAC; --"),
         "DROP TABLE", status::UnknownName},
        {"sql in key name",
         Request(
             "<TB_MEMAC op=\"4\" pk=\"MEMAC_ID&quot; OR &quot;1&quot;=&quot;1\" fk=\"\" MEMAC_ID=\"10\"/>"),
         "不是表 TB_MEMAC 的主键", status::UnknownName},
        {"key name not the primary key",
         Request("<TB_MEMAC op=\"4\" pk=\"MEMAC001\" fk=\"\" MEMAC001=\"01\"/>"), "MEMAC001",
         status::UnknownName},
        {"unknown op", Request("<TB_MEMAC op=\"7\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"10\"/>"), "7",
         status::UnknownName},
        {"missing key value", Request("<TB_MEMAC op=\"3\" pk=\"MEMAC_ID\" fk=\"\" MEMAC002=\"x\"/>"),
         "MEMAC_ID", status::BadRequest},
        // TB_MEMAC keeps row versions: a key that matches no row went since the form saw it.
        {"key not found", Request("<TB_MEMAC op=\"4\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"999\"/>"), "999",
         status::Conflict},
        {"update of a missing key",
         Request("<TB_MEMAC op=\"3\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"998\" MEMAC002=\"x\"/>"), "998",
         status::Conflict},
        {"text key value", Request("<TB_MEMAC op=\"2\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"1 OR 1=1\"/>"),
         "不是整数", status::Violation},
        {"code too long", Request(InsertRow(1, "ABCDE")), "超过 4 个字符", status::Violation},
        {"flag too wide", Request("<TB_MEMAC op=\"3\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"10\" FLAG=\"10\"/>"),
         "超过 1 位", status::Violation},
        {"insert without row number", Request(InsertRow(0, "09")), "rn", status::BadRequest},
        {"repeated code", Request(InsertRow(1, "02")), "02", status::Violation},
        // A good row first: the refusal of the second must take the first back too.
        {"good row then bad row",
         Request(InsertRow(1, "07") + "<TB_MEMAC op=\"4\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"10\"/>" +
                 "<TB_MEMAC op=\"4\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"404\"/>"),
         "404", status::Conflict},
        {"nested child table",
         Request("<TB_MEMAC op=\"0\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"10\"><child "
                 "tbname=\"TB_X\"/></TB_MEMAC>"),
         "子表", status::BadRequest},
    };
    const std::string before = StoreBytes(DbPath);
    const std::string rows = Snapshot();
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.Name);
        auto answer = ReadAnswer(Save(c.Request));
        EXPECT_EQ(answer->Code, c.Code);
        EXPECT_NE(answer->Info.find(c.InfoPart), std::string::npos) << answer->Info;
        EXPECT_EQ(StoreBytes(DbPath), before);
        EXPECT_EQ(Snapshot(), rows);
        EXPECT_EQ(Scalar("SELECT MEMAC_ID || MEMAC001 || MEMAC002 FROM TB_MEMAC ORDER BY MEMAC_ID"),
                  "1001Low,1102Mid,1203High");
    }
}

TEST_P(BothEngines, RefusesUnknownFunctionIdsAndActions) {
    ThreeLevels();
    const std::string deleteRow = Request("<TB_MEMAC op=\"4\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"10\"/>");
    auto unknown = ReadAnswer(S->Execute(FuncId + 100, "singleRecordSet", deleteRow));
    EXPECT_EQ(unknown->Code, status::UnknownFunction);
    EXPECT_NE(unknown->Info.find(std::to_string(FuncId + 100)), std::string::npos);

    auto action = ReadAnswer(S->Execute(FuncId, "dropEverything", deleteRow));
    EXPECT_EQ(action->Code, status::UnknownName);
    EXPECT_NE(action->Info.find("dropEverything"), std::string::npos);

    EXPECT_EQ(ReadAnswer(S->Release(FuncId))->Code, 0);
    EXPECT_EQ(ReadAnswer(S->Release(FuncId))->Code, status::ReleaseFailed); // a second release fails
    EXPECT_EQ(ReadAnswer(S->Execute(FuncId, "singleRecordSet", deleteRow))->Code, status::UnknownFunction);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC"), "3");
}

TEST_P(BothEngines, RegistrationHandsOutFreshIds) {
    auto a = ReadAnswer(S->Register("Tarn204", "MEM"));
    auto b = ReadAnswer(S->Register("Tarn204", "MEM"));
    EXPECT_EQ(a->Code, 0);
    pugi::xml_node rsA = a->Doc.child("quelmar").child("rs");
    EXPECT_STREQ(rsA.attribute("typ").value(), "integer");
    int idA = rsA.text().as_int();
    int idB = b->Doc.child("quelmar").child("rs").text().as_int();
    EXPECT_NE(idA, idB);
    EXPECT_NE(idA, FuncId);
    EXPECT_TRUE(S->IsRegistered(idA) && S->IsRegistered(idB));
}

TEST_P(BothEngines, AppliesADeleteAnUpdateAndAnInsertInOrder) {
    ThreeLevels();
    Search();
    const std::string request =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<quelmar><params><param typ=\"recordset\" "
        "tbname=\"TB_MEMAC\">"
        "<TB_MEMAC op=\"4\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"12\"/>"
        "<TB_MEMAC op=\"3\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"11\" MEMAC001=\"02\" MEMAC002=\"Middle\" "
        "MEMAC003=\"3000\""
        " MEMAC004=\"5999\" CREATE_USER=\"u001\" USER_GROUP=\"g01\" CREATE_DATE=\"2008-06-02 00:00:00\" "
        "MODIFIER=\"u002\""
        " MODI_DATE=\"2008-06-18 00:00:00\" FLAG=\"0\"/>"
        "<TB_MEMAC op=\"1\" pk=\"MEMAC_ID\" fk=\"\" rn=\"3\" MEMAC_ID=\"\" MEMAC001=\"04\" MEMAC002=\"Upper\""
        " MEMAC003=\"10000\" MEMAC004=\"99999\" CREATE_USER=\"u002\" USER_GROUP=\"g01\""
        " CREATE_DATE=\"2008-06-18 00:00:00\" MODIFIER=\"\" MODI_DATE=\"\" FLAG=\"0\"/>"
        "</param></params></quelmar>";
    auto answer = ReadAnswer(Save(request));
    ASSERT_EQ(answer->Code, 0) << answer->Info;
    pugi::xml_node rs = answer->Doc.child("quelmar").child("rs");
    EXPECT_STREQ(rs.attribute("typ").value(), "recordset");
    EXPECT_STREQ(rs.attribute("tbname").value(), "TB_MEMAC");
    pugi::xml_node key = rs.first_child();
    EXPECT_STREQ(key.attribute("tbname").value(), "TB_MEMAC");
    EXPECT_STREQ(key.attribute("rn").value(), "3");
    EXPECT_STREQ(key.attribute("id").value(), "13");
    EXPECT_FALSE(key.next_sibling());

    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC WHERE MEMAC_ID=12"), "0");
    // The stamps are the store's: the clerk who saved, today.
    EXPECT_EQ(
        Scalar("SELECT MEMAC002 || '|' || MODIFIER || '|' || MODI_DATE FROM TB_MEMAC WHERE MEMAC_ID=11"),
        "Middle|" + ClerkName() + "|" + NowText().substr(0, 10) + " 00:00:00");
    EXPECT_EQ(Scalar("SELECT MEMAC001 || '|' || MEMAC003 || '|' || COALESCE(MODIFIER, 'null') FROM TB_MEMAC "
                     "WHERE MEMAC_ID=13"),
              "04|10000|null");
}

TEST_P(BothEngines, InsertsAnswerOneKeyPerRowAndIgnoreSentKeys) {
    ThreeLevels();
    std::string second = InsertRow(5, "09", "甲级");
    second.replace(second.find("MEMAC_ID=\"\""), 11, "MEMAC_ID=\"10\""); // a stale key must not collide
    auto answer = ReadAnswer(Save(Request(InsertRow(2, "08", "乙级") + second)));
    ASSERT_EQ(answer->Code, 0) << answer->Info;
    std::vector<std::pair<std::string, std::string>> keys;
    for (pugi::xml_node k : answer->Doc.child("quelmar").child("rs").children())
        keys.emplace_back(k.attribute("rn").value(), k.attribute("id").value());
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].first, "2");
    EXPECT_EQ(keys[1].first, "5");
    EXPECT_EQ(Scalar("SELECT MEMAC001 || MEMAC002 FROM TB_MEMAC WHERE MEMAC_ID=" + keys[0].second), "08乙级");
    EXPECT_EQ(Scalar("SELECT MEMAC001 || MEMAC002 FROM TB_MEMAC WHERE MEMAC_ID=" + keys[1].second), "09甲级");
    EXPECT_EQ(Scalar("SELECT MEMAC001 FROM TB_MEMAC WHERE MEMAC_ID=10"), "01");
}

TEST_P(BothEngines, RepeatedCodeInOneRequestIsRefusedAndRolledBack) {
    auto answer = ReadAnswer(Save(Request(InsertRow(1, "A1") + InsertRow(2, "B2") + InsertRow(3, "A1"))));
    EXPECT_EQ(answer->Code, 4);
    EXPECT_NE(answer->Info.find("“A1”"), std::string::npos) << answer->Info;
    EXPECT_FALSE(answer->Doc.child("quelmar").child("rs"));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC"), "0");
}

TEST_P(BothEngines, DeleteThenReinsertOfACodeInOneRequestSucceeds) {
    ThreeLevels();
    Search();
    auto answer = ReadAnswer(Save(
        Request("<TB_MEMAC op=\"2\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"10\"/>" + InsertRow(3, "01", "New"))));
    EXPECT_EQ(answer->Code, 0) << answer->Info;
    EXPECT_EQ(Scalar("SELECT MEMAC002 FROM TB_MEMAC WHERE MEMAC001='01'"), "New");
}

TEST_P(BothEngines, CarriedRowsAndEmptyTablesChangeNothing) {
    ThreeLevels();
    const std::string before = StoreBytes(DbPath);
    const std::string rows = Snapshot();
    const std::string request =
        "<quelmar><params><param typ=\"string\">x</param><param typ=\"recordset\" tbname=\"UNKNOWN\"/>"
        "<param typ=\"recordset\" tbname=\"TB_MEMAC\"><TB_MEMAC op=\"0\" pk=\"MEMAC_ID\" fk=\"\" "
        "MEMAC_ID=\"10\"/>"
        "</param></params></quelmar>";
    auto answer = ReadAnswer(Save(request));
    EXPECT_EQ(answer->Code, 0) << answer->Info;
    EXPECT_EQ(StoreBytes(DbPath), before);
    EXPECT_EQ(Snapshot(), rows);
}

struct PlacesCase {
    const char* Name;
    std::string Rows;
    bool Accepted;
    std::string Codes;    // MEMAC_ID:MEMAC001 of every row afterwards, when accepted
    const char* InfoPart; // on a refusal
};

// Uniqueness holds for the end of a save, not for each row on its way there.
TEST_P(BothEngines, CodesMayChangePlacesWithinOneSave) {
    const std::vector<PlacesCase> cases = {
        {"swap", UpdateRow(10, "02", "Low") + UpdateRow(11, "01", "Mid"), true, "10:02,11:01,12:03", ""},
        {"rotate three",
         UpdateRow(10, "02", "Low") + UpdateRow(11, "03", "Mid") + UpdateRow(12, "01", "High"), true,
         "10:02,11:03,12:01", ""},
        {"a new row takes a code given up after it", InsertRow(1, "01") + UpdateRow(10, "09", "Low"), true,
         "10:09,11:02,12:03,13:01", ""},
        {"an update takes the code of a row deleted after it",
         UpdateRow(11, "03", "Mid") + DeleteRow(12, "03"), true, "10:01,11:03", ""},
        {"a real repeat", UpdateRow(10, "02", "Low"), false, "", "收入等级代码“02”已存在"},
        {"a repeat at the end of a chain", UpdateRow(10, "02", "Low") + UpdateRow(11, "03", "Mid"), false, "",
         "“03”已存在"},
    };
    for (const PlacesCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Fresh();
        ThreeLevels();
        Search();
        const std::string before = Snapshot();
        auto answer = ReadAnswer(Save(Request(c.Rows)));
        if (c.Accepted) {
            EXPECT_EQ(answer->Code, 0) << answer->Info;
            EXPECT_EQ(Scalar("SELECT MEMAC_ID || ':' || MEMAC001 FROM TB_MEMAC ORDER BY MEMAC_ID"), c.Codes);
        } else {
            EXPECT_EQ(answer->Code, status::Violation);
            EXPECT_NE(answer->Info.find(c.InfoPart), std::string::npos) << answer->Info;
            EXPECT_EQ(Snapshot(), before);
        }
    }
}

struct LabelCase {
    const char* Name;
    std::string Rows;
    const char* InfoPart;
};

// The clerk reads the column's label, never the table's inner names.
TEST_P(BothEngines, RefusalsNameTheColumnByItsLabel) {
    ThreeLevels();
    Search();
    const std::vector<LabelCase> cases = {
        {"repeated code", InsertRow(1, "02"), "收入等级代码“02”已存在，不得有重复值"},
        {"code too long", InsertRow(1, "ABCDE"), "[收入等级代码] 的值“ABCDE”超过 4 个字符"},
        {"name too long", UpdateRow(10, "01", std::string(31, 'n')), "[收入等级名称] 的值"},
        {"control character", UpdateRow(10, "01", "a&#1;b"), "[收入等级名称] 的值含有控制字符（U+0001）"},
        {"blanks around a code", InsertRow(1, " 07"), "代码首尾不得有空格（[收入等级代码]）"},
        {"not a number",
         "<TB_MEMAC op=\"3\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"10\" MEMAC001=\"01\" MEMAC003=\"zz\"/>",
         "[收入下限] 的值“zz”不是整数"},
    };
    for (const LabelCase& c : cases) {
        SCOPED_TRACE(c.Name);
        auto answer = ReadAnswer(Save(Request(c.Rows)));
        EXPECT_EQ(answer->Code, status::Violation);
        EXPECT_NE(answer->Info.find(c.InfoPart), std::string::npos) << answer->Info;
        EXPECT_EQ(answer->Info.find("TB_MEMAC"), std::string::npos) << answer->Info;
        EXPECT_EQ(answer->Info.find("MEMAC0"), std::string::npos) << answer->Info;
    }
}

// A request's stamps are ignored: the store writes who saved and when, and keeps the creation.
TEST_P(BothEngines, AuditStampsAreTheStores) {
    const std::string today = NowText().substr(0, 10) + " 00:00:00";
    const std::string stamps =
        "SELECT CREATE_USER || '|' || USER_GROUP || '|' || CAST(CREATE_DATE AS VARCHAR(19)) "
        "|| '|' || COALESCE(MODIFIER, 'null') || '|' || "
        "COALESCE(CAST(MODI_DATE AS VARCHAR(19)), 'null') FROM TB_MEMAC WHERE MEMAC001='07'";
    const std::string forged =
        "<TB_MEMAC op=\"1\" pk=\"MEMAC_ID\" fk=\"\" rn=\"1\" MEMAC_ID=\"\" MEMAC001=\"07\" MEMAC002=\"n\" "
        "CREATE_USER=\"boss\" USER_GROUP=\"boss\" CREATE_DATE=\"1999-01-01\" MODIFIER=\"boss\" "
        "MODI_DATE=\"1999-01-01\" FLAG=\"0\"/>";
    auto inserted = ReadAnswer(Save(Request(forged)));
    ASSERT_EQ(inserted->Code, 0) << inserted->Info;
    EXPECT_EQ(Scalar(stamps), ClerkName() + "|" + ClerkGroup() + "|" + today + "|null|null");

    SqlUnstamped(
        "UPDATE TB_MEMAC SET CREATE_USER='u001', USER_GROUP='g00', CREATE_DATE='2008-06-02 00:00:00'");
    Search();
    const std::string id = Scalar("SELECT MEMAC_ID FROM TB_MEMAC WHERE MEMAC001='07'");
    auto updated = ReadAnswer(Save(Request("<TB_MEMAC op=\"3\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"" + id +
                                           "\" MEMAC002=\"x\" CREATE_USER=\"boss\" USER_GROUP=\"boss\" "
                                           "CREATE_DATE=\"1999-01-01\" MODIFIER=\"boss\" "
                                           "MODI_DATE=\"1999-01-01\"/>")));
    ASSERT_EQ(updated->Code, 0) << updated->Info;
    EXPECT_EQ(Scalar(stamps), "u001|g00|2008-06-02 00:00:00|" + ClerkName() + "|" + today);
}

// Once for the whole binary: every TEST_P of BothEngines runs on both engines.
QM_BOTH_ENGINES(BothEngines);

} // namespace
} // namespace qm::host::testing
