// The front-to-back writer must give byte for byte what pugixml saves for the same tree.
#include <gtest/gtest.h>

#include <stdexcept>

#include <pugixml.hpp>

#include "dataset/mem_table.h"
#include "memac_fixture.h"
#include "platform/platform.h"
#include "protocol/protocol.h"
#include "protocol/request_tables.h"
#include "protocol/xml_stream.h"
#include "protocol/xml_text.h"

namespace qm {
namespace {

// Builds the same shape through both writers: op(root) adds the shape under a root element.
template <class Build> void ExpectSameText(Build build) {
    pugi::xml_document doc;
    build(TDomNode{doc.append_child("r")});
    std::string streamed;
    TXmlStream stream(streamed);
    build(TStreamNode{&stream, stream.Open(0, "r")});
    stream.Finish();
    EXPECT_EQ(streamed, SaveXml(doc));
}

TEST(XmlStream, EveryByteEscapedAsPugixmlDoes) {
    for (int c = 1; c < 256; ++c) {
        const std::string v = std::string("a") + static_cast<char>(c) + "b";
        SCOPED_TRACE(c);
        ExpectSameText([&](auto root) {
            auto e = root.Child("e");
            e.Attribute("v", v);
            e.Text(v, false);
            root.Child("c").Text(v, true);
        });
    }
}

TEST(XmlStream, ShapesAsPugixmlSavesThem) {
    ExpectSameText([](auto root) {
        root.Child("empty");
        root.Child("emptyText").Text("", false);
        root.Child("emptyCData").Text("", true);
        root.Child("split").Text("a]]>b]]>", true);
        auto late = root.Child("late"); // text first, then the attribute, as parameters are written
        late.Text("x<y", false);
        late.Attribute("typ", "string");
        auto replaced = root.Child("k");
        replaced.Attribute("op", "1");
        replaced.Attribute("ID", "7");
        replaced.SetAttribute("op", "a&\"long\""); // keeps its place; ID moves along
        replaced.SetAttribute("NEW", "n");
        auto deep = root.Child("a").Child("b");
        deep.Child("c").Attribute("x", "");
        deep.Child("d");
        root.Child("after").Attribute("zero", std::string("cut\0here", 8));
        root.Child("");
    });
}

TEST(XmlStream, AttributeAfterContentIsRefused) {
    std::string out;
    TXmlStream stream(out);
    const int root = stream.Open(0, "r");
    stream.Open(root, "child");
    EXPECT_THROW(stream.Attribute(root, "late", "1", false), std::logic_error);
}

// The request for a form's changes, with parameters, variables and a child table, against the
// same document built as a DOM through the public table writer.
TEST(WriteXml, SameTextAsTheDocumentBuiltAsATree) {
    TMemTable main, deleted, lines;
    test::MakeWorkedExample(main, deleted);
    lines.FieldDefs().Add("LINE_ID", ftInteger);
    lines.FieldDefs().Add("MEMAC_ID", ftInteger);
    lines.FieldDefs().Add("NOTE", ftString, 20);
    lines.FieldDefs().Add("AT", ftDateTime);
    lines.FieldDefs().Add("OK", ftBoolean);
    lines.CreateDataSet();
    lines.QmTableName = "TB_LINE";
    lines.PKName = "LINE_ID";
    lines.FKName = "TB_MEMAC:MEMAC_ID";
    lines.SetCachedUpdates(true);
    lines.Append();
    lines.Fields(0)->SetAsInteger(1);
    lines.Fields(1)->SetAsInteger(11);
    lines.Fields(2)->SetAsString("a \"quoted\" <note> & \x01");
    lines.Fields(3)->SetAsDateTime(EncodeDateTime(2008, 6, 18, 13, 5, 9));
    lines.Post();

    TQmProtocol protocol;
    protocol.SetCopyMode(cmAllRows);
    TQmParam& text = protocol.Param(protocol.AddParam());
    text.SetString("x < y & z");
    TQmParam& memo = protocol.Param(protocol.AddParam());
    memo.SetString("a]]>b");
    memo.ParamType = ptMemo;
    protocol.AddParam(); // without a type
    TQmParam& var = protocol.Variable(protocol.AddVariable());
    var.Name = "V\"1";
    var.SetString("v&");
    TQmTable& table = protocol.Table(protocol.AddTable());
    FillRows(table, main);
    FillDeleted(table, deleted);
    FillRows(table.Child(table.AddChild()), lines);
    protocol.AddTable(); // empty: written as an UNKNOWN recordset

    pugi::xml_document doc;
    pugi::xml_node decl = doc.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "utf-8";
    pugi::xml_node params = doc.append_child("quelmar").append_child("params");
    pugi::xml_node p = params.append_child("param");
    p.append_child(pugi::node_pcdata).set_value("x < y & z");
    p.append_attribute("typ") = "string";
    p = params.append_child("param");
    p.append_child(pugi::node_cdata).set_value("a]]>b");
    p.append_attribute("typ") = "memo";
    params.append_child("param");
    p = params.append_child("param");
    p.append_attribute("typ") = "variable";
    pugi::xml_node v = p.append_child("var");
    v.append_attribute("varname") = "V\"1";
    v.append_attribute("value") = "v&";
    v.append_attribute("typ") = "string";
    WriteTable(table, "", params);
    p = params.append_child("param");
    p.append_attribute("typ") = "recordset";
    p.append_attribute("tbname") = "UNKNOWN";

    const std::string streamed = protocol.WriteXml();
    EXPECT_EQ(streamed, SaveXml(doc));
    EXPECT_NE(streamed.find("TB_LINE"), std::string::npos);
}

TEST(FieldXmlText, HandWrittenDatesMatchTheFormatter) {
    TMemTable t;
    t.FieldDefs().Add("D", ftDate);
    t.FieldDefs().Add("DT", ftDateTime);
    t.FieldDefs().Add("T", ftTime);
    t.CreateDataSet();
    const TDateTime values[] = {EncodeDate(2008, 6, 2),
                                EncodeDateTime(2008, 6, 18, 13, 5, 9),
                                EncodeDateTime(999, 1, 2, 3, 4, 5),
                                EncodeDateTime(9999, 12, 31, 23, 59, 59),
                                TDateTime(-1.25),
                                TDateTime(0.99999999),
                                TDateTime(40000.5000001)};
    std::string text;
    for (const TDateTime value : values) {
        t.Append();
        for (int f = 0; f < 3; ++f)
            t.Fields(f)->SetAsDateTime(value);
        t.Post();
        SCOPED_TRACE(value.Value);
        for (int f = 0; f < 3; ++f) {
            const std::string pattern = f == 2 ? "hh:nn:ss" : "yyyy-mm-dd hh:nn:ss";
            AppendFieldXmlText(*t.Fields(f), text);
            EXPECT_EQ(text, FormatDateTime(pattern, t.Fields(f)->AsDateTime()));
        }
    }
}

} // namespace
} // namespace qm
