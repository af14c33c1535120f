// The income-level data module: table roles, the stored TB_MEMAC description and its before-post
// stamping.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "dataset/data_source.h"
#include "dataset/mem_table.h"
#include "metadata/qm_tb_field.h"
#include "modules/tarn204/dm/tarn204_dm.h"
#include "plugin/globals.h"

namespace qm {
namespace {

struct StoredItem {
    const char* name;
    const char* label;
    TFieldType type;
    int fieldWidth, displayWidth;
    bool key, visible, notNull;
    TAlignment alignment;
};

const StoredItem Memac[] = {
    {"MEMAC_ID", "", ftInteger, 0, 22, true, false, false, taRightJustify},
    {"MEMAC001", "收入等级代码", ftString, 4, 20, false, true, false, taLeftJustify},
    {"MEMAC002", "收入等级名称", ftString, 30, 20, false, true, false, taLeftJustify},
    {"MEMAC003", "收入下限", ftInteger, 0, 10, false, true, false, taRightJustify},
    {"MEMAC004", "收入上限", ftInteger, 0, 10, false, true, false, taRightJustify},
    {"CREATE_USER", "", ftString, 12, 12, false, false, true, taLeftJustify},
    {"USER_GROUP", "", ftString, 12, 12, false, false, true, taLeftJustify},
    {"CREATE_DATE", "", ftDate, 0, 7, false, false, true, taLeftJustify},
    {"MODIFIER", "", ftString, 12, 12, false, false, true, taLeftJustify},
    {"MODI_DATE", "", ftDate, 0, 7, false, false, true, taLeftJustify},
    {"FLAG", "", ftInteger, 0, 1, false, false, true, taRightJustify},
};

TEST(Tarn204Dm, TablesCarryTheirRoleTags) {
    TTarn204Dm dm;
    EXPECT_EQ(dm.mtblMain->Tag, 255);
    EXPECT_EQ(dm.mtblMainDelta->Tag, 256);
    EXPECT_EQ(dm.dsMain->DataSet(), dm.mtblMain);
    ASSERT_EQ(dm.ComponentCount(), 4);
    EXPECT_TRUE(dm.mtblMain->BeforePost);
}

TEST(Tarn204Dm, StoredItemsDescribeMemac) {
    TTarn204Dm dm;
    const TQmTbField& meta = *dm.tbfldMain;
    EXPECT_EQ(meta.TableName, "TB_MEMAC");
    EXPECT_EQ(meta.PKName, "MEMAC_ID");
    EXPECT_EQ(meta.GetFKName(), "");
    EXPECT_FALSE(meta.ActiveXml2Fields());
    ASSERT_EQ(meta.TbFields().Count(), 11);
    for (int i = 0; i < 11; ++i) {
        const TTbField* f = meta.TbFields()[i];
        const StoredItem& e = Memac[i];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(f->FieldName, e.name);
        EXPECT_EQ(f->DisplayLabel, e.label);
        EXPECT_EQ(f->DataType, e.type);
        EXPECT_EQ(f->FieldWidth, e.fieldWidth);
        EXPECT_EQ(f->DisplayWidth, e.displayWidth);
        EXPECT_EQ(f->IsKey, e.key);
        EXPECT_EQ(f->Visible, e.visible);
        EXPECT_EQ(f->NotNull, e.notNull);
        EXPECT_EQ(f->Alignment, e.alignment);
        EXPECT_FALSE(f->ReadOnly);
        EXPECT_EQ(f->NumPrec, 0);
        EXPECT_EQ(f->ButtonStyle, gbsNone);
        EXPECT_FALSE(f->IsJoin);
        EXPECT_FALSE(f->IsFK);
        EXPECT_EQ(f->Hint, "");
    }
}

TEST(Tarn204Dm, StoredDocumentImportsToStoredItemsBarPresentation) {
    TTarn204Dm dm;
    std::string stored;
    for (const std::string& line : dm.tbfldMain->XML())
        stored += line + "\n";
    std::ifstream corpus(QM_MEMAC_DOCUMENT);
    std::stringstream file;
    file << corpus.rdbuf();
    EXPECT_EQ(stored, file.str());

    TQmTbField imported;
    imported.SetXML(TTarn204Dm::StoredFieldDocument());
    ASSERT_TRUE(imported.Xml2Fields());
    EXPECT_EQ(imported.TableName, dm.tbfldMain->TableName);
    EXPECT_EQ(imported.PKName, dm.tbfldMain->PKName);
    ASSERT_EQ(imported.TbFields().Count(), 11);
    for (int i = 0; i < 11; ++i) {
        const TTbField* a = imported.TbFields()[i];
        const TTbField* s = dm.tbfldMain->TbFields()[i];
        SCOPED_TRACE(s->FieldName);
        EXPECT_EQ(a->FieldName, s->FieldName);
        EXPECT_EQ(a->DataType, s->DataType);
        EXPECT_EQ(a->FieldWidth, s->FieldWidth);
        EXPECT_EQ(a->Alignment, s->Alignment);
        EXPECT_EQ(a->IsKey, s->IsKey);
        EXPECT_EQ(a->NotNull, s->NotNull);
        EXPECT_EQ(a->ReadOnly, s->ReadOnly);
        EXPECT_EQ(a->NumPrec, s->NumPrec);
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
