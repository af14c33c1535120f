// What the host refuses before or while it reads a request: oversized texts, bad bytes, control
// characters, codes with blanks at their ends; and that refusals quote values only in part.
#include "host/store/request_checks.h"
#include "host/store/status_codes.h"
#include "store_fixture.h"

#include <vector>

namespace qm::host::testing {
namespace {

std::string UpdateName(int id, const std::string& name, const std::string& code = "") {
    return Request("<TB_MEMAC op=\"3\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"" + std::to_string(id) + "\"" +
                   (code.empty() ? "" : " MEMAC001=\"" + code + "\"") + " MEMAC002=\"" + name + "\"/>");
}

struct Refused {
    const char* Name;
    std::string Request;
    const char* InfoPart;
    int Code;
};

TEST_F(StoreTest, HostileValuesAreRefusedAndLeaveTheFileUnchanged) {
    ThreeLevels();
    Search(); // the host only takes changes to rows it has shown
    const std::vector<Refused> cases = {
        {"raw invalid UTF-8", UpdateName(10, "a\xC3("), "UTF-8", status::BadRequest},
        {"overlong encoding", UpdateName(10, "\xC0\xAF"), "UTF-8", status::BadRequest},
        {"surrogate as a reference", UpdateName(10, "a&#xD800;b"), "UTF-8", status::Violation},
        {"control character as a reference", UpdateName(10, "a&#1;b"), "控制字符", status::Violation},
        {"carriage return", UpdateName(10, "a&#13;b"), "U+000D", status::Violation},
        {"delete character", UpdateName(10, "a\x7F"), "控制字符", status::Violation},
        {"C1 control", UpdateName(10, "a\xC2\x85"), "控制字符", status::Violation},
        {"new code with a leading blank", Request(InsertRow(1, " 04")), "代码首尾不得有空格",
         status::Violation},
        {"new code with a trailing blank", Request(InsertRow(1, "04 ")), "代码首尾不得有空格",
         status::Violation},
        {"new code with an ideographic space",
         Request(InsertRow(1, "\xE3\x80\x80"
                              "04")),
         "代码首尾不得有空格", status::Violation},
        {"code changed to a padded one", UpdateName(10, "Low", "01 "), "代码首尾不得有空格",
         status::Violation},
    };
    const std::string before = StoreBytes(DbPath);
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.Name);
        auto answer =
            ReadAnswer(ExecuteChecked(*S, FuncId, "singleRecordSet", c.Request, kDefaultMaxRequestBytes));
        EXPECT_EQ(answer->Code, c.Code);
        EXPECT_NE(answer->Info.find(c.InfoPart), std::string::npos) << answer->Info;
    }
    EXPECT_EQ(StoreBytes(DbPath), before);
}

TEST_F(StoreTest, TabsNewlinesAndInnerBlanksAreKept) {
    ThreeLevels();
    Search(); // the host only takes changes to rows it has shown
    auto answer = ReadAnswer(Save(UpdateName(10, "第一行&#10;第二行&#9;x", "0 1")));
    ASSERT_EQ(answer->Code, 0) << answer->Info;
    EXPECT_EQ(Scalar("SELECT MEMAC001 || '|' || MEMAC002 FROM TB_MEMAC WHERE MEMAC_ID=10"),
              "0 1|第一行\n第二行\tx");
}

// Rows other tools stored with a padded code stay editable as long as the code is left alone.
TEST_F(StoreTest, AStoredPaddedCodeCanBeKeptButNotMadeAnew) {
    ThreeLevels();
    Search(); // the host only takes changes to rows it has shown
    Sql("UPDATE TB_MEMAC SET MEMAC001=' 01' WHERE MEMAC_ID=10");
    auto kept = ReadAnswer(Save(UpdateName(10, "改名", " 01")));
    EXPECT_EQ(kept->Code, 0) << kept->Info;
    EXPECT_EQ(Scalar("SELECT MEMAC001 || '|' || MEMAC002 FROM TB_MEMAC WHERE MEMAC_ID=10"), " 01|改名");
    // Another row taking that padded code is refused.
    auto copied = ReadAnswer(Save(UpdateName(11, "Mid", " 01")));
    EXPECT_NE(copied->Info.find("代码首尾不得有空格"), std::string::npos) << copied->Info;
}

TEST_F(StoreTest, OversizedRequestsAreRefusedBeforeTheyAreRead) {
    ThreeLevels();
    Search(); // the host only takes changes to rows it has shown
    const std::string before = StoreBytes(DbPath);
    // Not even well-formed: the size decides before any parsing.
    const std::string big = "<quelmar>" + std::string(2000, 'x');
    auto answer = ReadAnswer(ExecuteChecked(*S, FuncId, "singleRecordSet", big, 1000));
    EXPECT_EQ(answer->Code, status::BadRequest);
    EXPECT_NE(answer->Info.find("请求过大"), std::string::npos) << answer->Info;
    EXPECT_EQ(answer->Info.find("XML"), std::string::npos) << answer->Info;
    // At the limit a request still goes through.
    const std::string fits = UpdateName(10, "刚好");
    EXPECT_EQ(ReadAnswer(ExecuteChecked(*S, FuncId, "singleRecordSet", fits, fits.size()))->Code, 0);
    EXPECT_NE(StoreBytes(DbPath), before);
}

TEST_F(StoreTest, RefusalsQuoteOnlyTheStartOfLongValues) {
    ThreeLevels();
    Search();                            // the host only takes changes to rows it has shown
    const std::string name(100000, 'n'); // MEMAC002 holds 30 characters
    struct Case {
        const char* Name;
        std::string Request;
        int Code;
    } cases[] = {
        {"too long for its column", UpdateName(10, name), status::Violation},
        {"unknown field name",
         Request("<TB_MEMAC op=\"3\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"10\" " + std::string(100000, 'F') +
                 "=\"x\"/>"),
         status::UnknownName},
        {"unknown table", Request(InsertRow(1, "09"), "TB_" + std::string(100000, 'T')), status::UnknownName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto answer = ReadAnswer(Save(c.Request));
        EXPECT_EQ(answer->Code, c.Code);
        EXPECT_NE(answer->Info.find("…（共 "), std::string::npos) << answer->Info.substr(0, 200);
        EXPECT_LT(answer->Info.size(), 400u) << answer->Info.substr(0, 200);
    }
}

} // namespace
} // namespace qm::host::testing
