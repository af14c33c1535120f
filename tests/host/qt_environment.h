// One QApplication for a test binary, on the offscreen platform.
#pragma once

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace qm::host::testing {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "host_window_tests";
        static char* argv[] = {name, nullptr};
        FApp = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { FApp.reset(); }

private:
    std::unique_ptr<QApplication> FApp;
};

} // namespace qm::host::testing
