#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dataset/errors.h"
#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "protocol/protocol.h"

namespace qm {
namespace {

const char* const kSearchAnswer =
    "<quelmar><status><code>0</code><info></info></status>"
    "<rs typ=\"recordset\" tbname=\"TB_MEMAC\" fields=\"MEMAC_ID:NUMBER:22:0 MEMAC001:VARCHAR2:4 "
    "MEMAC002:VARCHAR2:30 MEMAC003:NUMBER:12:0 MEMAC004:NUMBER:12:0 CREATE_USER:VARCHAR2:12 "
    "USER_GROUP:VARCHAR2:12 CREATE_DATE:DATE:7 MODIFIER:VARCHAR2:12 MODI_DATE:DATE:7 FLAG:NUMBER:1:0\">"
    "<row MEMAC_ID=\"10\" MEMAC001=\"01\" MEMAC002=\"Low\" MEMAC003=\"0\" MEMAC004=\"2999\" "
    "CREATE_USER=\"u001\" "
    "USER_GROUP=\"g01\" CREATE_DATE=\"2008-06-02 00:00:00\" FLAG=\"0\"/>"
    "</rs></quelmar>";

std::string Answer(const std::string& body, const std::string& status = "<code>0</code>") {
    return "<quelmar><status>" + status + "</status>" + body + "</quelmar>";
}

TEST(ReadXml, WorkedSearchAnswer) {
    TQmProtocol protocol;
    protocol.StatusInfo = "old";
    ASSERT_TRUE(protocol.ReadXml(kSearchAnswer));
    EXPECT_EQ(protocol.StatusCode, 0);
    EXPECT_TRUE(protocol.HasNumericCode());
    EXPECT_EQ(protocol.StatusInfo, "");
    EXPECT_EQ(protocol.ParamCount(), 0);
    ASSERT_EQ(protocol.TableCount(), 1);
    TMemTable& rows = protocol.Table(0).Rows();
    EXPECT_EQ(rows.QmTableName, "TB_MEMAC");
    EXPECT_FALSE(protocol.Table(0).Deleted().Active());

    struct Expect {
        const char* name;
        TFieldType type;
        int size;
    } fields[] = {{"MEMAC_ID", ftLargeint, 0},  {"MEMAC001", ftString, 4},   {"MEMAC002", ftString, 30},
                  {"MEMAC003", ftLargeint, 0},  {"MEMAC004", ftLargeint, 0}, {"CREATE_USER", ftString, 12},
                  {"USER_GROUP", ftString, 12}, {"CREATE_DATE", ftDate, 0},  {"MODIFIER", ftString, 12},
                  {"MODI_DATE", ftDate, 0},     {"FLAG", ftLargeint, 0}};
    ASSERT_EQ(rows.FieldCount(), 11);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(rows.Fields(i)->FieldName(), fields[i].name);
        EXPECT_EQ(rows.Fields(i)->DataType(), fields[i].type) << fields[i].name;
        EXPECT_EQ(rows.Fields(i)->Size(), fields[i].size) << fields[i].name;
    }
    ASSERT_EQ(rows.RecordCount(), 1);
    rows.First();
    EXPECT_EQ(rows.UpdateStatus(), usUnmodified);
    EXPECT_EQ(rows.FieldByName("MEMAC_ID")->AsLargeInt(), 10);
    EXPECT_EQ(rows.FieldByName("MEMAC001")->AsString(), "01");
    EXPECT_TRUE(rows.FieldByName("MODIFIER")->IsNull());
    EXPECT_TRUE(rows.FieldByName("MODI_DATE")->IsNull());
    EXPECT_EQ(rows.FieldByName("CREATE_DATE")->AsDateTime(), EncodeDate(2008, 6, 2));
}

TEST(ReadXml, SaveAnswerCarriesKeyRow) {
    TQmProtocol protocol;
    ASSERT_TRUE(protocol.ReadXml(Answer(
        "<rs typ=\"recordset\" tbname=\"TB_MEMAC\"><r tbname=\"TB_MEMAC\" rn=\"3\" id=\"13\"/></rs>")));
    ASSERT_EQ(protocol.RowIdCount(), 1);
    EXPECT_EQ(protocol.RowId(0).TableName, "TB_MEMAC");
    EXPECT_EQ(protocol.RowId(0).RowNo, 3);
    EXPECT_EQ(protocol.RowId(0).Id, 13);
    ASSERT_EQ(protocol.TableCount(), 1); // a table without fields, closed
    EXPECT_FALSE(protocol.Table(0).Rows().Active());
    EXPECT_EQ(protocol.Table(0).Rows().FieldCount(), 0);
}

TEST(ReadXml, KeyRowAttributesDefaultToEmptyAndZero) {
    TQmProtocol protocol;
    ASSERT_TRUE(protocol.ReadXml(Answer("<rs typ=\"recordset\" tbname=\"TB_MEMAC\"><r rn=\"x\"/></rs>")));
    ASSERT_EQ(protocol.RowIdCount(), 1);
    EXPECT_EQ(protocol.RowId(0).TableName, "");
    EXPECT_EQ(protocol.RowId(0).RowNo, 0);
    EXPECT_EQ(protocol.RowId(0).Id, 0);
}

TEST(ReadXml, TypedItemsBecomeParametersInDocumentOrder) {
    struct Case {
        const char* typ;
        const char* text;
        std::uint8_t type; // ptNone: ignored
        const char* value;
    } cases[] = {
        {"integer", "42", ptInteger, "42"},
        {"Integer", " 7 ", ptInteger, "7"},
        {"LONG", "-3", ptInteger, "-3"},
        {"integer", "4x", ptInteger, "0"},
        {"double", "2.50", ptDouble, "2.5"},
        {"double", "abc", ptDouble, "0"},
        {"string", "a b", ptString, "a b"},
        {"date", "2008-06-18", ptString, "2008-06-18"},
        {"int", "1", ptNone, ""},
        {"", "1", ptNone, ""},
    };
    for (const auto& c : cases) {
        TQmProtocol protocol;
        ASSERT_TRUE(
            protocol.ReadXml(Answer(std::string("<x><rs typ=\"") + c.typ + "\">" + c.text + "</rs></x>")));
        if (c.type == ptNone) {
            EXPECT_EQ(protocol.ParamCount(), 0) << c.typ;
            continue;
        }
        ASSERT_EQ(protocol.ParamCount(), 1) << c.typ;
        EXPECT_EQ(protocol.Param(0).ParamType, c.type) << c.typ;
        EXPECT_EQ(protocol.Param(0).Value, c.value) << c.typ;
    }
    TQmProtocol order;
    ASSERT_TRUE(
        order.ReadXml(Answer("<rs typ=\"integer\">5</rs><rs>no typ</rs><a><rs typ=\"string\">x<b>y</b>"
                             "<![CDATA[&z]]></rs></a>")));
    ASSERT_EQ(order.ParamCount(), 2);
    EXPECT_EQ(order.Param(0).AsInteger(), 5);
    EXPECT_EQ(order.Param(1).Value, "xy&z"); // everything inside the element
}

TEST(ReadXml, StatusCodeAndInfo) {
    TQmProtocol protocol;
    ASSERT_TRUE(protocol.ReadXml(Answer("", "<code>5</code><info>refused</info>")));
    EXPECT_EQ(protocol.StatusCode, 5);
    EXPECT_EQ(protocol.StatusInfo, "refused");
    ASSERT_TRUE(protocol.ReadXml(Answer("", ""))); // no code, no info: both stay
    EXPECT_EQ(protocol.StatusCode, 5);
    EXPECT_EQ(protocol.StatusInfo, "refused");
    EXPECT_FALSE(protocol.HasNumericCode());
    ASSERT_TRUE(protocol.ReadXml(Answer("", "<code>bad</code>")));
    EXPECT_EQ(protocol.StatusCode, 0);
    EXPECT_FALSE(protocol.HasNumericCode());
    ASSERT_TRUE(protocol.ReadXml(Answer("", "<code>-1</code>")));
    EXPECT_EQ(protocol.StatusCode, -1);
    EXPECT_TRUE(protocol.HasNumericCode());
}

TEST(ReadXml, DocumentsThatCannotBeReadReturnFalseAndClearLists) {
    const char* cases[] = {
        "",
        "not xml",
        "<quelmar><status>",
        "<other><status><code>1</code></status></other>",
        "<quelmar><code>1</code></quelmar>",
        "<a/><b/>",
    };
    for (const char* text : cases) {
        TQmProtocol protocol;
        ASSERT_TRUE(
            protocol.ReadXml(Answer("<rs typ=\"string\">x</rs><rs typ=\"recordset\"><r rn=\"1\"/></rs>",
                                    "<code>7</code><info>before</info>")));
        EXPECT_FALSE(protocol.ReadXml(text)) << text;
        EXPECT_EQ(protocol.ParamCount(), 0) << text;
        EXPECT_EQ(protocol.TableCount(), 0) << text;
        EXPECT_EQ(protocol.RowIdCount(), 0) << text;
        EXPECT_EQ(protocol.StatusCode, 7) << text;
        EXPECT_EQ(protocol.StatusInfo, "before") << text;
        EXPECT_FALSE(protocol.HasNumericCode()) << text;
    }
}

// XML has no character zero. Wherever one stands, the text is no answer, however it is handed over:
// the parser took it for the end of its text, which ended the document early or not by chance.
TEST(ReadXml, ZeroInTheTextIsNoAnswer) {
    const std::string cases[] = {
        std::string("<quelmar><status/></quelmar\0>", 29),
        Answer("", "<code>1</code>") + std::string(1, '\0'),
        Answer(std::string("<rs typ=\"string\">a\0b</rs>", 25), "<code>1</code>"),
    };
    for (const std::string& text : cases) {
        for (const char* entry : {"narrow", "wide", "document only"}) {
            SCOPED_TRACE(entry);
            TQmProtocol protocol;
            protocol.StatusCode = 7;
            protocol.StatusInfo = "before";
            const bool read = entry[0] == 'n'   ? ReadAnswer(protocol, text)
                              : entry[0] == 'w' ? ReadAnswer(protocol, Utf8ToUtf16(text))
                                                : ReadAnswer(protocol, text, {.DocumentOnly = true});
            EXPECT_FALSE(read);
            EXPECT_EQ(protocol.StatusCode, 7);
            EXPECT_EQ(protocol.StatusInfo, "before");
        }
    }
}

TEST(ReadXml, RecordsetWithoutFieldsAtFirstDataRowStopsTheRead) {
    TQmProtocol protocol;
    EXPECT_FALSE(protocol.ReadXml(Answer("<rs typ=\"string\">first</rs>"
                                         "<rs typ=\"recordset\" tbname=\"t\"><r A=\"1\"/></rs>"
                                         "<rs typ=\"string\">never</rs>")));
    ASSERT_EQ(protocol.ParamCount(), 1);
    ASSERT_EQ(protocol.TableCount(), 1);
    EXPECT_EQ(protocol.Table(0).Rows().QmTableName, "T");
    EXPECT_EQ(protocol.Table(0).Rows().FieldCount(), 0);

    TQmProtocol empty; // no data rows: no fields needed
    EXPECT_TRUE(empty.ReadXml(Answer("<rs typ=\"recordset\"/>")));
    ASSERT_EQ(empty.TableCount(), 1);
    EXPECT_EQ(empty.Table(0).Rows().QmTableName, "UNKNOWN");
}

TEST(ReadXml, RowValuesByExactUpperOrLowerName) {
    TQmProtocol protocol;
    ASSERT_TRUE(protocol.ReadXml(Answer("<rs typ=\"recordset\" tbname=\"t\" fields=\"Ab:VARCHAR2:9 "
                                        "cd:VARCHAR2:9 EF:VARCHAR2:9 D:DATE S:CHAR:30\">"
                                        "<r AB=\"upper\" Ab=\"exact\" cd=\"\" ef=\"lower\" D=\"2008-06-18 "
                                        "13:05:09\" S=\"2008-06-18 13:05:09\"/>"
                                        "<r ab=\"lower\" CD=\"upper\"/></rs>")));
    TMemTable& rows = protocol.Table(0).Rows();
    ASSERT_EQ(rows.RecordCount(), 2);
    rows.First();
    EXPECT_EQ(rows.Fields(0)->AsString(), "exact");
    EXPECT_TRUE(rows.Fields(1)->IsNull()); // empty value
    EXPECT_EQ(rows.Fields(2)->AsString(), "lower");
    EXPECT_EQ(rows.Fields(3)->AsDateTime(), EncodeDate(2008, 6, 18));
    EXPECT_EQ(rows.Fields(4)->AsString(), "2008-06-18 13:05:09");
    rows.Next();
    EXPECT_EQ(rows.Fields(0)->AsString(), "lower");
    EXPECT_EQ(rows.Fields(1)->AsString(), "upper");
    EXPECT_TRUE(rows.Fields(3)->IsNull());
}

// Values are found by name wherever they stand; a repeated name gives the one after the last match.
TEST(ReadXml, RowValuesInAnyAttributeOrder) {
    TQmProtocol protocol;
    ASSERT_TRUE(protocol.ReadXml(Answer("<rs typ=\"recordset\" fields=\"A:VARCHAR2:9 B:VARCHAR2:9 C:NUMBER\">"
                                        "<r C=\"3\" B=\"b\" A=\"a\"/><r B=\"b1\" A=\"a\" B=\"b2\"/>"
                                        "<r X=\"x\" c=\"7\"/></rs>")));
    TMemTable& rows = protocol.Table(0).Rows();
    ASSERT_EQ(rows.RecordCount(), 3);
    rows.First();
    EXPECT_EQ(rows.Fields(0)->AsString(), "a");
    EXPECT_EQ(rows.Fields(1)->AsString(), "b");
    EXPECT_EQ(rows.Fields(2)->AsInteger(), 3);
    rows.Next();
    EXPECT_EQ(rows.Fields(1)->AsString(), "b2");
    rows.Next();
    EXPECT_TRUE(rows.Fields(0)->IsNull());
    EXPECT_EQ(rows.Fields(2)->AsInteger(), 7);
}

// Only an attribute named exactly rn, anywhere in the row, makes it a key row.
TEST(ReadXml, KeyRowsAreKnownByRnAnywhereInTheRow) {
    TQmProtocol protocol;
    ASSERT_TRUE(protocol.ReadXml(Answer("<rs typ=\"recordset\" fields=\"RN:NUMBER rnx:NUMBER\">"
                                        "<r id=\"13\" tbname=\"T\" rn=\"3\"/><r RN=\"4\"/><r rnx=\"5\"/>"
                                        "<r r=\"6\"/></rs>")));
    ASSERT_EQ(protocol.RowIdCount(), 1);
    EXPECT_EQ(protocol.RowId(0).RowNo, 3);
    EXPECT_EQ(protocol.RowId(0).Id, 13);
    EXPECT_EQ(protocol.RowId(0).TableName, "T");
    TMemTable& rows = protocol.Table(0).Rows();
    ASSERT_EQ(rows.RecordCount(), 3);
    rows.First();
    EXPECT_EQ(rows.Fields(0)->AsInteger(), 4);
    rows.Next();
    EXPECT_EQ(rows.Fields(1)->AsInteger(), 5);
}

TEST(ReadXml, TwoRecordsetsOfOneNameGiveTwoTables) {
    TQmProtocol protocol;
    ASSERT_TRUE(
        protocol.ReadXml(Answer("<rs typ=\"RecordSet\" tbname=\"t\"/><rs typ=\"recordset\" tbname=\"t\"/>")));
    EXPECT_EQ(protocol.TableCount(), 2);
}

TEST(ReadXml, HostileValuesRaiseNamedErrors) {
    const char* badFields[] = {"A:VARCHAR2:x", ":NUMBER", "A:NUMBER:1:-1", "A:CHAR:99999999"};
    for (const char* fields : badFields) {
        TQmProtocol protocol;
        EXPECT_THROW(protocol.ReadXml(Answer(std::string("<rs typ=\"recordset\" fields=\"") + fields +
                                             "\"><r A=\"1\"/></rs>")),
                     EConvertError)
            << fields;
    }
    TQmProtocol notANumber;
    EXPECT_THROW(notANumber.ReadXml(Answer("<rs typ=\"recordset\" fields=\"A:NUMBER\"><r A=\"x1\"/></rs>")),
                 EConvertError);
    TQmProtocol duplicate;
    EXPECT_THROW(duplicate.ReadXml(Answer("<rs typ=\"recordset\" fields=\"A a\"><r A=\"1\"/></rs>")),
                 EDatabaseError);
}

// A refused value stops the read with the row still being inserted, the rows before it posted.
TEST(ReadXml, RefusedValueLeavesItsRowPending) {
    TQmProtocol protocol;
    EXPECT_THROW(protocol.ReadXml(Answer("<rs typ=\"recordset\" fields=\"A:NUMBER B:DATE\">"
                                         "<r A=\"1\" B=\"2008-06-02\"/><r A=\"2\" B=\"2008-02-30\"/></rs>")),
                 EConvertError);
    TMemTable& rows = protocol.Table(0).Rows();
    EXPECT_EQ(rows.State(), dsInsert);
    EXPECT_EQ(rows.RecordCount(), 2);
    EXPECT_EQ(rows.FieldByName("A")->AsInteger(), 2);
    rows.Cancel();
    EXPECT_EQ(rows.FieldByName("B")->AsString(), "2008-06-02");
}

// A policy with a list leaves out of a success each row with a value its field refuses, names it
// by its key and the field, and reads on; without one, or in a refusal, the first such value fails
// the read. Both readers, on both texts, do the same.
TEST(ReadXml, RefusedRowsAreLeftOutWhenThePolicyAsks) {
    const std::string body = "<rs typ=\"recordset\" fields=\"K:VARCHAR2:9 A:NUMBER B:DATE\">"
                             "<r K=\"a\" A=\"1\" B=\"2008-06-02\"/><r K=\"b\" A=\"x\" B=\"bad\"/>"
                             "<r tbname=\"T\" rn=\"1\" id=\"7\"/><r K=\"c\" A=\"3\" B=\"2008-02-30\"/>"
                             "<r A=\"4\"/></rs><rs typ=\"string\">after</rs>";
    struct Case {
        const char* what;
        std::string code;
        bool leaveOut;
        bool raises;
        std::vector<int> values;          // of A, in order
        std::vector<std::string> leftOut; // key:field
    } cases[] = {
        {"success, left out", "0", true, false, {1, 4}, {"b:A", "c:B"}},
        {"success, refusal stands", "0", false, true, {1}, {}},
        {"refusal, refusal stands", "5", true, true, {1}, {}},
    };
    for (const Case& c : cases) {
        for (const bool documentOnly : {false, true}) {
            for (const bool wide : {false, true}) {
                SCOPED_TRACE(std::string(c.what) + (documentOnly ? ", document" : ", stream") +
                             (wide ? ", wide" : ""));
                const std::string text = Answer(body, "<code>" + c.code + "</code>");
                std::vector<TLeftOutRow> leftOut;
                TAnswerPolicy policy{.LeftOut = c.leaveOut ? &leftOut : nullptr,
                                     .KeyField = "K",
                                     .DocumentOnly = documentOnly};
                TQmProtocol protocol;
                auto read = [&] {
                    return wide ? ReadAnswer(protocol, Utf8ToUtf16(text), policy)
                                : ReadAnswer(protocol, text, policy);
                };
                if (c.raises) {
                    EXPECT_THROW(read(), EConvertError);
                    EXPECT_EQ(protocol.Table(0).Rows().State(), dsInsert); // the refused row is pending
                    protocol.Table(0).Rows().Cancel();
                    EXPECT_EQ(protocol.ParamCount(), 0);
                } else {
                    ASSERT_TRUE(read());
                    ASSERT_EQ(protocol.RowIdCount(), 1);
                    EXPECT_EQ(protocol.RowId(0).Id, 7);
                    ASSERT_EQ(protocol.ParamCount(), 1);
                    EXPECT_EQ(protocol.Param(0).Value, "after");
                }
                TMemTable& rows = protocol.Table(0).Rows();
                std::vector<int> values;
                for (rows.First(); !rows.Eof(); rows.Next())
                    values.push_back(rows.FieldByName("A")->AsInteger());
                EXPECT_EQ(values, c.values);
                std::vector<std::string> named;
                for (const TLeftOutRow& row : leftOut)
                    named.push_back(row.Key + ":" + row.Field);
                EXPECT_EQ(named, c.leftOut);
            }
        }
    }
}

// The single-pass reader leaves the row out, then finds a comment it leaves to the document
// reader, which reads the answer again: the row is named once.
TEST(ReadXml, RowLeftOutOnceWhenTheDocumentReaderReadsAgain) {
    const std::string text = Answer("<rs typ=\"recordset\" fields=\"K:VARCHAR2:9 A:NUMBER\">"
                                    "<r K=\"a\" A=\"x\"/><r K=\"b\" A=\"2\"/></rs><!-- late -->");
    std::vector<TLeftOutRow> leftOut{{"earlier", "kept"}};
    TQmProtocol protocol;
    ASSERT_TRUE(ReadAnswer(protocol, text, {.LeftOut = &leftOut, .KeyField = "K"}));
    ASSERT_EQ(leftOut.size(), 2u);
    EXPECT_EQ(leftOut[0].Key, "earlier");
    EXPECT_EQ(leftOut[1].Key + ":" + leftOut[1].Field, "a:A");
    EXPECT_EQ(protocol.Table(0).Rows().RecordCount(), 1);
}

TEST(ReadXml, DeeplyNestedAnswerDoesNotCrash) {
    std::string deep;
    for (int i = 0; i < 200000; ++i)
        deep += "<a>";
    deep += "5";
    for (int i = 0; i < 200000; ++i)
        deep += "</a>";
    TQmProtocol protocol;
    EXPECT_TRUE(
        protocol.ReadXml(Answer("<rs typ=\"integer\">" + deep + "</rs>", "<code>" + deep + "</code>")));
    EXPECT_EQ(protocol.StatusCode, 5);
    ASSERT_EQ(protocol.ParamCount(), 1);
    EXPECT_EQ(protocol.Param(0).AsInteger(), 5);
}

} // namespace
} // namespace qm
