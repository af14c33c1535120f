#include <gtest/gtest.h>

#include "platform/platform.h"
#include "plugin/answer_text.h"

namespace qm {
namespace {

int gPumps = 0;
void CountingPump() {
    ++gPumps;
}

// Answers of every size read back exactly, surrogate pairs on piece borders included; a large one
// lets messages run while it is converted.
TEST(ReadAnswerText, ReadsEveryAnswerWhole) {
    std::string large;
    while (large.size() < 3'000'000)
        large += "<r a=\"收入\" b=\"x\"/>😀";
    struct Case {
        const char* what;
        std::string text;
        bool pumps;
    };
    const Case cases[] = {
        {"empty", "", false},
        {"small", "<quelmar><status code=\"0\"/></quelmar>", false},
        {"large with emoji across pieces", large, true},
    };
    for (const Case& c : cases) {
        BSTR slot = SysAllocStringUtf8(c.text);
        SetPump(&CountingPump);
        gPumps = 0;
        const std::string read = ReadAnswerText(slot);
        for (int i = 0; i < 2000 && c.pumps && gPumps == 0; ++i)
            ReadAnswerText(slot);
        SetPump(nullptr);
        EXPECT_EQ(read, c.text) << c.what;
        EXPECT_EQ(gPumps > 0, c.pumps) << c.what;
        SysFreeString(slot);
    }
    EXPECT_EQ(ReadAnswerText(nullptr), "");
}

} // namespace
} // namespace qm
