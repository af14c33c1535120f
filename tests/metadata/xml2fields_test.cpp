// Importing field-metadata documents: the stored TB_MEMAC document, attribute reading, element
// matching, the switch, and documents that are blank, incomplete or broken.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "metadata/qm_tb_field.h"

namespace qm {
namespace {

std::string ReadFile(const char* path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Imports one document; the caller checks the result.
bool Import(TQmTbField& meta, const std::string& text) {
    meta.SetXMLText(text);
    return meta.Xml2Fields();
}

std::string OneFiled(const std::string& attributes) {
    return "<table tablename=\"T\"><fields><filed " + attributes + "/></fields></table>";
}

TEST(Xml2Fields, StoredMemacDocumentGivesItsColumns) {
    const std::string text = ReadFile(QM_MEMAC_DOCUMENT);
    ASSERT_FALSE(text.empty());
    TQmTbField meta;
    ASSERT_TRUE(Import(meta, text));
    EXPECT_EQ(meta.TableName, "TB_MEMAC");
    EXPECT_EQ(meta.PKName, "MEMAC_ID");
    EXPECT_TRUE(meta.XML().empty());

    struct Expected {
        const char* name;
        TFieldType type;
        int fieldWidth, displayWidth;
        TAlignment alignment;
        bool key, notNull;
    };
    const Expected expected[] = {
        {"MEMAC_ID", ftInteger, 0, 22, taRightJustify, true, false},
        {"MEMAC001", ftString, 4, 4, taLeftJustify, false, false},
        {"MEMAC002", ftString, 30, 30, taLeftJustify, false, false},
        {"MEMAC003", ftInteger, 0, 12, taRightJustify, false, false},
        {"MEMAC004", ftInteger, 0, 12, taRightJustify, false, false},
        {"CREATE_USER", ftString, 12, 12, taLeftJustify, false, true},
        {"USER_GROUP", ftString, 12, 12, taLeftJustify, false, true},
        {"CREATE_DATE", ftDate, 0, 7, taLeftJustify, false, true},
        {"MODIFIER", ftString, 12, 12, taLeftJustify, false, true},
        {"MODI_DATE", ftDate, 0, 7, taLeftJustify, false, true},
        {"FLAG", ftInteger, 0, 1, taRightJustify, false, true},
    };
    ASSERT_EQ(meta.TbFields().Count(), 11);
    for (int i = 0; i < 11; ++i) {
        const TTbField* f = meta.TbFields()[i];
        const Expected& e = expected[i];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(f->FieldName, e.name);
        EXPECT_EQ(f->DataType, e.type);
        EXPECT_EQ(f->FieldWidth, e.fieldWidth);
        EXPECT_EQ(f->DisplayWidth, e.displayWidth);
        EXPECT_EQ(f->Alignment, e.alignment);
        EXPECT_EQ(f->IsKey, e.key);
        EXPECT_EQ(f->NotNull, e.notNull);
        EXPECT_EQ(f->DisplayLabel, "");
        EXPECT_EQ(f->Hint, "");
        EXPECT_EQ(f->NumPrec, 0);
        EXPECT_FALSE(f->ReadOnly);
        EXPECT_TRUE(f->Visible); // the document carries no VS
        EXPECT_EQ(f->ButtonStyle, gbsNone);
        EXPECT_FALSE(f->IsJoin);
        EXPECT_FALSE(f->IsFK);
        EXPECT_EQ(f->DropDownTag, 0);
    }
    EXPECT_EQ(meta.GetFKName(), "");
}

TEST(Xml2Fields, ReadsEachAttributeByItsRule) {
    struct Case {
        const char* attributes;
        TFieldType type;
        int fieldWidth;
        TAlignment alignment;
        bool key, readOnly, visible, notNull;
        int displayWidth, numPrec;
    };
    const Case cases[] = {
        // Missing flags read as true; a missing type is a text field of width 0.
        {R"(FN="A")", ftString, 0, taLeftJustify, true, true, true, true, 0, 0},
        {R"(FN="A" KEY="00" RO="no" VS="" NN="1")", ftString, 0, taLeftJustify, true, true, true, true, 0, 0},
        {R"(FN="A" KEY=" 0 " RO="0" VS="	0
" NN="0")",
         ftString, 0, taLeftJustify, false, false, false, false, 0, 0},
        {R"(FN="A" DT="number" NP="2" FW="9" KEY="0")", ftFloat, 0, taRightJustify, false, true, true, true,
         0, 2},
        {R"(FN="A" DT="Number" NP="0" FW="9" KEY="0")", ftInteger, 0, taRightJustify, false, true, true, true,
         0, 0},
        {R"(FN="A" DT="INTEGER" NP="3" KEY="0")", ftInteger, 0, taRightJustify, false, true, true, true, 0,
         3},
        {R"(FN="A" DT="varchar2" FW="17" KEY="0")", ftString, 17, taLeftJustify, false, true, true, true, 0,
         0},
        {R"(FN="A" DT="VARCHAR2" FW="abc" KEY="0")", ftString, 0, taLeftJustify, false, true, true, true, 0,
         0},
        {R"(FN="A" DT=" VARCHAR2" FW="5" KEY="0")", ftString, 0, taLeftJustify, false, true, true, true, 0,
         0},
        {R"(FN="A" DT="DATE" FW="7" KEY="0")", ftDate, 0, taLeftJustify, false, true, true, true, 0, 0},
        {R"(FN="A" DT="CLOB" FW="7" KEY="0")", ftString, 0, taLeftJustify, false, true, true, true, 0, 0},
        {R"(FN="A" DW="-3" NP="x" KEY="0")", ftString, 0, taLeftJustify, false, true, true, true, -3, 0},
        {R"(FN="A" DW="99999999999" NP="1e3" KEY="0")", ftString, 0, taLeftJustify, false, true, true, true,
         0, 0},
        {R"(FN="A" DW=" 12" NP="+4" KEY="0")", ftString, 0, taLeftJustify, false, true, true, true, 0, 4},
        // Attribute names ignore letter case.
        {R"(fn="A" dt="varchar2" fw="3" Key="0" rO="0" vs="0" nN="0" dw="8")", ftString, 3, taLeftJustify,
         false, false, false, false, 8, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attributes);
        TQmTbField meta;
        ASSERT_TRUE(Import(meta, OneFiled(c.attributes)));
        ASSERT_EQ(meta.TbFields().Count(), 1);
        const TTbField* f = meta.TbFields()[0];
        EXPECT_EQ(f->FieldName, "A");
        EXPECT_EQ(f->DataType, c.type);
        EXPECT_EQ(f->FieldWidth, c.fieldWidth);
        EXPECT_EQ(f->Alignment, c.alignment);
        EXPECT_EQ(f->IsKey, c.key);
        EXPECT_EQ(f->ReadOnly, c.readOnly);
        EXPECT_EQ(f->Visible, c.visible);
        EXPECT_EQ(f->NotNull, c.notNull);
        EXPECT_EQ(f->DisplayWidth, c.displayWidth);
        EXPECT_EQ(f->NumPrec, c.numPrec);
        EXPECT_EQ(meta.PKName, c.key ? "A" : "");
    }
}

TEST(Xml2Fields, TextAttributesAreCopiedUnchanged) {
    TQmTbField meta;
    ASSERT_TRUE(Import(meta, OneFiled(R"(FN=" mixed_Case " DL="收入 &amp; 支出" HT="提示")")));
    const TTbField* f = meta.TbFields()[0];
    EXPECT_EQ(f->FieldName, " mixed_Case ");
    EXPECT_EQ(f->DisplayLabel, "收入 & 支出");
    EXPECT_EQ(f->Hint, "提示");
}

TEST(Xml2Fields, ElementNamesIgnoreCaseAndOnlyFirstFieldsCounts) {
    TQmTbField meta;
    ASSERT_TRUE(Import(meta, R"(<?xml version="1.0"?>
<TABLE TableName="TB_X">
  <!-- a comment -->
  <other><filed FN="NOT_ME"/></other>
  <Fields>
    <FILED FN="A" KEY="0"/>
    <field FN="IGNORED"/>
    text
    <FiLeD FN="B" KEY="0"><filed FN="NESTED"/></FiLeD>
  </Fields>
  <fields><filed FN="SECOND"/></fields>
</TABLE>)"));
    EXPECT_EQ(meta.TableName, "TB_X");
    ASSERT_EQ(meta.TbFields().Count(), 2);
    EXPECT_EQ(meta.TbFields()[0]->FieldName, "A");
    EXPECT_EQ(meta.TbFields()[1]->FieldName, "B");
    EXPECT_EQ(meta.PKName, "");
}

TEST(Xml2Fields, KeyNameKeepsLastKeyOrEarlierValue) {
    TQmTbField meta;
    meta.PKName = "OLD";
    meta.TableName = "OLD_TABLE";
    ASSERT_TRUE(Import(meta, R"(<t><fields><filed FN="A" KEY="0"/></fields></t>)"));
    EXPECT_EQ(meta.PKName, "OLD"); // no key column: kept
    EXPECT_EQ(meta.TableName, ""); // set even when the attribute is absent
    ASSERT_TRUE(Import(
        meta, R"(<t><fields><filed FN="A"/><filed FN="B" KEY="1"/><filed FN="C" KEY="0"/></fields></t>)"));
    EXPECT_EQ(meta.PKName, "B");
}

TEST(Xml2Fields, FieldsWithoutItemsEmptiesCollection) {
    TQmTbField meta;
    meta.TbFields().Add();
    meta.PKName = "KEEP";
    ASSERT_TRUE(Import(meta, R"(<table tablename="TB_E"><fields/></table>)"));
    EXPECT_EQ(meta.TbFields().Count(), 0);
    EXPECT_EQ(meta.TableName, "TB_E");
    EXPECT_EQ(meta.PKName, "KEEP");
    EXPECT_TRUE(meta.XML().empty());
}

// What stays after an import that gives no columns: the collection and names are untouched.
struct FailedImport {
    const char* name;
    std::string text;
    bool throws;
    bool linesEmptied;
};

TEST(Xml2Fields, FailedImportsKeepCollectionAndNames) {
    const FailedImport cases[] = {
        {"empty", "", false, false},
        {"blank lines", " \n\t\r\n  ", false, false},
        {"no fields element", R"(<table tablename="NEW"><filed FN="X"/></table>)", false, true},
        {"fields not under root", R"(<table tablename="NEW"><x><fields><filed FN="X"/></fields></x></table>)",
         false, true},
        {"malformed", R"(<table tablename="NEW"><fields><filed FN="X"></fields></table>)", true, true},
        {"unterminated attribute", R"(<table tablename="NEW><fields/></table>)", true, true},
        {"declaration only", R"(<?xml version="1.0"?>)", true, true},
        {"text only", "not xml at all", true, true},
        {"two roots", R"(<a/><b/>)", false, true},
    };
    for (const FailedImport& c : cases) {
        SCOPED_TRACE(c.name);
        TQmTbField meta;
        meta.TbFields().Add()->FieldName = "KEEP";
        meta.TableName = "T0";
        meta.PKName = "P0";
        meta.SetXMLText(c.text);
        if (c.throws)
            EXPECT_THROW(meta.Xml2Fields(), EMetadataXmlError);
        else
            EXPECT_FALSE(meta.Xml2Fields());
        EXPECT_EQ(meta.XML().empty(), c.linesEmptied || c.text.empty());
        ASSERT_EQ(meta.TbFields().Count(), 1);
        EXPECT_EQ(meta.TbFields()[0]->FieldName, "KEEP");
        EXPECT_EQ(meta.TableName, "T0");
        EXPECT_EQ(meta.PKName, "P0");
    }
}

TEST(Xml2Fields, ExternalEntitiesAreNotExpanded) {
    TQmTbField meta;
    ASSERT_TRUE(Import(meta, R"(<?xml version="1.0"?>
<!DOCTYPE t [<!ENTITY e SYSTEM "file:///etc/hostname">]>
<t><fields><filed FN="&e;" KEY="0"/></fields></t>)"));
    EXPECT_EQ(meta.TbFields()[0]->FieldName, "&e;");
}

TEST(ActiveXml2Fields, ImportsOnlyWhenTurnedOn) {
    const std::string doc = OneFiled(R"(FN="A")");
    TQmTbField meta;
    meta.SetXMLText(doc);
    meta.SetActiveXml2Fields(false); // no change: nothing happens
    EXPECT_EQ(meta.TbFields().Count(), 0);
    EXPECT_FALSE(meta.XML().empty());

    meta.SetActiveXml2Fields(true);
    EXPECT_TRUE(meta.ActiveXml2Fields());
    EXPECT_EQ(meta.TbFields().Count(), 1);
    EXPECT_TRUE(meta.XML().empty());

    // Still on: setting it again does not import the new text.
    meta.SetXMLText(OneFiled(R"(FN="B")"));
    meta.SetActiveXml2Fields(true);
    EXPECT_EQ(meta.TbFields()[0]->FieldName, "A");

    meta.SetActiveXml2Fields(false);
    EXPECT_FALSE(meta.ActiveXml2Fields());
    EXPECT_EQ(meta.TbFields()[0]->FieldName, "A");
    meta.SetActiveXml2Fields(true);
    EXPECT_EQ(meta.TbFields()[0]->FieldName, "B");
}

TEST(ActiveXml2Fields, ParseErrorPassesOnAndSwitchStaysOn) {
    TQmTbField meta;
    meta.SetXMLText("<broken");
    EXPECT_THROW(meta.SetActiveXml2Fields(true), EMetadataXmlError);
    EXPECT_TRUE(meta.ActiveXml2Fields());
    EXPECT_TRUE(meta.XML().empty());
}

TEST(ActiveXml2Fields, ResultOfBlankImportIsNotReported) {
    TQmTbField meta;
    meta.SetXML({"", "   "});
    EXPECT_NO_THROW(meta.SetActiveXml2Fields(true));
    EXPECT_TRUE(meta.ActiveXml2Fields());
    EXPECT_EQ(meta.XML().size(), 2u);
}

} // namespace
} // namespace qm
