#include <gtest/gtest.h>

#include "dataset/errors.h"
#include "dataset/mem_table.h"
#include "memac_fixture.h"
#include "protocol/protocol.h"
#include "xml_nodes.h"

namespace qm {
namespace {

using test::Flatten;
using test::Node;

const Node kDecl{"?xml", 0, {{"version", "1.0"}, {"encoding", "utf-8"}}};
const Node kQuelmar{"quelmar", 0, {}};
const Node kParams{"params", 2, {}};

// The save of the worked example: protocol filled as the form fills it.
std::string WriteWorkedExample(bool deleteMode, bool withRows = true) {
    TMemTable main, deleted;
    test::MakeWorkedExample(main, deleted);
    if (!withRows) {
        main.MergeChangeLog();
    }
    TQmProtocol protocol;
    protocol.Clear();
    protocol.DeleteMode = deleteMode;
    protocol.SetCopyMode(cmAllRows);
    TQmTable& table = protocol.Table(protocol.AddTable());
    FillRows(table, main);
    FillDeleted(table, deleted);
    return protocol.WriteXml();
}

TEST(WriteXml, WorkedExampleSaveNodeByNode) {
    const std::vector<Node> expected = {
        kDecl,
        kQuelmar,
        kParams,
        {"param", 3, {{"typ", "recordset"}, {"tbname", "TB_MEMAC"}}},
        {"TB_MEMAC", 4, {{"op", "4"}, {"pk", "MEMAC_ID"}, {"fk", ""}, {"MEMAC_ID", "12"}}},
        {"TB_MEMAC",
         4,
         {{"op", "3"},
          {"pk", "MEMAC_ID"},
          {"fk", ""},
          {"MEMAC_ID", "11"},
          {"MEMAC001", "02"},
          {"MEMAC002", "Middle"},
          {"MEMAC003", "3000"},
          {"MEMAC004", "5999"},
          {"CREATE_USER", "u001"},
          {"USER_GROUP", "g01"},
          {"CREATE_DATE", "2008-06-02 00:00:00"},
          {"MODIFIER", "u002"},
          {"MODI_DATE", "2008-06-18 00:00:00"},
          {"FLAG", "0"}}},
        {"TB_MEMAC",
         4,
         {{"op", "1"},
          {"pk", "MEMAC_ID"},
          {"fk", ""},
          {"rn", "3"},
          {"MEMAC_ID", ""},
          {"MEMAC001", "04"},
          {"MEMAC002", "Upper"},
          {"MEMAC003", "10000"},
          {"MEMAC004", "99999"},
          {"CREATE_USER", "u002"},
          {"USER_GROUP", "g01"},
          {"CREATE_DATE", "2008-06-18 00:00:00"},
          {"MODIFIER", ""},
          {"MODI_DATE", ""},
          {"FLAG", "0"}}},
    };
    EXPECT_EQ(Flatten(WriteWorkedExample(false)), expected);
}

TEST(WriteXml, WorkedExampleDeleteWritesOpTwo) {
    const std::string text = WriteWorkedExample(true, false);
    EXPECT_EQ(text, "<?xml version=\"1.0\" encoding=\"utf-8\"?><quelmar><params>"
                    "<param typ=\"recordset\" tbname=\"TB_MEMAC\">"
                    "<TB_MEMAC op=\"2\" pk=\"MEMAC_ID\" fk=\"\" MEMAC_ID=\"12\"/>"
                    "</param></params></quelmar>");
}

TEST(WriteXml, EmptyProtocolGivesFrameOnly) {
    TQmProtocol protocol;
    const std::vector<Node> expected = {kDecl, kQuelmar, kParams};
    EXPECT_EQ(Flatten(protocol.WriteXml()), expected);
}

TEST(WriteXml, ParametersByType) {
    struct Case {
        std::uint8_t type;
        Node node; // parent 3
    } cases[] = {
        {ptString, {"param", 3, {{"typ", "string"}}}},
        {ptInteger, {"param", 3, {{"typ", "integer"}}}},
        {ptDouble, {"param", 3, {{"typ", "double"}}}},
        {ptFloat, {"param", 3, {{"typ", "float"}}}},
        {ptDateTime, {"param", 3, {{"typ", "datetime"}}}},
        {ptDate, {"param", 3, {{"typ", "date"}}}},
        {ptTime, {"param", 3, {{"typ", "time"}}}},
        {ptVar, {"param", 3, {}}},
        {9, {"param", 3, {}}},
    };
    for (const auto& c : cases) {
        TQmProtocol protocol;
        TQmParam& p = protocol.Param(protocol.AddParam());
        p.Value = "v<&>";
        p.ParamType = c.type;
        const std::vector<Node> expected = {kDecl, kQuelmar, kParams, c.node, {"#text", 4, {{"", "v<&>"}}}};
        EXPECT_EQ(Flatten(protocol.WriteXml()), expected) << int(c.type);
    }
}

TEST(WriteXml, MemoKeepsAmpersandInCdataStringEscapesIt) {
    TQmProtocol protocol;
    protocol.Param(protocol.AddParam()).Value = "a&b";
    protocol.Param(0).ParamType = ptMemo;
    protocol.Param(protocol.AddParam()).SetString("a&b");
    protocol.Param(protocol.AddParam()); // ptNone
    EXPECT_EQ(protocol.WriteXml(), "<?xml version=\"1.0\" encoding=\"utf-8\"?><quelmar><params>"
                                   "<param typ=\"memo\"><![CDATA[a&b]]></param>"
                                   "<param typ=\"string\">a&amp;b</param>"
                                   "<param/></params></quelmar>");
}

TEST(WriteXml, VariablesSkipNoneAndOmitTypForMemo) {
    TQmProtocol protocol;
    auto add = [&](const char* name, const char* value, std::uint8_t type) {
        TQmParam& v = protocol.Variable(protocol.AddVariable());
        v.Name = name;
        v.Value = value;
        v.ParamType = type;
    };
    add("A", "1", ptInteger);
    add("B", "x", ptNone);
    add("C", "m", ptMemo);
    add("D", "v", ptVar);
    protocol.Param(protocol.AddParam()).SetString("first");
    const std::vector<Node> expected = {
        kDecl,
        kQuelmar,
        kParams,
        {"param", 3, {{"typ", "string"}}},
        {"#text", 4, {{"", "first"}}},
        {"param", 3, {{"typ", "variable"}}},
        {"var", 6, {{"varname", "A"}, {"value", "1"}, {"typ", "integer"}}},
        {"var", 6, {{"varname", "C"}, {"value", "m"}}},
        {"var", 6, {{"varname", "D"}, {"value", "v"}, {"typ", "var"}}},
    };
    EXPECT_EQ(Flatten(protocol.WriteXml()), expected);

    TQmProtocol allNone;
    allNone.Variable(allNone.AddVariable()).ParamType = ptNone;
    const std::vector<Node> emptyBlock = {kDecl, kQuelmar, kParams, {"param", 3, {{"typ", "variable"}}}};
    EXPECT_EQ(Flatten(allNone.WriteXml()), emptyBlock);
}

TEST(WriteXml, TableWithoutRowsIsUnknownOrNamed) {
    TQmProtocol protocol;
    TQmTable& closed = protocol.Table(protocol.AddTable());
    closed.Rows().QmTableName = "TB_MEMAC"; // closed: the name is not used

    TMemTable main, deleted;
    test::MakeWorkedExample(main, deleted);
    main.MergeChangeLog();
    TQmTable& unchanged = protocol.Table(protocol.AddTable());
    unchanged.CopyMode = cmAllRows;
    FillRows(unchanged, main);
    TMemTable noDeletions;
    test::DefineMemac(noDeletions);
    FillDeleted(unchanged, noDeletions); // open, without rows

    const std::vector<Node> expected = {kDecl,
                                        kQuelmar,
                                        kParams,
                                        {"param", 3, {{"typ", "recordset"}, {"tbname", "UNKNOWN"}}},
                                        {"param", 3, {{"typ", "recordset"}, {"tbname", "TB_MEMAC"}}}};
    EXPECT_EQ(Flatten(protocol.WriteXml()), expected);
}

TEST(WriteXml, FieldValueTextByType) {
    TMemTable source;
    TFieldDefs& defs = source.FieldDefs();
    defs.Add("X_ID", ftInteger); // the key name derived from the table name
    defs.Add("DT", ftDateTime);
    defs.Add("T", ftTime);
    defs.Add("B", ftBoolean);
    defs.Add("F", ftFloat);
    defs.Add("J", ftString, 5);
    source.CreateDataSet();
    source.QmTableName = "tb_x";
    source.PKName = "";
    source.FieldByName("J")->SetIsJoin(true);
    source.SetCachedUpdates(true);
    test::AppendRow(source, {"1", {}, {}, {}, "2.5", "join"});
    test::AppendRow(source, {"2", "2008-06-18 13:05:09", "07:08:09", "True", {}, "join"});

    TQmProtocol protocol;
    protocol.SetCopyMode(cmAllRows);
    FillRows(protocol.Table(protocol.AddTable()), source);
    const auto nodes = Flatten(protocol.WriteXml());
    ASSERT_EQ(nodes.size(), 6u);
    using Attrs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(nodes[4].attrs, (Attrs{{"op", "1"},
                                     {"pk", "X_ID"},
                                     {"fk", ""},
                                     {"rn", "1"},
                                     {"X_ID", "1"},
                                     {"DT", ""},
                                     {"T", ""},
                                     {"B", "0"},
                                     {"F", "2.5"}}));
    EXPECT_EQ(nodes[5].attrs, (Attrs{{"op", "1"},
                                     {"pk", "X_ID"},
                                     {"fk", ""},
                                     {"rn", "2"},
                                     {"X_ID", "2"},
                                     {"DT", "2008-06-18 13:05:09"},
                                     {"T", "07:08:09"},
                                     {"B", "1"},
                                     {"F", ""}}));
    EXPECT_EQ(nodes[4].name, "TB_X");
}

TEST(WriteXml, InsertedKeyWithBlanksIsWrittenUnchanged) {
    TMemTable source;
    source.FieldDefs().Add("K", ftString, 10);
    source.CreateDataSet();
    source.QmTableName = "TB_K";
    source.PKName = "K";
    source.SetCachedUpdates(true);
    test::AppendRow(source, {"  7 "});
    TQmProtocol protocol;
    FillRows(protocol.Table(protocol.AddTable()), source); // current row
    const auto nodes = Flatten(protocol.WriteXml());
    ASSERT_EQ(nodes.size(), 5u);
    EXPECT_EQ(nodes[4].attrs.back(), (std::pair<std::string, std::string>{"K", "  7 "}));
}

TEST(WriteXml, NamesXmlCannotHoldRaiseXmlError) {
    for (const char* bad : {"A B", "1ABC", "A<B", ""}) {
        TMemTable source;
        source.FieldDefs().Add("K", ftInteger);
        source.CreateDataSet();
        source.QmTableName = bad;
        source.PKName = "K";
        source.SetCachedUpdates(true);
        test::AppendRow(source, {"1"});
        TQmProtocol protocol;
        FillRows(protocol.Table(protocol.AddTable()), source);
        EXPECT_THROW(protocol.WriteXml(), EXmlError) << bad;
    }
}

TEST(WriteXml, DeletedRowsWithoutKeyNameDeriveItFromTableName) {
    TMemTable main, deleted;
    test::MakeWorkedExample(main, deleted);
    main.PKName = "";
    deleted.PKName = "";
    main.MergeChangeLog();
    TQmProtocol protocol;
    protocol.SetCopyMode(cmAllRows);
    TQmTable& table = protocol.Table(protocol.AddTable());
    FillRows(table, main);
    FillDeleted(table, deleted);
    const auto nodes = Flatten(protocol.WriteXml());
    ASSERT_EQ(nodes.size(), 5u);
    const Node row{"TB_MEMAC", 4, {{"op", "4"}, {"pk", "MEMAC_ID"}, {"fk", ""}, {"MEMAC_ID", "12"}}};
    EXPECT_EQ(nodes[4], row);
    EXPECT_EQ(table.Deleted().PKName, "MEMAC_ID");
    EXPECT_EQ(table.Rows().PKName, "MEMAC_ID");

    TQmTable unknown;
    unknown.Rows().QmTableName = "UNKNOWN";
    pugi::xml_document doc;
    WriteDeleted(unknown, doc, false);
    EXPECT_EQ(unknown.Deleted().PKName, "");
}

} // namespace
} // namespace qm
