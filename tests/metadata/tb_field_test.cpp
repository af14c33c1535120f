// Column descriptions: defaults, naming of new items, copying, the foreign-key list.
#include <gtest/gtest.h>

#include "metadata/qm_tb_field.h"

namespace qm {
namespace {

TEST(TbField, NewItemHasDocumentedDefaults) {
    TQmTbField meta;
    const TTbField* f = meta.TbFields().Add();
    EXPECT_EQ(f->Alignment, taLeftJustify);
    EXPECT_EQ(f->FieldName, "Field1");
    EXPECT_EQ(f->DataType, ftUnknown);
    EXPECT_EQ(f->DisplayWidth, 0);
    EXPECT_EQ(f->FieldWidth, 0);
    EXPECT_FALSE(f->IsKey);
    EXPECT_FALSE(f->ReadOnly);
    EXPECT_TRUE(f->Visible);
    EXPECT_FALSE(f->NotNull);
    EXPECT_FALSE(f->IsJoin);
    EXPECT_FALSE(f->IsFK);
    EXPECT_EQ(f->ButtonStyle, gbsNone);
    EXPECT_EQ(f->DropDownTag, 0);
    EXPECT_FALSE(f->OnUpdateData);
    EXPECT_EQ(meta.TbFields().Owner(), &meta);
    EXPECT_FALSE(meta.ActiveXml2Fields());
}

TEST(TbField, NewItemTakesSmallestFreeNumberIgnoringCase) {
    TQmTbField meta;
    TTbFields& items = meta.TbFields();
    items.Add();                      // Field1
    items.Add()->FieldName = "other"; // was Field2
    items.Add();                      // Field2 again, since the name above was changed
    EXPECT_EQ(items[2]->FieldName, "Field2");
    items[1]->FieldName = "FIELD3";
    items[2]->FieldName = "field4";
    EXPECT_EQ(items.Add()->FieldName, "Field2");
    items[0]->FieldName = "x";
    EXPECT_EQ(items.Add()->FieldName, "Field1");
}

TEST(TbField, NumberTwoFreeBetweenOneAndLowerCaseThree) {
    TQmTbField meta;
    meta.TbFields().Add()->FieldName = "Field1";
    meta.TbFields().Add()->FieldName = "field3";
    EXPECT_EQ(meta.TbFields().Add()->FieldName, "Field2");
}

TEST(TbField, AssignCopiesEveryPropertyAndHandler) {
    TQmTbField a, b;
    TTbField* src = a.TbFields().Add();
    src->Alignment = taCenter;
    src->DisplayLabel = "标签";
    src->DisplayWidth = 9;
    src->FieldName = "F";
    src->DataType = ftFloat;
    src->Hint = "h";
    src->FieldWidth = 3;
    src->IsKey = src->ReadOnly = src->NotNull = src->IsJoin = src->IsFK = true;
    src->Visible = false;
    src->NumPrec = 2;
    src->ButtonStyle = gbsCheckbox;
    src->FKTable = "T";
    src->DropDownTag = 7;
    int calls = 0;
    src->OnButtonClick = [&](TObject*, bool&) { ++calls; };
    src->OnChange = [&](TField*) { ++calls; };
    src->OnGetText = [&](TField*, std::string&, bool) { ++calls; };
    src->OnSetText = [&](TField*, const std::string&) { ++calls; };
    src->OnValidate = [&](TField*) { ++calls; };
    src->OnUpdateData = [&](TObject*, std::string&, TQmValue&, bool&, bool&) { ++calls; };

    b.SetTbFields(&a.TbFields());
    b.SetTbFields(nullptr); // does nothing
    ASSERT_EQ(b.TbFields().Count(), 1);
    const TTbField* d = b.TbFields()[0];
    EXPECT_EQ(d->Alignment, taCenter);
    EXPECT_EQ(d->DisplayLabel, "标签");
    EXPECT_EQ(d->DisplayWidth, 9);
    EXPECT_EQ(d->FieldName, "F");
    EXPECT_EQ(d->DataType, ftFloat);
    EXPECT_EQ(d->Hint, "h");
    EXPECT_EQ(d->FieldWidth, 3);
    EXPECT_TRUE(d->IsKey && d->ReadOnly && d->NotNull && d->IsJoin && d->IsFK);
    EXPECT_FALSE(d->Visible);
    EXPECT_EQ(d->NumPrec, 2);
    EXPECT_EQ(d->ButtonStyle, gbsCheckbox);
    EXPECT_EQ(d->FKTable, "T");
    EXPECT_EQ(d->DropDownTag, 7);
    bool handled = false;
    std::string text;
    TQmValue value;
    bool useText = false;
    d->OnButtonClick(nullptr, handled);
    d->OnChange(nullptr);
    d->OnGetText(nullptr, text, true);
    d->OnSetText(nullptr, text);
    d->OnValidate(nullptr);
    d->OnUpdateData(nullptr, text, value, useText, handled);
    EXPECT_EQ(calls, 6);
}

TEST(TbField, AssignFromAnotherItemKindFails) {
    TQmTbField meta;
    TCollection other(nullptr, [](TCollection* c) { return std::make_unique<TCollectionItem>(c); });
    EXPECT_THROW(meta.TbFields().Add()->Assign(*other.Add()), std::invalid_argument);
}

TEST(TbField, DisplayNameFallsBackToClassName) {
    TQmTbField meta;
    TTbField* f = meta.TbFields().Add();
    EXPECT_EQ(f->GetDisplayName(), "Field1");
    f->FieldName.clear();
    EXPECT_EQ(f->GetDisplayName(), "TTbField");
}

TEST(GetFKName, JoinsForeignKeyEntriesInOrder) {
    struct Case {
        const char* name;
        std::vector<std::tuple<std::string, bool, std::string>> items; // name, IsFK, FKTable
        std::string expected;
    };
    const Case cases[] = {
        {"none", {{"A", false, "T"}}, ""},
        {"empty", {}, ""},
        {"one", {{"A", false, ""}, {"B", true, "TB_X"}}, "TB_X:B"},
        {"two", {{"A", true, "T1"}, {"B", false, "T9"}, {"C", true, "T2"}}, "T1:A;T2:C"},
        {"empty table", {{"A", true, ""}}, ":A"},
    };
    for (const Case& c : cases) {
        TQmTbField meta;
        for (const auto& [name, fk, table] : c.items) {
            TTbField* f = meta.TbFields().Add();
            f->FieldName = name;
            f->IsFK = fk;
            f->FKTable = table;
        }
        EXPECT_EQ(meta.GetFKName(), c.expected) << c.name;
    }
}

} // namespace
} // namespace qm
