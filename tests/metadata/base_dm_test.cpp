// Audit and FLAG stamping: stamps follow the row's state when its post begins.
#include "audit_fixture.h"

namespace qm::testing {
namespace {

using BaseDm = AuditFixture;

TEST_F(BaseDm, FirstPostOfNewRowStampsCreation) {
    StampOnPost();
    Table->Append();
    Table->FieldByName("NAME")->SetAsString("a");
    Table->Post();
    EXPECT_EQ(Table->UpdateStatus(), TUpdateStatus::usInserted);
    EXPECT_EQ(Text("CREATE_USER"), "张三");
    EXPECT_EQ(Text("USER_GROUP"), "财务");
    EXPECT_EQ(Table->FieldByName("CREATE_DATE")->AsDateTime(), EncodeDate(2024, 3, 5));
    EXPECT_EQ(Text("FLAG"), "0");
    EXPECT_TRUE(Null("MODIFIER"));
    EXPECT_TRUE(Null("MODI_DATE"));
}

TEST_F(BaseDm, KeyWriteBackDoesNotRestamp) {
    StampOnPost();
    Table->Append();
    Table->FieldByName("NAME")->SetAsString("a");
    Table->Post();

    SetNowForTesting(EncodeDateTime(2025, 1, 2, 8, 0, 0));
    BSTR other = SysAllocStringUtf8("李四");
    std::swap(Context.UserName, other);
    Table->Edit();
    Table->FieldByName("ID")->SetAsInteger(13);
    Table->Post();
    std::swap(Context.UserName, other);
    SysFreeString(other);

    EXPECT_EQ(Table->UpdateStatus(), TUpdateStatus::usInserted);
    EXPECT_EQ(Text("ID"), "13");
    EXPECT_EQ(Text("CREATE_USER"), "张三");
    EXPECT_EQ(Table->FieldByName("CREATE_DATE")->AsDateTime(), EncodeDate(2024, 3, 5));
    EXPECT_TRUE(Null("MODIFIER"));
}

TEST_F(BaseDm, EditOfLoadedRowStampsOnlyWhenARealColumnChanges) {
    struct Case {
        const char* name;
        const char* loadedFlag;
        const char* newName; // null: NAME untouched
        TUpdateStatus status;
        bool modifierStamped;
    };
    const Case cases[] = {
        {"real change", "0", "b", TUpdateStatus::usModified, true},
        {"nothing changed", "0", nullptr, TUpdateStatus::usUnmodified, false},
        {"same value written", "0", "a", TUpdateStatus::usUnmodified, false},
        {"only FLAG turns 0", "1", nullptr, TUpdateStatus::usModified, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Table->BeforePost = nullptr;
        Table->EmptyTable();
        LoadRow(1, "a", c.loadedFlag);
        StampOnPost();
        Table->Edit();
        if (c.newName) Table->FieldByName("NAME")->SetAsString(c.newName);
        Table->Post();
        EXPECT_EQ(Table->UpdateStatus(), c.status);
        EXPECT_EQ(Text("FLAG"), "0");
        EXPECT_EQ(Table->ChangeCount(), c.status == TUpdateStatus::usUnmodified ? 0 : 1);
        EXPECT_EQ(Null("MODIFIER"), !c.modifierStamped);
        EXPECT_EQ(Null("MODI_DATE"), !c.modifierStamped);
        if (c.modifierStamped) {
            EXPECT_EQ(Text("MODIFIER"), "张三");
            EXPECT_EQ(Table->FieldByName("MODI_DATE")->AsDateTime(), EncodeDate(2024, 3, 5));
        }
        EXPECT_TRUE(Null("CREATE_USER"));
        EXPECT_TRUE(Null("CREATE_DATE"));
    }
}

TEST_F(BaseDm, LaterEditOfModifiedRowRestampsModification) {
    LoadRow(1, "a");
    StampOnPost();
    Table->Edit();
    Table->FieldByName("NAME")->SetAsString("b");
    Table->Post();
    SetNowForTesting(EncodeDateTime(2024, 4, 1, 9, 0, 0));
    Table->Edit();
    Table->FieldByName("NAME")->SetAsString("c");
    Table->Post();
    EXPECT_EQ(Table->FieldByName("MODI_DATE")->AsDateTime(), EncodeDate(2024, 4, 1));
}

TEST_F(BaseDm, WithoutHostContextNothingIsStamped) {
    SetHostContext(nullptr);
    LoadRow(1, "a");
    StampOnPost();
    Table->Edit();
    Table->FieldByName("NAME")->SetAsString("b");
    Table->Post();
    EXPECT_TRUE(Null("MODIFIER"));
    EXPECT_TRUE(Null("MODI_DATE"));

    Table->Append();
    Table->FieldByName("NAME")->SetAsString("n");
    Table->Post();
    EXPECT_TRUE(Null("CREATE_USER"));
    EXPECT_TRUE(Null("USER_GROUP"));
    EXPECT_TRUE(Null("CREATE_DATE"));
    EXPECT_EQ(Text("FLAG"), "0");
}

TEST_F(BaseDm, NullNameSlotsStampEmptyText) {
    SysFreeString(Context.UserName);
    Context.UserName = nullptr;
    StampOnPost();
    Table->Append();
    Table->Post();
    EXPECT_EQ(Text("CREATE_USER"), "");
    EXPECT_EQ(Text("USER_GROUP"), "财务");
}

TEST_F(BaseDm, ClosedTableIsLeftAlone) {
    Table->Close();
    EXPECT_NO_THROW(Dm.SetFlag(0, Table));
    EXPECT_NO_THROW(Dm.SetAuditInfo(Table));
    EXPECT_NO_THROW(Dm.SetAuditInfo(nullptr));
    EXPECT_EQ(Table->State(), dsInactive);
}

TEST_F(BaseDm, SetFlagPutsBrowsingTableIntoEdit) {
    LoadRow(1, "a", "5");
    Dm.SetFlag(0, Table);
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_EQ(Text("FLAG"), "0");
    Dm.SetFlag(-12, Table);
    EXPECT_EQ(Text("FLAG"), "-12");
}

TEST(BaseDmWithoutAuditColumns, StopsQuietlyAtMissingColumn) {
    TBaseDm dm;
    auto* table = new TMemTable(&dm);
    table->FieldDefs().Add("NAME", ftString, 10);
    table->CreateDataSet();
    table->Append();
    table->FieldByName("NAME")->SetAsString("a");
    table->Post();
    THostContext context{};
    SetHostContext(&context);
    EXPECT_NO_THROW(dm.SetFlag(0, table));
    EXPECT_EQ(table->State(), dsEdit); // edit state stays; nothing written
    table->FieldByName("NAME")->SetAsString("b");
    EXPECT_NO_THROW(dm.SetAuditInfo(table));
    EXPECT_NO_THROW(table->Post());
    SetHostContext(nullptr);
}

} // namespace
} // namespace qm::testing
