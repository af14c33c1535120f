// The search answer: its format, the order by code, refusals.
#include "store_fixture.h"

#include "host/store/status_codes.h"

#include <vector>

namespace qm::host::testing {
namespace {

TEST_P(BothEngines, SearchAnswersInTheResponseFormat) {
    SqlUnstamped("INSERT INTO TB_MEMAC "
                 "(MEMAC_ID,MEMAC001,MEMAC002,MEMAC003,MEMAC004,CREATE_USER,USER_GROUP,CREATE_DATE,FLAG)"
                 " VALUES (10,'01','Low',0,2999,'u001','g01','2008-06-02 00:00:00',0)");
    auto answer = ReadAnswer(S->Search("TB_MEMAC"));
    EXPECT_EQ(answer->Code, 0);
    EXPECT_EQ(answer->Info, "");
    pugi::xml_node rs = answer->Doc.child("quelmar").child("rs");
    EXPECT_STREQ(rs.attribute("typ").value(), "recordset");
    EXPECT_STREQ(rs.attribute("tbname").value(), "TB_MEMAC");
    EXPECT_STREQ(rs.attribute("fields").value(),
                 "MEMAC_ID:NUMBER:22:0 MEMAC001:VARCHAR2:4 MEMAC002:VARCHAR2:30 MEMAC003:NUMBER:12:0 "
                 "MEMAC004:NUMBER:12:0 CREATE_USER:VARCHAR2:12 USER_GROUP:VARCHAR2:12 CREATE_DATE:DATE:7 "
                 "MODIFIER:VARCHAR2:12 MODI_DATE:DATE:7 FLAG:NUMBER:1:0");
    pugi::xml_node row = rs.first_child();
    std::vector<std::string> attrs;
    for (pugi::xml_attribute a : row.attributes())
        attrs.push_back(std::string(a.name()) + "=" + a.value());
    EXPECT_EQ(attrs, (std::vector<std::string>{"MEMAC_ID=10", "MEMAC001=01", "MEMAC002=Low", "MEMAC003=0",
                                               "MEMAC004=2999", "CREATE_USER=u001", "USER_GROUP=g01",
                                               "CREATE_DATE=2008-06-02 00:00:00", "FLAG=0"}));
    EXPECT_FALSE(row.next_sibling());
    EXPECT_FALSE(row.attribute("rn")); // a data row, not a key row
}

TEST_P(BothEngines, SearchOrdersByCodeAndEscapesValues) {
    const std::string save = Request(InsertRow(1, "03", "a&amp;b&lt;&quot;c&quot;&gt;") +
                                     InsertRow(2, "01", "低收入") + InsertRow(3, "02", "line&#10;break"));
    ASSERT_EQ(ReadAnswer(Save(save))->Code, 0);
    auto answer = ReadAnswer(S->Search("TB_MEMAC"));
    std::vector<std::string> seen;
    for (pugi::xml_node row : answer->Doc.child("quelmar").child("rs").children())
        seen.push_back(std::string(row.attribute("MEMAC001").value()) + ":" +
                       row.attribute("MEMAC002").value());
    EXPECT_EQ(seen, (std::vector<std::string>{"01:低收入", "02:line\nbreak", "03:a&b<\"c\">"}));
}

TEST_P(BothEngines, SearchOfAnEmptyTableAndOfUnknownTables) {
    auto empty = ReadAnswer(S->Search("TB_MEMAC"));
    EXPECT_EQ(empty->Code, 0);
    EXPECT_FALSE(empty->Doc.child("quelmar").child("rs").first_child());

    for (const char* tail : {"TB_NOPE", "", "TB_MEMAC; DROP TABLE TB_MEMAC", "sqlite_master"}) {
        SCOPED_TRACE(tail);
        auto answer = ReadAnswer(S->Search(tail));
        EXPECT_EQ(answer->Code, status::UnknownName);
        EXPECT_FALSE(answer->Info.empty());
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC"), "0");
}

// Each engine quotes the names it is given: a table whose name holds a double quote and a space is
// made, written and read by that name, not cut short at the quote.
TEST_P(BothEngines, ANameHoldingAQuoteIsQuotedByTheEngine) {
    Connection& db = S->Db();
    const std::string odd = "TB_ODD \"X\"";
    const std::string table = db.QuoteIdent(odd);
    db.Run("CREATE TABLE " + table + " (\"ODD_ID\" INTEGER PRIMARY KEY, \"ODD001\" VARCHAR(4))", {});
    db.Run("INSERT INTO " + table + " VALUES (1, 'a')", {});
    auto rows = db.Query("SELECT \"ODD001\" FROM " + table, {});
    ASSERT_TRUE(rows->Next());
    EXPECT_EQ(rows->Text(0), "a");
    std::optional<TableInfo> info = db.ReadTable(odd);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->Name, odd);
}

TEST_P(BothEngines, DemoFillsOnlyAnEmptyStore) {
    S->FillDemo();
    const std::string count = Scalar("SELECT COUNT(*) FROM TB_MEMAC");
    EXPECT_GE(std::stoi(count), 3);
    EXPECT_EQ(Scalar("SELECT MEMAC002 FROM TB_MEMAC WHERE MEMAC001='01'"), "低收入");
    // Stamped with a date, as the form stamps its rows.
    EXPECT_EQ(Scalar("SELECT substr(CAST(CREATE_DATE AS VARCHAR(19)), 11) FROM TB_MEMAC WHERE MEMAC001='01'"),
              " 00:00:00");
    S->FillDemo();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC"), count);
}

TEST(StoreOpen, ReopeningKeepsRowsAndABadPathThrows) {
    auto dir = FreshTempDir("reopen");
    {
        Store s((dir / "a.db").string());
        s.FillDemo();
    }
    Store again((dir / "a.db").string());
    auto answer = ReadAnswer(again.Search("TB_MEMAC"));
    EXPECT_TRUE(answer->Doc.child("quelmar").child("rs").first_child());
    EXPECT_THROW(Store((dir / "missing" / "b.db").string()), StoreError);
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace qm::host::testing
