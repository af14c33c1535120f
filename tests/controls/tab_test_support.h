// A page control with captioned pages for the tab tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "controls/page_control.h"
#include "tests/canvas/qt_test_app.h"

namespace qm::test {

struct TabFixture {
    std::unique_ptr<TQmPageControl> control;
    std::vector<TQmTabSheet*> pages;

    explicit TabFixture(int count, int w = 289, int h = 193) {
        EnsureQtApp();
        control = std::make_unique<TQmPageControl>();
        control->resize(w, h);
        for (int i = 0; i < count; ++i) {
            auto* page = new TQmTabSheet(control.get());
            page->SetCaption("Page" + std::to_string(i));
            pages.push_back(page);
        }
    }
    TQmPageControl& pc() { return *control; }
};

} // namespace qm::test
