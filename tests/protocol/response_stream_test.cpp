#include <gtest/gtest.h>

#include <string>

#include "dataset/errors.h"
#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "protocol/protocol.h"
#include "protocol/response_stream.h"
#include "protocol_state.h"

namespace qm {
namespace {

using enum TStreamOutcome;

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
        TQmProtocol protocol;
        const TStreamOutcome outcome = wide ? TResponseStream::Read(protocol, Utf8ToUtf16(kHostAnswer))
                                            : TResponseStream::Read(protocol, kHostAnswer);
        ASSERT_EQ(outcome, Read);
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
        ASSERT_TRUE(dom.ReadXmlDom(kHostAnswer));
        EXPECT_EQ(test::StateDifference(protocol, dom), "");
    }
}

// Every document the stream decides must leave what the DOM leaves; the others go to the DOM.
TEST(ResponseStream, DecidesPlainDocumentsAndLeavesTheRest) {
    const struct {
        const char* name;
        std::string text;
        TStreamOutcome expected;
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
        {"empty text", "", Unsupported},
        {"comment", Answer("<!-- x -->"), Unsupported},
        {"processing instruction", Answer("<?pi x?>"), Unsupported},
        {"declaration not first", " <?xml version=\"1.0\"?>" + Answer(""), Unsupported},
        {"doctype", "<!DOCTYPE quelmar>" + Answer(""), Unsupported},
        {"CDATA beside text", Answer("<rs typ=\"string\">a<![CDATA[b]]></rs>"), Unsupported},
        {"two CDATA", Answer("<rs typ=\"string\"><![CDATA[a]]><![CDATA[b]]></rs>"), Unsupported},
        {"unknown entity", Answer("<rs typ=\"string\">&nbsp;</rs>"), Unsupported},
        {"zero reference", Answer("<rs typ=\"string\">&#0;</rs>"), Unsupported},
        {"surrogate reference", Answer("<rs typ=\"string\">&#xD800;</rs>"), Unsupported},
        {"reference past U+10FFFF", Answer("<rs typ=\"string\">&#x110000;</rs>"), Unsupported},
        {"raw tab in a value", Answer("<rs typ=\"recordset\"" + kFields + "><r NAME=\"a\tb\"/></rs>"),
         Unsupported},
        {"raw line end in a value", Answer("<rs typ=\"recordset\"" + kFields + "><r NAME=\"a\nb\"/></rs>"),
         Unsupported},
        {"carriage return in text", Answer("<rs typ=\"string\">a\r\nb</rs>"), Unsupported},
        {"two top-level elements", Answer("") + "<quelmar/>", Unsupported},
        {"text after the root", Answer("") + "x", Unsupported},
        {"other root", "<answer><status/></answer>", Unsupported},
        {"rs before status", "<quelmar><rs typ=\"string\">x</rs><status/></quelmar>", Unsupported},
        {"second status", Answer("<status/>"), Unsupported},
        {"second code", Answer("", "<code>1</code><code>2</code>"), Unsupported},
        {"second info", Answer("", "<info/><info/>"), Unsupported},
        {"element inside code", Answer("", "<code><b>1</b></code>"), Unsupported},
        {"element inside typed rs", Answer("<rs typ=\"string\"><rs typ=\"string\">x</rs></rs>"), Unsupported},
        {"element inside a row", Answer("<rs typ=\"recordset\"" + kFields + "><r ID=\"1\"><x/></r></rs>"),
         Unsupported},
        {"row named rs", Answer("<rs typ=\"recordset\"" + kFields + "><rs ID=\"1\"/></rs>"), Unsupported},
        {"unknown element", Answer("<extra/>"), Unsupported},
        {"mismatched end tag", Answer("<rs typ=\"string\">x</sr>"), Unsupported},
        {"unclosed", "<quelmar><status>", Unsupported},
        {"attributes run together", Answer("<rs typ=\"string\"a=\"1\">x</rs>"), Unsupported},
        {"zero byte", Answer(std::string("<rs typ=\"string\">a\0b</rs>", 25)), Unsupported},
        {"refused value", Answer("<rs typ=\"recordset\"" + kFields + "><r ID=\"x\"/></rs>"), Unsupported},
        {"broken field list", Answer("<rs typ=\"recordset\" fields=\"A:VARCHAR2:-1\"><r A=\"1\"/></rs>"),
         Unsupported},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TQmProtocol stream;
        EXPECT_EQ(TResponseStream::Read(stream, c.text), c.expected);
        TQmProtocol wide;
        EXPECT_EQ(TResponseStream::Read(wide, Utf8ToUtf16(c.text)), c.expected);
        if (c.expected == Unsupported) continue;
        TQmProtocol dom;
        EXPECT_EQ(dom.ReadXmlDom(c.text), c.expected == Read);
        EXPECT_EQ(test::StateDifference(stream, dom), "");
        EXPECT_EQ(test::StateDifference(wide, dom), "");
    }
}

TEST(ResponseStream, UnpairedSurrogatesBecomeReplacementCharacters) {
    const std::u16string text = u"<quelmar><status><info>a\xD800"
                                u"b\xDC00</info></status>"
                                u"<rs typ=\"string\">\xD83D\xDE00</rs></quelmar>";
    TQmProtocol protocol;
    ASSERT_EQ(TResponseStream::Read(protocol, text), Read);
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

    // A refused value raises as before, after the code was read: callers rely on both.
    const std::string refused = Answer("<rs typ=\"recordset\"" + kFields + "><r ID=\"x\"/></rs>");
    for (const bool wide : {false, true}) {
        TQmProtocol reader;
        EXPECT_THROW(wide ? reader.ReadXml(Utf8ToUtf16(refused)) : reader.ReadXml(refused), EConvertError);
        EXPECT_TRUE(reader.HasNumericCode());
        EXPECT_EQ(reader.StatusCode, 0);
    }
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
