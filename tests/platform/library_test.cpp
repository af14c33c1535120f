#include <gtest/gtest.h>

#include "platform/platform.h"

namespace qm {
namespace {

TEST(Library, MissingOrEmptyPathFailsWithAText) {
    EXPECT_EQ(LoadLibrary(""), nullptr);
    EXPECT_FALSE(LastLibraryError().empty());
    EXPECT_EQ(LoadLibrary("/nonexistent/dialog.dll"), nullptr);
    EXPECT_NE(LastLibraryError().find("dialog.dll"), std::string::npos);
    EXPECT_EQ(GetProcAddress(nullptr, "x"), nullptr);
    FreeLibrary(nullptr);
}

TEST(Library, LoadsAndResolvesTheC_Library) {
    LibraryHandle lib = LoadLibrary("libc.so.6");
    ASSERT_NE(lib, nullptr);
    EXPECT_NE(GetProcAddress(lib, "strlen"), nullptr);
    EXPECT_EQ(GetProcAddress(lib, "no_such_export_here"), nullptr);
    FreeLibrary(lib);
}

} // namespace
} // namespace qm
