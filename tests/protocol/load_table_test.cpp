#include <gtest/gtest.h>

#include <string>

#include "dataset/errors.h"
#include "dataset/mem_table.h"
#include "memac_fixture.h"
#include "protocol/protocol.h"

namespace qm {
namespace {

std::string KeyRows(const std::string& rows) {
    return "<quelmar><status><code>0</code></status><rs typ=\"recordset\" tbname=\"TB_MEMAC\">" + rows +
           "</rs></quelmar>";
}

TEST(LoadTable, AppendsRowsByNameAsUnchanged) {
    TQmProtocol protocol;
    ASSERT_TRUE(
        protocol.ReadXml("<quelmar><status><code>0</code></status><rs typ=\"recordset\" tbname=\"TB_MEMAC\" "
                         "fields=\"MEMAC_ID:NUMBER:22:0 MEMAC001:VARCHAR2:4 EXTRA:VARCHAR2:4 "
                         "CREATE_DATE:DATE\">"
                         "<r MEMAC_ID=\"10\" MEMAC001=\"01\" EXTRA=\"x\" CREATE_DATE=\"2008-06-02\"/>"
                         "<r MEMAC_ID=\"11\" MEMAC001=\"02\"/></rs></quelmar>"));
    TMemTable main;
    test::DefineMemac(main);
    LoadTable(protocol.Table(0), main);
    ASSERT_EQ(main.RecordCount(), 2);
    EXPECT_EQ(main.RecNo(), 1);
    EXPECT_EQ(main.ChangeCount(), 0);
    EXPECT_EQ(main.UpdateStatus(), usUnmodified);
    EXPECT_EQ(main.FieldByName("MEMAC_ID")->AsInteger(), 10);
    EXPECT_EQ(main.FieldByName("CREATE_DATE")->AsDateTime(), EncodeDate(2008, 6, 2));
    EXPECT_TRUE(main.FieldByName("MEMAC002")->IsNull()); // not in the answer
    main.Next();
    EXPECT_EQ(main.FieldByName("MEMAC001")->AsString(), "02");
}

// The loaded rows outlive the answer they came from, and the answer's rows stay as they were.
TEST(LoadTable, LoadedRowsOutliveTheAnswer) {
    const auto answer = [](int id, const char* code) {
        return "<quelmar><status><code>0</code></status><rs typ=\"recordset\" tbname=\"TB_MEMAC\" "
               "fields=\"MEMAC_ID:NUMBER:22:0 MEMAC001:VARCHAR2:4\"><r MEMAC_ID=\"" +
               std::to_string(id) + "\" MEMAC001=\"" + code + "\"/></rs></quelmar>";
    };
    TMemTable main;
    test::DefineMemac(main);
    {
        TQmProtocol protocol;
        ASSERT_TRUE(protocol.ReadXml(answer(10, "01")));
        LoadTable(protocol.Table(0), main);
        main.Edit();
        main.FieldByName("MEMAC001")->SetAsString("09");
        main.Post();
        TMemTable& rows = protocol.Table(0).Rows();
        rows.First();
        EXPECT_EQ(rows.FieldByName("MEMAC001")->AsString(), "01");
        ASSERT_TRUE(protocol.ReadXml(answer(11, "02"))); // the first answer's tables are dropped
        LoadTable(protocol.Table(0), main);
    }
    ASSERT_EQ(main.RecordCount(), 2);
    EXPECT_EQ(main.FieldByName("MEMAC001")->AsString(), "09");
    main.Next();
    EXPECT_EQ(main.FieldByName("MEMAC_ID")->AsInteger(), 11);
    EXPECT_EQ(main.FieldByName("MEMAC001")->AsString(), "02");
    EXPECT_EQ(main.ChangeCount(), 1);
}

TEST(LoadTable, EmptyRecordsetLeavesTargetEmpty) {
    TQmProtocol protocol;
    ASSERT_TRUE(protocol.ReadXml(KeyRows("")));
    TMemTable main;
    test::DefineMemac(main);
    LoadTable(protocol.Table(0), main);
    EXPECT_EQ(main.RecordCount(), 0);
}

TEST(LoadTable, ValueTheTargetCannotHoldRaisesConversionError) {
    TQmProtocol text;
    ASSERT_TRUE(text.ReadXml("<quelmar><status/><rs typ=\"recordset\" fields=\"MEMAC003:VARCHAR2:9\">"
                             "<r MEMAC003=\"lots\"/></rs></quelmar>"));
    TMemTable main;
    test::DefineMemac(main);
    EXPECT_THROW(LoadTable(text.Table(0), main), EConvertError);
}

TEST(ApplyKeys, InsertedRowsTakeTheirKeysOthersStay) {
    // positions: 1 unchanged, 2 inserted, 3 unchanged, 4 modified, 5 inserted, 6 inserted
    TMemTable main;
    test::DefineMemac(main);
    for (const char* key : {"1", "2", "3"})
        test::AppendRow(main, {key});
    main.MergeChangeLog();
    main.SetRecNo(2);
    main.Insert();
    main.FieldByName("MEMAC_ID")->SetAsString("-2");
    main.Post();
    main.SetRecNo(4);
    main.Edit();
    main.FieldByName("MEMAC001")->SetAsString("m");
    main.Post();
    test::AppendRow(main, {"-5"});
    test::AppendRow(main, {"-6"});
    main.SetRecNo(3);

    TQmProtocol protocol;
    ASSERT_TRUE(protocol.ReadXml(KeyRows("<r tbname=\"TB_MEMAC\" rn=\"2\" id=\"101\"/>"
                                         "<r tbname=\"tb_memac\" rn=\"5\" id=\"102\"/>"
                                         "<r tbname=\"TB_MEMAC\" rn=\"4\" id=\"999\"/>" // modified row
                                         "<r rn=\"6\" id=\"555\"/>")));                 // no tbname
    int posts = 0;
    main.BeforePost = [&](TMemTable*) { ++posts; };
    protocol.ApplyKeys(main);
    EXPECT_EQ(main.RecNo(), 3);
    EXPECT_EQ(posts, 2);
    const struct {
        int pos;
        std::int32_t key;
        TUpdateStatus status;
    } expected[] = {{1, 1, usUnmodified}, {2, 101, usInserted}, {3, 2, usUnmodified},
                    {4, 3, usModified},   {5, 102, usInserted}, {6, -6, usInserted}};
    for (const auto& e : expected) {
        main.SetRecNo(e.pos);
        EXPECT_EQ(main.FieldByName("MEMAC_ID")->AsInteger(), e.key) << e.pos;
        EXPECT_EQ(main.UpdateStatus(), e.status) << e.pos;
    }
}

TEST(ApplyKeys, InsertedRowWithoutKeyKeepsItsValueAndIsNotPosted) {
    TMemTable main;
    test::DefineMemac(main);
    test::AppendRow(main, {"7"});
    test::AppendRow(main, {{}});
    int posts = 0;
    main.BeforePost = [&](TMemTable*) { ++posts; };
    TQmProtocol protocol;
    ASSERT_TRUE(protocol.ReadXml(KeyRows("<r tbname=\"TB_OTHER\" rn=\"1\" id=\"5\"/>")));
    protocol.ApplyKeys(main);
    EXPECT_EQ(posts, 0);
    main.First();
    EXPECT_EQ(main.FieldByName("MEMAC_ID")->AsInteger(), 7);
    main.Next();
    EXPECT_TRUE(main.FieldByName("MEMAC_ID")->IsNull());
}

TEST(ApplyKeys, MissingKeyFieldRaisesAfterRestoringPosition) {
    TMemTable main;
    test::DefineMemac(main);
    main.PKName = "NO_SUCH";
    test::AppendRow(main, {"1"});
    test::AppendRow(main, {"2"});
    main.SetRecNo(2);
    TQmProtocol protocol;
    ASSERT_TRUE(protocol.ReadXml(KeyRows("<r tbname=\"TB_MEMAC\" rn=\"1\" id=\"5\"/>")));
    EXPECT_THROW(protocol.ApplyKeys(main), EDatabaseError);
    EXPECT_EQ(main.RecNo(), 2);
    EXPECT_EQ(main.State(), dsBrowse);
}

} // namespace
} // namespace qm
