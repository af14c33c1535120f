// The income-level data module: table roles, the stored TB_MEMAC description and its before-post
// stamping.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "dataset/data_source.h"
#include "dataset/mem_table.h"
#include "metadata/qm_tb_field.h"
#include "modules/tarn204/dm/tarn204_dm.h"
#include "plugin/globals.h"

namespace qm {
namespace {

TEST(Tarn204Dm, TablesCarryTheirRoleTags) {
    TTarn204Dm dm;
    EXPECT_EQ(dm.mtblMain->Tag, 255);
    EXPECT_EQ(dm.mtblMainDelta->Tag, 256);
    EXPECT_EQ(dm.dsMain->DataSet(), dm.mtblMain);
    ASSERT_EQ(dm.ComponentCount(), 4);
    EXPECT_TRUE(dm.mtblMain->BeforePost);
}

// The module's items are the documented TB_MEMAC file as an import reads it; what the file does not
// hold is how the form shows them: a label on each column the clerk sees, none on the others.
TEST(Tarn204Dm, StoredItemsAreTheDocumentedFile) {
    TTarn204Dm dm;
    std::ifstream corpus(QM_MEMAC_DOCUMENT);
    std::stringstream file;
    file << corpus.rdbuf();
    std::string stored;
    for (const std::string& line : dm.tbfldMain->XML())
        stored += line + "\n";
    EXPECT_EQ(stored, file.str());

    TQmTbField imported;
    imported.SetXMLText(file.str());
    ASSERT_TRUE(imported.Xml2Fields());
    const TQmTbField& meta = *dm.tbfldMain;
    EXPECT_EQ(meta.TableName, imported.TableName);
    EXPECT_EQ(meta.PKName, imported.PKName);
    EXPECT_EQ(meta.GetFKName(), "");
    EXPECT_FALSE(meta.ActiveXml2Fields());
    ASSERT_EQ(meta.TbFields().Count(), imported.TbFields().Count());
    for (int i = 0; i < meta.TbFields().Count(); ++i) {
        const TTbField* s = meta.TbFields()[i];
        const TTbField* a = imported.TbFields()[i];
        SCOPED_TRACE(a->FieldName);
        EXPECT_EQ(s->FieldName, a->FieldName);
        EXPECT_EQ(s->DataType, a->DataType);
        EXPECT_EQ(s->FieldWidth, a->FieldWidth);
        EXPECT_EQ(s->Alignment, a->Alignment);
        EXPECT_EQ(s->IsKey, a->IsKey);
        EXPECT_EQ(s->NotNull, a->NotNull);
        EXPECT_EQ(s->ReadOnly, a->ReadOnly);
        EXPECT_EQ(s->NumPrec, a->NumPrec);
        EXPECT_EQ(s->ButtonStyle, a->ButtonStyle);
        EXPECT_EQ(s->IsJoin, a->IsJoin);
        EXPECT_EQ(s->IsFK, a->IsFK);
        EXPECT_EQ(s->Hint, a->Hint);
        EXPECT_EQ(s->Visible, !s->DisplayLabel.empty());
        EXPECT_EQ(s->Visible, !s->IsKey && !s->NotNull); // the key and the stamps stay hidden
    }
}

class Tarn204Posting : public ::testing::Test {
protected:
    void SetUp() override {
        SetNowForTesting(EncodeDateTime(2024, 6, 1, 12, 0, 0));
        Context.UserName = SysAllocStringUtf8("admin");
        Context.UserGroup = SysAllocStringUtf8("G1");
        SetHostContext(&Context);
        // The binding's table part: same definitions on both tables, delta first.
        for (TMemTable* t : {Dm.mtblMain, Dm.mtblMainDelta})
            for (int i = 0; i < Dm.tbfldMain->TbFields().Count(); ++i) {
                const TTbField* f = Dm.tbfldMain->TbFields()[i];
                t->FieldDefs().Add(f->FieldName, f->DataType, f->FieldWidth);
            }
        Dm.mtblMainDelta->CreateDataSet();
        Dm.mtblMain->CreateDataSet();
    }
    void TearDown() override {
        SetHostContext(nullptr);
        SysFreeString(Context.UserName);
        SysFreeString(Context.UserGroup);
        ClearNowForTesting();
    }
    std::string Text(const char* field) const { return Dm.mtblMain->FieldByName(field)->AsString(); }

    TTarn204Dm Dm;
    THostContext Context{};
};

TEST_F(Tarn204Posting, NewRowGetsFlagAndCreationStamps) {
    Dm.mtblMain->Append();
    Dm.mtblMain->FieldByName("MEMAC001")->SetAsString("A1");
    Dm.mtblMain->Post();
    EXPECT_EQ(Text("FLAG"), "0");
    EXPECT_EQ(Text("CREATE_USER"), "admin");
    EXPECT_EQ(Text("USER_GROUP"), "G1");
    EXPECT_EQ(Text("CREATE_DATE"), "2024-06-01");
    EXPECT_EQ(Text("MODIFIER"), "");
}

TEST_F(Tarn204Posting, SavedRowEditStampsModificationAndDeleteIsTracked) {
    Dm.mtblMain->Append();
    Dm.mtblMain->FieldByName("MEMAC_ID")->SetAsInteger(3);
    Dm.mtblMain->FieldByName("MEMAC001")->SetAsString("A1");
    Dm.mtblMain->Post();
    Dm.mtblMain->MergeChangeLog();

    Dm.mtblMain->Edit();
    Dm.mtblMain->FieldByName("MEMAC002")->SetAsString("低收入");
    Dm.mtblMain->Post();
    EXPECT_EQ(Text("MODIFIER"), "admin");
    EXPECT_EQ(Text("MODI_DATE"), "2024-06-01");

    Dm.mtblMain->Delete();
    ASSERT_EQ(Dm.mtblMainDelta->RecordCount(), 1);
    EXPECT_EQ(Dm.mtblMainDelta->FieldByName("MEMAC_ID")->AsInteger(), 3);
    EXPECT_EQ(Dm.mtblMainDelta->FieldByName("MEMAC002")->AsString(), "低收入");
}

} // namespace
} // namespace qm
