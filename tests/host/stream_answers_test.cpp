// Every kind of answer the store writes is plain enough for the module's streaming reader, on the
// UTF-8 text and on the record's UTF-16 text, and tells what the document reader tells.
#include "store_fixture.h"

#include "platform/platform.h"
#include "protocol/protocol.h"
#include "protocol/response_document.h"
#include "protocol/response_stream.h"
#include "tests/protocol/answer_events.h"
#include "tests/protocol/protocol_state.h"

namespace qm::host::testing {
namespace {

void ExpectStreamed(const std::string& answer) {
    SCOPED_TRACE(answer);
    qm::test::TEventLog narrow, wide, document;
    EXPECT_TRUE(TokenizeStream(answer, narrow));
    EXPECT_TRUE(TokenizeStream(Utf8ToUtf16(answer), wide));
    ASSERT_TRUE(TokenizeDocument(answer, document));
    EXPECT_EQ(narrow.Log, document.Log);
    EXPECT_EQ(wide.Log, document.Log);
}

TEST_F(StoreTest, EveryAnswerIsReadByTheStreamingReader) {
    ExpectStreamed(S->Register("Tarn204", "MEM"));
    const std::string saved = Save(
        Request(InsertRow(1, "01", "低收入&amp;&lt;&quot;&gt;'") + InsertRow(2, "02", "a&#10;b&#10;c&#9;d")));
    EXPECT_EQ(ReadAnswer(saved)->Code, 0) << saved;
    ExpectStreamed(saved);
    ExpectStreamed(Save(Request(InsertRow(3, "01")))); // refused: the code is taken
    // Values another tool wrote: control characters and bytes that are not UTF-8.
    Sql("INSERT INTO TB_MEMAC (MEMAC_ID,MEMAC001,MEMAC002,MEMAC003,MEMAC004,CREATE_USER,USER_GROUP,"
        "CREATE_DATE,FLAG) VALUES (50,'09',CAST(X'410142FF43' AS TEXT),0,1,'u001','g01','2008-06-02 "
        "00:00:00',0)");
    const std::string search = S->Search("TB_MEMAC");
    ExpectStreamed(search);
    TQmProtocol read;
    ASSERT_TRUE(read.ReadXml(Utf8ToUtf16(search)));
    ASSERT_EQ(read.TableCount(), 1);
    // The row the form cannot hold is left out, and named.
    EXPECT_EQ(read.Table(0).Rows().RecordCount(), 2);
    EXPECT_NE(read.StatusInfo.find("09"), std::string::npos);
    ExpectStreamed(S->Search("TB_NOPE"));
    ExpectStreamed(S->Release(FuncId));
    ExpectStreamed(S->Release(FuncId));
}

} // namespace
} // namespace qm::host::testing
