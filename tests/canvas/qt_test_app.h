// One Qt application object for a test binary, created on first use.
#pragma once

#include <QApplication>

#include "canvas/font.h"

namespace qm::test {

inline QApplication& EnsureQtApp() {
    static int argc = 1;
    static char name[] = "qm_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        auto* a = new QApplication(argc, argv);
        InstallFontSubstitutions();
        return a;
    }();
    return *app;
}

} // namespace qm::test
