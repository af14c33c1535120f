// A host that forgot its application object gets an error status and no form, not a crash.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "plugin/messages.h"
#include "tests/tarn204/test_host.h"

namespace qm {
namespace {

struct StatusRecorder : MessageTarget {
    std::vector<std::pair<WPARAM, std::string>> statuses;
    std::vector<unsigned> all;
    LRESULT handleMessage(unsigned msg, WPARAM w, LPARAM l) override {
        all.push_back(msg);
        if (msg == WM_QM_STATUS) statuses.emplace_back(w, reinterpret_cast<const char*>(l));
        return 0;
    }
};

TEST(ShowChildFormFailure, NoApplicationObjectReportsAndReturnsZero) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    LibraryHandle lib = LoadLibrary(testing::BinDir() + "libtarn204.so");
    ASSERT_NE(lib, nullptr) << LastLibraryError();
    auto show = reinterpret_cast<std::uint32_t (*)(std::uint32_t, std::uint32_t, std::uint32_t, const char*)>(
        GetProcAddress(lib, "ShowChildForm"));
    ASSERT_NE(show, nullptr);
    StatusRecorder host;
    const HWND wnd = AllocateHandle(&host);
    EXPECT_EQ(show(0, wnd, 0, "x"), 0u);
    ASSERT_EQ(host.statuses.size(), 1u);
    EXPECT_EQ(host.statuses[0].first, QM_STATUS_ERROR);
    EXPECT_FALSE(host.statuses[0].second.empty());
    EXPECT_EQ(host.all, std::vector<unsigned>{WM_QM_STATUS});
    ReleaseHandle(wnd);
}

} // namespace
} // namespace qm
