#include <gtest/gtest.h>

#include "dataset/errors.h"
#include "table_fixture.h"

namespace qm {
namespace {

using test::MakeTable;

struct TextCase {
    const char* Field;
    const char* Input;
    const char* Stored; // AsString afterwards
};

class FieldText : public ::testing::TestWithParam<TextCase> {};

TEST_P(FieldText, SetFromTextReadsBack) {
    auto t = MakeTable();
    t->Append();
    TField* f = t->FieldByName(GetParam().Field);
    f->SetAsString(GetParam().Input);
    EXPECT_EQ(f->AsString(), GetParam().Stored);
    t->Post();
    EXPECT_EQ(f->AsString(), GetParam().Stored);
}

INSTANTIATE_TEST_SUITE_P(
    Types, FieldText,
    ::testing::Values(TextCase{"ID", "12345678901", "12345678901"}, TextCase{"ID", " -7 ", "-7"},
                      TextCase{"QTY", "42", "42"}, TextCase{"PRICE", "0.5", "0.5"},
                      TextCase{"PRICE", "-12", "-12"}, TextCase{"DAY", "2008-06-02", "2008-06-02"},
                      // a date field keeps the date part of a date and time
                      TextCase{"DAY", "2008-06-18 13:05:09", "2008-06-18"},
                      TextCase{"STAMP", "2008-06-18 13:05:09", "2008-06-18 13:05:09"},
                      TextCase{"AT", "13:05:09", "13:05:09"}, TextCase{"OK", "true", "True"},
                      TextCase{"OK", "0", "False"}, TextCase{"NAME", "  a ", "  a "},
                      // texts are kept whole, however long, counting characters not bytes
                      TextCase{"NAME", "收入等级很高的", "收入等级很高的"}));

TEST(Field, InvalidTextRaisesConvertErrorAndKeepsValue) {
    auto t = MakeTable();
    t->Append();
    const std::pair<const char*, const char*> valid[] = {
        {"ID", "1"}, {"QTY", "1"}, {"PRICE", "1.5"}, {"DAY", "2008-06-02"}, {"STAMP", "2008-06-02 10:00"},
        {"OK", "1"}};
    for (auto [name, value] : valid) {
        TField* f = t->FieldByName(name);
        f->SetAsString(value);
        const std::string before = f->AsString();
        EXPECT_THROW(f->SetAsString("abc"), EConvertError) << name;
        EXPECT_EQ(f->AsString(), before) << name;
    }
    EXPECT_THROW(t->FieldByName("QTY")->SetAsString("99999999999"), EConvertError);
    EXPECT_THROW(t->FieldByName("DAY")->SetAsString("2008-13-40"), EConvertError);
}

// A value another tool stored can be huge; the message names its start and its length.
TEST(Field, ConvertErrorsQuoteOnlyTheStartOfAHugeValue) {
    auto t = MakeTable();
    t->Append();
    for (const char* name : {"ID", "PRICE", "DAY", "OK"}) {
        try {
            t->FieldByName(name)->SetAsString(std::string(100000, '9') + "x");
            ADD_FAILURE() << name;
        } catch (const EConvertError& e) {
            const std::string text = e.what();
            EXPECT_LT(text.size(), 200u) << name;
            EXPECT_NE(text.find("（共 100001 个字符）"), std::string::npos) << text;
        }
    }
}

TEST(Field, NullReadsAsEmptyAndZero) {
    auto t = MakeTable();
    t->Append();
    for (int i = 0; i < t->FieldCount(); ++i) {
        TField* f = t->Fields(i);
        EXPECT_TRUE(f->IsNull()) << f->FieldName();
        EXPECT_EQ(f->AsString(), "");
        EXPECT_EQ(f->AsInteger(), 0);
        EXPECT_FALSE(f->AsBoolean());
    }
    TField* qty = t->FieldByName("QTY");
    qty->SetAsInteger(3);
    qty->SetAsString(""); // empty text on a number is null
    EXPECT_TRUE(qty->IsNull());
    TField* name = t->FieldByName("NAME");
    name->SetAsString("");
    EXPECT_FALSE(name->IsNull());
    name->Clear();
    EXPECT_TRUE(name->IsNull());
}

TEST(Field, AsIntegerOfTextThatIsNoIntegerIsZero) {
    auto t = MakeTable();
    t->Append();
    TField* name = t->FieldByName("NAME");
    for (auto [text, expected] :
         std::vector<std::pair<const char*, int>>{{"12", 12}, {" -3 ", -3}, {"1.5", 0}, {"x1", 0}, {"", 0}}) {
        name->SetAsString(text);
        EXPECT_EQ(name->AsInteger(), expected) << text;
    }
    EXPECT_THROW(name->AsFloat(), EConvertError); // only AsInteger forgives
}

TEST(Field, TypedSettersConvert) {
    auto t = MakeTable();
    t->Append();
    t->FieldByName("NAME")->SetAsInteger(-12);
    EXPECT_EQ(t->FieldByName("NAME")->AsString(), "-12");
    t->FieldByName("PRICE")->SetAsInteger(7);
    EXPECT_DOUBLE_EQ(t->FieldByName("PRICE")->AsFloat(), 7.0);
    t->FieldByName("QTY")->SetAsFloat(2.6);
    EXPECT_EQ(t->FieldByName("QTY")->AsInteger(), 3);
    t->FieldByName("DAY")->SetAsDateTime(EncodeDateTime(2020, 2, 29, 23, 59, 0));
    EXPECT_EQ(t->FieldByName("DAY")->AsDateTime(), EncodeDate(2020, 2, 29));
    EXPECT_THROW(t->FieldByName("QTY")->SetAsLargeInt(1LL << 40), EConvertError);
    EXPECT_THROW(t->FieldByName("OK")->SetAsDateTime(Now()), EConvertError);
}

TEST(Field, WritesNeedEditState) {
    auto t = MakeTable();
    EXPECT_THROW(t->FieldByName("ID")->SetAsInteger(1), EDatabaseError);
    EXPECT_THROW(t->FieldByName("NOPE"), EDatabaseError);
    EXPECT_EQ(t->FindField("nope"), nullptr);
    EXPECT_EQ(t->FindField("name"), t->FieldByName("NAME")); // names ignore case
}

TEST(Field, NewFieldAndTableExtensionsStartEmpty) {
    auto t = MakeTable();
    EXPECT_TRUE(t->QmTableName.empty() && t->PKName.empty() && t->FKName.empty());
    for (int i = 0; i < t->FieldCount(); ++i) {
        TField* f = t->Fields(i);
        EXPECT_FALSE(f->IsKey() || f->IsJoin() || f->NotNull()) << f->FieldName();
        EXPECT_EQ(f->DisplayLabel(), f->FieldName());
    }
    EXPECT_EQ(t->FieldByName("QTY")->Alignment(), taRightJustify);
    EXPECT_EQ(t->FieldByName("NAME")->Alignment(), taLeftJustify);
    EXPECT_EQ(t->FieldByName("NAME")->DisplayWidth(), 4);
}

TEST(Field, OldValueDuringEditAndInsert) {
    auto t = MakeTable();
    test::AddRows(*t, {{1, "a"}});
    TField* name = t->FieldByName("NAME");
    t->Edit();
    name->SetAsString("b");
    EXPECT_EQ(name->OldValue(), "a");
    EXPECT_EQ(name->AsString(), "b");
    t->Cancel();
    EXPECT_EQ(name->AsString(), "a");
    t->Append();
    EXPECT_EQ(name->OldValue(), std::nullopt);
}

TEST(Field, ValidateMayRefuseAndChangeFollows) {
    auto t = MakeTable();
    t->Append();
    TField* qty = t->FieldByName("QTY");
    std::vector<std::string> seen;
    qty->OnValidate = [&](TField* f) {
        seen.push_back("validate " + f->AsString());
        if (f->AsInteger() < 0) throw EDatabaseError("negative");
    };
    qty->OnChange = [&](TField* f) { seen.push_back("change " + f->AsString()); };
    qty->SetAsInteger(5);
    EXPECT_THROW(qty->SetAsInteger(-1), EDatabaseError);
    EXPECT_EQ(qty->AsInteger(), 5);
    EXPECT_EQ(seen, (std::vector<std::string>{"validate 5", "change 5", "validate -1"}));
}

TEST(Field, TextGoesThroughHandlers) {
    auto t = MakeTable();
    t->Append();
    TField* ok = t->FieldByName("OK");
    ok->OnGetText = [](TField* f, std::string& text, bool display) {
        if (display) text = f->AsBoolean() ? "是" : "否";
    };
    ok->OnSetText = [](TField* f, const std::string& text) { f->SetAsBoolean(text == "是"); };
    ok->SetText("是");
    EXPECT_TRUE(ok->AsBoolean());
    EXPECT_EQ(ok->DisplayText(), "是");
    EXPECT_EQ(ok->Text(), "True");
}

TEST(FieldDefs, RejectMissingAndDuplicateNames) {
    TFieldDefs defs;
    defs.Add("A", ftString, 10);
    EXPECT_THROW(defs.Add("", ftString), EDatabaseError);
    EXPECT_THROW(defs.Add("a", ftInteger), EDatabaseError);
    EXPECT_EQ(defs.Count(), 1);
    EXPECT_STREQ(FieldTypeName(ftLargeint), "ftLargeint");
    TMemTable t;
    t.FieldDefs().Add("X", ftUnknown);
    EXPECT_THROW(t.CreateDataSet(), EDatabaseError);
    EXPECT_FALSE(t.Active());
}

} // namespace
} // namespace qm
