// qmproto read: the verdict the module reaches on an answer, for each exchange.
#include <gtest/gtest.h>

#include "dataset/mem_table.h"
#include "json_response.h"
#include "xml_where.h"

namespace qm::tool {
namespace {

std::string Answer(const std::string& status, const std::string& rest = "") {
    return "<quelmar><status>" + status + "</status>" + rest + "</quelmar>";
}

const std::string kKeys = R"(<rs typ="recordset" tbname="T"><row tbname="T" rn="3" id="13"/></rs>)";
const std::string kBrokenRows = R"(<rs typ="recordset" tbname="T" fields="A:VARCHAR2:x"><row A="1"/></rs>)";
const std::string kGoodRows = R"(<rs typ="recordset" tbname="T" fields="N:VARCHAR2:5"><row N="7"/></rs>)";
// Three rows for a form table whose N is a whole number: the second cannot be held.
const std::string kRows = R"(<rs typ="recordset" tbname="T" fields="N:VARCHAR2:5">)"
                          R"(<row N="1"/><row N="abc"/><row N="3"/></rs>)";

std::unique_ptr<TMemTable> FormTable() {
    auto t = std::make_unique<TMemTable>();
    t->FieldDefs().Add("N", ftInteger);
    t->CreateDataSet();
    return t;
}

TEST(QmprotoRead, VerdictPerExchange) {
    struct Case {
        const char* name;
        TExchange exchange;
        std::string xml;
        const char* verdict;
        bool codeIsNumber;
        bool readError;
    } cases[] = {
        {"save, code 0", TExchange::exSave, Answer("<code>0</code>", kKeys), "saved", true, false},
        {"save, code 0, broken rows", TExchange::exSave, Answer("<code>0</code>", kKeys + kBrokenRows),
         "saved", true, true},
        {"save, non-zero code", TExchange::exSave, Answer("<code>3</code><info>no</info>"), "refused", true,
         false},
        {"save, no code", TExchange::exSave, Answer("<info/>"), "unreadable", false, false},
        {"save, code not a number", TExchange::exSave, Answer("<code>zero</code>"), "unreadable", false,
         false},
        {"save, not XML", TExchange::exSave, "not xml", "unreadable", false, true},
        {"search, rows", TExchange::exSearch, Answer("<code>0</code>", kGoodRows), "loaded", true, false},
        {"search, a row the form cannot hold", TExchange::exSearch, Answer("<code>0</code>", kRows),
         "partial", true, false},
        // The search takes a word for a code as 0: it loads.
        {"search, code not a number", TExchange::exSearch, Answer("<code>zero</code>"), "loaded", false,
         false},
        {"search, refused", TExchange::exSearch, Answer("<code>-1</code>"), "refused", true, false},
        {"search, broken rows", TExchange::exSearch, Answer("<code>0</code>", kBrokenRows), "unreadable",
         true, true},
        {"search, not XML", TExchange::exSearch, "", "unreadable", false, true},
        {"register, positive code", TExchange::exRegister,
         Answer("<code>5</code>", R"(<rs typ="integer">42</rs>)"), "registered", true, false},
        {"register, negative code", TExchange::exRegister, Answer("<code>-2</code>"), "refused", true, false},
        {"register, not XML", TExchange::exRegister, "<quelmar>", "unreadable", false, true},
        {"release, code 1", TExchange::exRelease, Answer("<code>1</code>"), "released", true, false},
        {"release, negative code", TExchange::exRelease, Answer("<code>-1</code>"), "refused", true, false},
    };
    for (const Case& c : cases) {
        const auto out = ResponseToJson(c.xml, c.exchange, FormTable);
        EXPECT_EQ(out["moduleReads"], c.verdict) << c.name;
        EXPECT_EQ(out["codeIsNumber"], c.codeIsNumber) << c.name;
        EXPECT_EQ(out.contains("readError"), c.readError) << c.name;
    }
}

TEST(QmprotoRead, DetailsBehindTheVerdicts) {
    // A save whose keys came before a broken table: the keys read so far are shown.
    auto save = ResponseToJson(Answer("<code>0</code>", kKeys + kBrokenRows), TExchange::exSave);
    EXPECT_FALSE(save["ok"]);
    ASSERT_EQ(save["rowIds"].size(), 1u);
    EXPECT_EQ(save["rowIds"][0]["id"], 13);
    // The rows from the one the load stopped at are left out.
    auto search = ResponseToJson(Answer("<code>0</code>", kRows), TExchange::exSearch, FormTable);
    EXPECT_EQ(search["rowsLoaded"], 1);
    EXPECT_EQ(search["rowsLeftOut"], nlohmann::ordered_json({2, 3}));
    // Without the form's table every row loads.
    EXPECT_EQ(ResponseToJson(Answer("<code>0</code>", kRows), TExchange::exSearch)["moduleReads"], "loaded");
    // The first parameter of a registration is the function id; none gives 0.
    EXPECT_EQ(ResponseToJson(Answer("<code>5</code>", R"(<rs typ="integer">42</rs>)"),
                             TExchange::exRegister)["funcId"],
              42);
    EXPECT_EQ(ResponseToJson(Answer("<code>0</code>"), TExchange::exRegister)["funcId"], 0);
    TExchange e;
    EXPECT_FALSE(ParseExchange("Save", e));
    EXPECT_TRUE(ParseExchange("release", e));
    EXPECT_EQ(e, TExchange::exRelease);
}

// Where reading stops, for each way a document can stop being readable.
TEST(QmprotoRead, SaysWhereADocumentStopsBeingReadable) {
    using namespace std::string_literals;
    struct Case {
        std::string xml;
        std::vector<std::string> parts; // none: readable
    } cases[] = {
        {"<quelmar><status/></quelmar\0>"s, {"line 1, column 28", "expected </quelmar>"}},
        {"<quelmar>\n<status>\n<code>0</code>\n</status>\n</quelmr>",
         {"line 5, column ", "expected </quelmar>"}},
        {"<quelmar>\n  <status><code>0</code><info>错误</info></stat>",
         {"line 2, column 42:", "expected </status>"}},
        {"<quelmar><status a=1/></quelmar>", {"line 1, column ", "expected name=\"value\""}},
        {"", {"line 1, column 1:", "expected <quelmar>"}},
        {"<answer><status/></answer>", {"line 1, column ", "<answer>, expected <quelmar>"}},
        {"<quelmar>\n<code>0</code>\n</quelmar>", {"line 1, column ", "no <status>"}},
        {"<quelmar><status><code>0</code></status>\n<rs typ=\"recordset\" tbname=\"T\">\n  <row "
         "A=\"1\"/></rs></quelmar>",
         {"line 3, column 4:", "recordset \"T\"", "expected fields="}},
        {Answer("<code>0</code>", kGoodRows), {}},
    };
    for (const Case& c : cases) {
        const std::string where = WhereUnreadable(c.xml);
        if (c.parts.empty()) {
            EXPECT_EQ(where, "") << c.xml;
        }
        for (const std::string& part : c.parts)
            EXPECT_NE(where.find(part), std::string::npos) << c.xml << "\n" << where;
        // The verdict carries it as the reason.
        const auto out = ResponseToJson(c.xml, TExchange::exSearch);
        EXPECT_EQ(out["format"], 1);
        if (!c.parts.empty()) {
            EXPECT_EQ(out["readError"], where) << c.xml;
        }
    }
}

} // namespace
} // namespace qm::tool
