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
using test::Values;

// A master TB_A (key A_ID) and a detail TB_B (key B_ID, foreign key A_ID).
struct MasterDetail {
    TMemTable a, aDeleted, b, bDeleted;

    static void Define(TMemTable& t, const char* name, const char* pk, const char* fk, bool detail) {
        t.FieldDefs().Add(pk, ftInteger);
        if (detail) t.FieldDefs().Add("A_ID", ftInteger);
        t.FieldDefs().Add("V", ftString, 10);
        t.CreateDataSet();
        t.QmTableName = name;
        t.PKName = pk;
        t.FKName = fk;
        t.SetCachedUpdates(true);
    }
    explicit MasterDetail(const char* detailFk = "TB_A:A_ID") {
        Define(a, "TB_A", "A_ID", "", false);
        Define(aDeleted, "TB_A", "A_ID", "", false);
        Define(b, "TB_B", "B_ID", detailFk, true);
        Define(bDeleted, "TB_B", "B_ID", detailFk, true);
    }
    std::string Write(bool deleteMode = false) {
        TQmProtocol protocol;
        protocol.DeleteMode = deleteMode;
        protocol.SetCopyMode(cmAllRows);
        TQmTable& master = protocol.Table(protocol.AddTable());
        FillRows(master, a);
        FillDeleted(master, aDeleted);
        TQmTable& detail = master.Child(master.AddChild());
        detail.CopyMode = cmCurrentRow; // a child copies every row anyway
        FillRows(detail, b);
        FillDeleted(detail, bDeleted);
        return protocol.WriteXml();
    }
};

const Node kMasterParam{"param", 3, {{"typ", "recordset"}, {"tbname", "TB_A"}}};

TEST(ChildTables, UnchangedParentCarriesChangedChildRows) {
    MasterDetail md;
    test::AppendRow(md.a, {"1", "a1"});
    test::AppendRow(md.a, {"2", "a2"});
    test::AppendRow(md.b, {"10", "1", "b10"});
    test::AppendRow(md.b, {"20", "2", "b20"});
    md.a.MergeChangeLog();
    md.b.MergeChangeLog();
    md.b.First();
    md.b.Edit();
    md.b.FieldByName("V")->SetAsString("new");
    md.b.Post();

    const auto nodes = Flatten(md.Write());
    ASSERT_EQ(nodes.size(), 7u);
    EXPECT_EQ(nodes[3], kMasterParam);
    EXPECT_EQ(nodes[4], (Node{"TB_A", 4, {{"op", "0"}, {"pk", "A_ID"}, {"fk", ""}, {"A_ID", "1"}}}));
    EXPECT_EQ(nodes[5], (Node{"child", 5, {{"tbname", "TB_B"}}}));
    EXPECT_EQ(nodes[6], (Node{"TB_B",
                              6,
                              {{"op", "3"},
                               {"pk", "B_ID"},
                               {"fk", "TB_A:A_ID"},
                               {"B_ID", "10"},
                               {"A_ID", "1"},
                               {"V", "new"}}}));
}

TEST(ChildTables, DeletedChildRowsTravelUnderAKeylessCarrier) {
    MasterDetail md;
    test::AppendRow(md.a, {"1", "a1"});
    test::AppendRow(md.b, {"20", "2", "b20"});
    test::AppendRow(md.bDeleted, {"10", "1", "b10"});
    md.a.MergeChangeLog();
    md.b.MergeChangeLog();

    const auto nodes = Flatten(md.Write());
    ASSERT_EQ(nodes.size(), 7u);
    EXPECT_EQ(nodes[4], (Node{"TB_A", 4, {{"op", "0"}, {"pk", "A_ID"}, {"fk", ""}}}));
    EXPECT_EQ(nodes[5], (Node{"child", 5, {{"tbname", "TB_B"}}}));
    EXPECT_EQ(nodes[6],
              (Node{"TB_B", 6, {{"op", "4"}, {"pk", "B_ID"}, {"fk", "TB_A:A_ID"}, {"B_ID", "10"}}}));
}

TEST(ChildTables, DeletedParentCascadesToChildWithoutKey) {
    MasterDetail md;
    test::AppendRow(md.aDeleted, {"3", "a3"});
    const auto nodes = Flatten(md.Write(true));
    ASSERT_EQ(nodes.size(), 7u);
    EXPECT_EQ(nodes[4], (Node{"TB_A", 4, {{"op", "2"}, {"pk", "A_ID"}, {"fk", ""}, {"A_ID", "3"}}}));
    EXPECT_EQ(nodes[5], (Node{"child", 5, {{"tbname", "TB_B"}}}));
    EXPECT_EQ(nodes[6], (Node{"TB_B", 6, {{"op", "2"}, {"pk", "B_ID"}, {"fk", "TB_A:A_ID"}}}));
}

TEST(ChildTables, InsertedParentWritesItsChildrenFilteredByKey) {
    MasterDetail md;
    test::AppendRow(md.a, {"5", "a5"});
    test::AppendRow(md.b, {"50", "5", "mine"});
    test::AppendRow(md.b, {"60", "6", "other"});
    const auto nodes = Flatten(md.Write());
    ASSERT_EQ(nodes.size(), 7u);
    EXPECT_EQ(nodes[4].attrs[0], (std::pair<std::string, std::string>{"op", "1"}));
    EXPECT_EQ(nodes[5], (Node{"child", 5, {{"tbname", "TB_B"}}}));
    EXPECT_EQ(nodes[6].attrs.back(), (std::pair<std::string, std::string>{"V", "mine"}));
}

TEST(ChildTables, ChildWithoutForeignKeyForParentRaisesDatasetError) {
    MasterDetail md("TB_OTHER:A_ID");
    test::AppendRow(md.a, {"5", "a5"});
    test::AppendRow(md.b, {"50", "5", "b"});
    try {
        md.Write();
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("TB_B"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("TB_A"), std::string::npos);
    }
}

TEST(ChildTables, HasDeletedBelowLooksAtEveryDepth) {
    TQmTable top;
    TQmTable& mid = top.Child(top.AddChild());
    TQmTable& leaf = mid.Child(mid.AddChild());
    EXPECT_FALSE(HasDeletedBelow(top));
    leaf.Deleted().FieldDefs().Add("X", ftInteger);
    leaf.Deleted().CreateDataSet();
    test::AppendRow(leaf.Deleted(), {"1"});
    EXPECT_TRUE(HasDeletedBelow(top));
    EXPECT_TRUE(HasDeletedBelow(mid));
    EXPECT_FALSE(HasDeletedBelow(leaf));
}

TEST(ChildTables, TableWithoutChildrenNeverWritesOpZero) {
    TMemTable main, deleted;
    test::MakeWorkedExample(main, deleted);
    main.MergeChangeLog();
    TQmProtocol protocol;
    protocol.SetCopyMode(cmAllRows);
    FillRows(protocol.Table(protocol.AddTable()), main);
    EXPECT_EQ(protocol.WriteXml().find("op=\"0\""), std::string::npos);
}

} // namespace
} // namespace qm
