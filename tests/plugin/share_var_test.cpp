#include <gtest/gtest.h>

#include "plugin/records.h"

namespace qm {
namespace {

// Every string slot of the record, so the tests cover the unused ones as well.
std::vector<BSTR*> StringSlots(TShareVar& r) {
    std::vector<BSTR*> slots = {&r.RequestXml,  &r.RegisterAnswer, &r.ReleaseAnswer, &r.ExecuteAnswer,
                                &r.ModuleKey,   &r.ActionName,     &r.SearchAnswer,  &r.SystemCode,
                                &r.ContextTail, &r.Unused108,      &r.Unused116};
    for (BSTR& s : r.Unused36)
        slots.push_back(&s);
    for (BSTR& s : r.Unused80)
        slots.push_back(&s);
    for (BSTR& s : r.Unused92)
        slots.push_back(&s);
    return slots;
}

TEST(ShareVar, NewRecordIsEmptyWithAStream) {
    ShareVarPtr r = MakeShareVar();
    ASSERT_TRUE(r);
    EXPECT_NE(r->Header, nullptr);
    EXPECT_NE(r->Stream, nullptr);
    EXPECT_EQ(r->FuncId, 0);
    for (BSTR* slot : StringSlots(*r))
        EXPECT_EQ(*slot, nullptr);
    EXPECT_EQ(r->Unused72 | r->Unused88 | r->Unused104 | r->Unused112, 0);
    EXPECT_EQ(StringSlots(*r).size(), 23u);
}

TEST(ShareVar, FreeingReleasesEveryStringOnce) {
    const std::size_t before = LiveSharedStrings();
    {
        ShareVarPtr r = MakeShareVar();
        for (BSTR* slot : StringSlots(*r))
            *slot = SysAllocStringUtf8("x");
        EXPECT_EQ(LiveSharedStrings(), before + 23);
    }
    EXPECT_EQ(LiveSharedStrings(), before);
    FreeShareVar(nullptr);
}

TEST(ShareVar, HostAnswerReadsBackAndNullReadsEmpty) {
    const std::size_t before = LiveSharedStrings();
    {
        ShareVarPtr r = MakeShareVar();
        EXPECT_EQ(SlotText(r->ExecuteAnswer), "");
        r->ExecuteAnswer = SysAllocStringUtf8("<quelmar status=\"0\"/>"); // as the host writes it
        EXPECT_EQ(SlotText(r->ExecuteAnswer), "<quelmar status=\"0\"/>");
        SetSlotText(r->ModuleKey, "Tarn204");
        SetSlotText(r->ModuleKey, "收入等级"); // replacing frees the old string
        EXPECT_EQ(SlotText(r->ModuleKey), "收入等级");
        EXPECT_EQ(LiveSharedStrings(), before + 2);
    }
    EXPECT_EQ(LiveSharedStrings(), before);
}

} // namespace
} // namespace qm
