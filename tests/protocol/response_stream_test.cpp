#include <gtest/gtest.h>

#include <string>

#include "answer_events.h"
#include "dataset/errors.h"
#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "protocol/protocol.h"
#include "protocol/response_document.h"
#include "protocol/response_stream.h"
#include "protocol_state.h"

namespace qm {
namespace {

constexpr TAnswerPolicy kDocumentOnly{.DocumentOnly = true};

std::string Answer(const std::string& body, const std::string& status = "<code>0</code>") {
    return "<quelmar><status>" + status + "</status>" + body + "</quelmar>";
}

const std::string kFields = " fields=\"ID:NUMBER:10:0 NAME:VARCHAR2:8 D:DATE:7\"";

// As the host writes a search and a save: declaration, escaped values, rows named after the table,
// key rows, a trailing line end.
const std::string kHostAnswer =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<quelmar><status><code>0</code><info></info></status>"
    "<rs typ=\"integer\">42</rs>"
    "<rs typ=\"recordset\" tbname=\"TB_A\"" +
    kFields +
    ">"
    "<TB_A ID=\"1\" NAME=\"a&amp;b&lt;&gt;&quot;\" D=\"2008-06-02 00:00:00\"/>"
    "<TB_A ID=\"2\" NAME=\"收入&#10;&#13;&#9;\"/>"
    "</rs><rs typ=\"recordset\" tbname=\"TB_A\"><TB_A tbname=\"TB_A\" rn=\"3\" id=\"13\"/></rs></quelmar>\n";

TEST(ResponseStream, HostAnswerIsReadOnBothEntries) {
    for (const bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "UTF-16" : "UTF-8");
        test::TEventLog log;
        ASSERT_TRUE(wide ? TokenizeStream(Utf8ToUtf16(kHostAnswer), log) : TokenizeStream(kHostAnswer, log));
        TQmProtocol protocol;
        ASSERT_TRUE(wide ? ReadAnswer(protocol, Utf8ToUtf16(kHostAnswer))
                         : ReadAnswer(protocol, kHostAnswer));
        EXPECT_TRUE(protocol.HasNumericCode());
        ASSERT_EQ(protocol.ParamCount(), 1);
        EXPECT_EQ(protocol.Param(0).AsInteger(), 42);
        ASSERT_EQ(protocol.TableCount(), 2);
        TMemTable& rows = protocol.Table(0).Rows();
        ASSERT_EQ(rows.RecordCount(), 2);
        rows.First();
        EXPECT_EQ(rows.FieldByName("NAME")->AsString(), "a&b<>\"");
        EXPECT_EQ(rows.FieldByName("D")->AsString(), "2008-06-02");
        rows.Next();
        EXPECT_EQ(rows.FieldByName("NAME")->AsString(), "收入\n\r\t");
        EXPECT_TRUE(rows.FieldByName("D")->IsNull());
        ASSERT_EQ(protocol.RowIdCount(), 1);
        EXPECT_EQ(protocol.FindKey("TB_A", 3), 13);

        TQmProtocol dom;
        ASSERT_TRUE(ReadAnswer(dom, kHostAnswer, kDocumentOnly));
        EXPECT_EQ(test::StateDifference(protocol, dom), "");
    }
}

enum TExpected { Read, NotRead, Declined };

// On every text the stream takes, it tells the events the document reader tells; the others it
// declines. Either way an answer reads as the document reader alone reads it.
TEST(ResponseStream, TellsPlainDocumentsAsTheDocumentReaderAndDeclinesTheRest) {
    const struct {
        const char* name;
        std::string text;
        TExpected expected;
    } cases[] = {
        {"status only", Answer("", "<code> -3 </code><info>x &#x4E2D;&#20013; y</info>"), Read},
        {"blank text dropped", Answer("<rs typ=\"string\">  \n </rs>", "<code>\n0\n</code>"), Read},
        {"simple CDATA", Answer("<rs typ=\"String\"> <![CDATA[a<&b]]> </rs>"), Read},
        {"single quotes, blanks around =", Answer("<rs typ = 'double'>2.5</rs>"), Read},
        {"typed rs with unknown word", Answer("<rs typ=\"blob\">x</rs><rs>y</rs>"), Read},
        {"no status", "<quelmar> </quelmar>", NotRead},
        {"data row before field list",
         Answer("<rs typ=\"recordset\" tbname=\"t\"><T rn=\"1\" id=\"2\"/><r A=\"1\"/></rs>"
                "<rs typ=\"string\">not read</rs>"),
         NotRead},
        {"empty text", "", Declined},
        {"comment", Answer("<!-- x -->"), Declined},
        {"processing instruction", Answer("<?pi x?>"), Declined},
        {"declaration not first", " <?xml version=\"1.0\"?>" + Answer(""), Declined},
        {"doctype", "<!DOCTYPE quelmar>" + Answer(""), Declined},
        {"CDATA beside text", Answer("<rs typ=\"string\">a<![CDATA[b]]></rs>"), Declined},
        {"two CDATA", Answer("<rs typ=\"string\"><![CDATA[a]]><![CDATA[b]]></rs>"), Declined},
        {"unknown entity", Answer("<rs typ=\"string\">&nbsp;</rs>"), Declined},
        {"zero reference", Answer("<rs typ=\"string\">&#0;</rs>"), Declined},
        {"surrogate reference", Answer("<rs typ=\"string\">&#xD800;</rs>"), Declined},
        {"reference past U+10FFFF", Answer("<rs typ=\"string\">&#x110000;</rs>"), Declined},
        {"raw tab in a value", Answer("<rs typ=\"recordset\"" + kFields + "><r NAME=\"a\tb\"/></rs>"),
         Declined},
        {"raw line end in a value", Answer("<rs typ=\"recordset\"" + kFields + "><r NAME=\"a\nb\"/></rs>"),
         Declined},
        {"carriage return in text", Answer("<rs typ=\"string\">a\r\nb</rs>"), Declined},
        {"two top-level elements", Answer("") + "<quelmar/>", Declined},
        {"text after the root", Answer("") + "x", Declined},
        {"other root", "<answer><status/></answer>", Declined},
        {"rs before status", "<quelmar><rs typ=\"string\">x</rs><status/></quelmar>", Declined},
        {"second status", Answer("<status/>"), Declined},
        {"second code", Answer("", "<code>1</code><code>2</code>"), Declined},
        {"second info", Answer("", "<info/><info/>"), Declined},
        {"element inside code", Answer("", "<code><b>1</b></code>"), Declined},
        {"element inside typed rs", Answer("<rs typ=\"string\"><rs typ=\"string\">x</rs></rs>"), Declined},
        {"element inside a row", Answer("<rs typ=\"recordset\"" + kFields + "><r ID=\"1\"><x/></r></rs>"),
         Declined},
        {"row named rs", Answer("<rs typ=\"recordset\"" + kFields + "><rs ID=\"1\"/></rs>"), Declined},
        {"unknown element", Answer("<extra/>"), Declined},
        {"mismatched end tag", Answer("<rs typ=\"string\">x</sr>"), Declined},
        {"unclosed", "<quelmar><status>", Declined},
        {"attributes run together", Answer("<rs typ=\"string\"a=\"1\">x</rs>"), Declined},
        {"zero byte", Answer(std::string("<rs typ=\"string\">a\0b</rs>", 25)), Declined},
        {"zero after an end tag's name", std::string("<quelmar><status/></quelmar\0>", 29), Declined},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TEventLog narrow, wide, document;
        EXPECT_EQ(TokenizeStream(c.text, narrow), c.expected != Declined);
        EXPECT_EQ(TokenizeStream(Utf8ToUtf16(c.text), wide), c.expected != Declined);
        const bool parsed = TokenizeDocument(c.text, document);
        if (c.expected != Declined) {
            EXPECT_TRUE(parsed);
            EXPECT_EQ(narrow.Log, document.Log);
            EXPECT_EQ(wide.Log, document.Log);
        }
        TQmProtocol alone;
        const bool read = ReadAnswer(alone, c.text, kDocumentOnly);
        if (c.expected != Declined) {
            EXPECT_EQ(read, c.expected == Read);
        }
        for (const bool utf16 : {false, true}) {
            TQmProtocol protocol;
            EXPECT_EQ(utf16 ? ReadAnswer(protocol, Utf8ToUtf16(c.text)) : ReadAnswer(protocol, c.text), read);
            EXPECT_EQ(test::StateDifference(protocol, alone), "");
        }
    }
}

TEST(ResponseStream, UnpairedSurrogatesBecomeReplacementCharacters) {
    const std::u16string text = u"<quelmar><status><info>a\xD800"
                                u"b\xDC00</info></status>"
                                u"<rs typ=\"string\">\xD83D\xDE00</rs></quelmar>";
    test::TEventLog log;
    ASSERT_TRUE(TokenizeStream(text, log));
    TQmProtocol protocol;
    ASSERT_TRUE(ReadAnswer(protocol, text));
    EXPECT_EQ(protocol.StatusInfo, "a\uFFFDb\uFFFD");
    EXPECT_EQ(protocol.Param(0).Value, "\U0001F600");
}

// What the stream leaves goes to the DOM on both entries, with the old results and errors.
TEST(ResponseStream, ReadXmlFallsBackToTheDom) {
    TQmProtocol protocol;
    protocol.StatusCode = 5;
    protocol.StatusInfo = "before";
    EXPECT_FALSE(protocol.ReadXml(Answer("<!-- x --><broken", "<code>3</code><info>i</info>")));
    EXPECT_EQ(protocol.StatusCode, 5); // a document that does not parse leaves the status alone
    EXPECT_EQ(protocol.StatusInfo, "before");

    const std::string commented = Answer("<!-- x --><rs typ=\"string\">s</rs>", "<code>4</code>");
    EXPECT_TRUE(protocol.ReadXml(commented));
    EXPECT_EQ(protocol.StatusCode, 4);
    ASSERT_EQ(protocol.ParamCount(), 1);
    EXPECT_TRUE(protocol.ReadXml(Utf8ToUtf16(commented)));
    EXPECT_EQ(protocol.Param(0).Value, "s");

    // A refused value or a broken field list raises, after the code was read: callers rely on both.
    const std::string refused[] = {
        Answer("<rs typ=\"recordset\"" + kFields + "><r ID=\"x\"/></rs>"),
        Answer("<rs typ=\"recordset\" fields=\"A:VARCHAR2:-1\"><r A=\"1\"/></rs>"),
    };
    for (const std::string& text : refused) {
        for (const bool wide : {false, true}) {
            TQmProtocol reader;
            EXPECT_THROW(wide ? reader.ReadXml(Utf8ToUtf16(text)) : reader.ReadXml(text), EConvertError);
            EXPECT_TRUE(reader.HasNumericCode());
            EXPECT_EQ(reader.StatusCode, 0);
        }
    }
    // Not before the whole text is known to be a document: one that breaks off is no answer.
    TQmProtocol broken;
    broken.StatusCode = 5;
    EXPECT_FALSE(broken.ReadXml(refused[0].substr(0, refused[0].size() - 3)));
    EXPECT_EQ(broken.StatusCode, 5);
}

TEST(ResponseStream, ReusedProtocolStartsAfresh) {
    TQmProtocol protocol;
    ASSERT_TRUE(protocol.ReadXml(kHostAnswer));
    ASSERT_TRUE(protocol.ReadXml(Answer("", "<code>x</code>")));
    EXPECT_FALSE(protocol.HasNumericCode());
    EXPECT_EQ(protocol.ParamCount(), 0);
    EXPECT_EQ(protocol.TableCount(), 0);
    EXPECT_EQ(protocol.RowIdCount(), 0);
}

} // namespace
} // namespace qm
