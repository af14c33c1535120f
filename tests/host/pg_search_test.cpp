// A long search on the server: its rows come a piece at a time, and neither that nor a connection
// lost between the pieces changes what the clerk is answered.
#include "store_fixture.h"

#include "host/store/pg_store.h"
#include "host/store/response.h"
#include "host/store/status_codes.h"

#include <functional>

namespace qm::host::testing {
namespace {

constexpr int kRows = 9999; // several of the pieces the server's rows come in

// Rows 1..kRows, names bare: every seventh without an upper bound, and row 9000 holding a character
// the form cannot hold, far past the first piece.
std::string FillSql(Engine kind) {
    const bool server = kind == Engine::Postgres;
    const std::string n = std::to_string(kRows);
    return std::string(server ? ""
                              : "WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < " +
                                    n + ") ") +
           "INSERT INTO TB_MEMAC "
           "(MEMAC_ID,MEMAC001,MEMAC002,MEMAC003,MEMAC004,CREATE_USER,USER_GROUP,CREATE_DATE,"
           "MODIFIER,MODI_DATE,FLAG) SELECT i, " +
           (server ? "lpad(i::text, 4, '0')" : "printf('%04d', i)") + ", " +
           (server ? "CASE WHEN i = 9000 THEN 'bell' || chr(7) ELSE '收入&<\"' || i END"
                   : "CASE WHEN i = 9000 THEN 'bell' || char(7) ELSE '收入&<\"' || i END") +
           ", i * 10, CASE WHEN i % 7 = 0 THEN NULL ELSE i * 10 + 9 END, 'u001', 'g01', '2008-06-02 "
           "00:00:00', "
           "'u002', NULL, 0 FROM " +
           (server ? "generate_series(1, " + n + ") i" : "s");
}

class PgSearch : public StoreTest {
protected:
    PgSearch() { Kind = Engine::Postgres; }
};

TEST_F(PgSearch, ALongSearchReadsAsTheSameRowsFromAFile) {
    SqlUnstamped(FillSql(Engine::Postgres));
    Store file((Dir / "same.db").string());
    file.Db().Run(FillSql(Engine::Sqlite), {});
    file.Search("TB_MEMAC"); // takes the note about how the file was opened, if any
    S->Search("TB_MEMAC");

    const std::string expected = file.Search("TB_MEMAC");
    EXPECT_EQ(S->Search("TB_MEMAC"), expected);
    PiecesSink sink;
    S->Search("TB_MEMAC", sink);
    EXPECT_EQ(sink.Text, expected);

    auto found = ReadAnswer(expected);
    EXPECT_EQ(found->Code, 0);
    EXPECT_NE(found->Info.find("1 行"), std::string::npos) << found->Info;
    EXPECT_NE(found->Info.find("9000（"), std::string::npos) << found->Info;
    std::size_t rows = 0;
    for (pugi::xml_node row : found->Doc.child("quelmar").child("rs").children())
        rows += row ? 1 : 0;
    EXPECT_EQ(rows, static_cast<std::size_t>(kRows - 1));
}

// A search is sized from the server's own estimate instead of counting the rows first: the rows
// it last counted per page, over the pages there are now. A table it never counted is counted.
TEST_F(PgSearch, TheRowsOfATableAreEstimatedWithoutReadingThem) {
    Connection& db = S->Db();
    EXPECT_EQ(db.RowsEstimate("NO_SUCH_TABLE"), -1);
    SqlUnstamped(FillSql(Engine::Postgres));
    Sql("ANALYZE TB_MEMAC");
    EXPECT_EQ(db.RowsEstimate("TB_MEMAC"), kRows);
    // As many rows again, not yet counted.
    SqlUnstamped("INSERT INTO TB_MEMAC (MEMAC_ID,MEMAC001,MEMAC002,CREATE_USER,USER_GROUP,CREATE_DATE,FLAG)"
                 " SELECT MEMAC_ID + 10000, translate(MEMAC001, '0123456789', 'ABCDEFGHIJ'), MEMAC002, "
                 "CREATE_USER, USER_GROUP, CREATE_DATE,"
                 " FLAG FROM TB_MEMAC");
    const std::int64_t grown = db.RowsEstimate("TB_MEMAC");
    EXPECT_GT(grown, 2 * kRows * 9 / 10);
    EXPECT_LT(grown, 2 * kRows * 11 / 10);
    EXPECT_EQ(ReadAnswer(S->Search("TB_MEMAC"))->Doc.child("quelmar").child("rs").select_nodes("*").size(),
              static_cast<std::size_t>(2 * kRows - 2)); // row 9000 and its copy left out
}

// A statement run while a cursor's rows are still coming finds the connection free, and the rows
// go on where they were.
TEST_F(PgSearch, AStatementBetweenThePiecesOfAnotherLeavesBothWhole) {
    SqlUnstamped(FillSql(Engine::Postgres));
    auto rows = S->Db().Query(QuoteNames("SELECT MEMAC_ID FROM TB_MEMAC ORDER BY MEMAC_ID"), {});
    int read = 0;
    bool ordered = true;
    while (rows->Next()) {
        ordered = ordered && rows->Text(0) == std::to_string(++read);
        if (read == 1500) {
            EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TB_MEMAC"), std::to_string(kRows));
        }
    }
    EXPECT_EQ(read, kRows);
    EXPECT_TRUE(ordered);
}

// The server drops the connection while the rows are still coming: the search is asked again once;
// dropped again, the clerk reads the clear error and not one row of the broken answer.
TEST(PgSearchLoss, AConnectionLostBetweenThePiecesIsAskedAgainOnceThenTold) {
    PgSchema schema;
    ASSERT_FALSE(::testing::Test::HasFailure());
    // The engine linked in, not the loaded one, so that its connection handle can be read.
    auto owned = std::make_unique<PgConnection>(schema.Uri());
    PgConnection& db = *owned;
    Store s(std::move(owned));
    db.Run(QuoteNames("ALTER TABLE TB_MEMAC DISABLE TRIGGER USER"), {});
    db.Run(QuoteNames(FillSql(Engine::Postgres)), {});
    s.Search("TB_MEMAC");
    const std::string whole = s.Search("TB_MEMAC");

    struct Case {
        int Drops;
        bool Answered;
    };
    for (const Case c : {Case{1, true}, Case{2, false}}) {
        SCOPED_TRACE(c.Drops);
        int drops = 0;
        PiecesSink sink;
        sink.Begun = [&] {
            if (drops == c.Drops) return;
            ++drops;
            ASSERT_EQ(
                PgAdmin("SELECT pg_terminate_backend(" + std::to_string(PQbackendPID(db.Handle())) + ")"),
                "");
        };
        s.Search("TB_MEMAC", sink);
        if (c.Answered) {
            EXPECT_EQ(drops, 1);
            EXPECT_EQ(sink.Text, whole);
            continue;
        }
        EXPECT_EQ(drops, 2);
        auto told = ReadAnswer(sink.Text);
        EXPECT_EQ(told->Code, status::DatabaseError);
        EXPECT_EQ(told->Info.rfind("与数据库服务器的连接中断，查询失败：", 0), 0u) << told->Info;
        EXPECT_EQ(sink.Text.find("<TB_MEMAC "), std::string::npos);
    }
    // The next search connects again and finds every row.
    EXPECT_EQ(s.Search("TB_MEMAC"), whole);
}

} // namespace
} // namespace qm::host::testing
