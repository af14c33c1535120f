// A host window for form tests: records what the form sends and answers exchanges with texts the
// test queues.
#pragma once

#include <QApplication>
#include <QWidget>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/qt/qt_pump.h"
#include "plugin/globals.h"
#include "plugin/messages.h"
#include "plugin/records.h"

namespace qm::test {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "forms-tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        auto* a = new QApplication(argc, argv);
        InstallQtPump();
        return a;
    }();
    return *app;
}

struct Sent {
    unsigned msg;
    WPARAM wParam;
    LPARAM lParam;
    std::string text; // status text, request of an execute, context tail of a search
};

class FakeHost : public MessageTarget {
public:
    FakeHost() {
        App();
        Wnd = AllocateHandle(this);
        SetHostWnd(Wnd);
        Parent = std::make_unique<QWidget>();
        Parent->resize(800, 600);
        // Forms live in a shown window, as in a host: hidden parents defer shows and resizes.
        Parent->show();
        ParentWnd = AllocateHandle(this);
        SetNativeWindow(ParentWnd, Parent.get());
    }
    ~FakeHost() override {
        SetHostContext(nullptr);
        SetHostColors(nullptr);
        ReleaseHandle(Wnd);
        ReleaseHandle(ParentWnd);
    }

    LRESULT handleMessage(unsigned msg, WPARAM wParam, LPARAM lParam) override {
        Sent s{msg, wParam, lParam, {}};
        auto* record = reinterpret_cast<TShareVar*>(wParam);
        auto next = [](std::deque<std::string>& q) {
            std::string a = q.empty() ? std::string() : q.front();
            if (!q.empty()) q.pop_front();
            return a;
        };
        switch (msg) {
        case WM_QM_STATUS:
            s.text = lParam ? reinterpret_cast<const char*>(lParam) : "";
            break;
        case WM_QM_REGISTER:
            SetSlotText(record->RegisterAnswer, next(Registers));
            break;
        case WM_QM_RELEASE:
            SetSlotText(record->ReleaseAnswer, next(Releases));
            break;
        case WM_QM_EXECUTE:
            s.text = SlotText(record->RequestXml);
            if (OnExecute) OnExecute();
            if (!Executes.empty()) SetSlotText(record->ExecuteAnswer, next(Executes));
            break;
        case WM_QM_SEARCH:
            s.text = SlotText(record->ContextTail);
            SetSlotText(record->SearchAnswer, next(Searches));
            break;
        default:
            break;
        }
        Log.push_back(s);
        return 0;
    }

    std::vector<Sent> Of(unsigned msg) const {
        std::vector<Sent> out;
        for (const Sent& s : Log)
            if (s.msg == msg) out.push_back(s);
        return out;
    }
    std::vector<std::string> Statuses() const {
        std::vector<std::string> out;
        for (const Sent& s : Of(WM_QM_STATUS))
            out.push_back(s.text);
        return out;
    }

    static std::string Answer(int code, const std::string& info = {}, const std::string& body = {}) {
        return "<?xml version=\"1.0\"?><quelmar><status><code>" + std::to_string(code) + "</code><info>" +
               info + "</info></status>" + body + "</quelmar>";
    }

    HWND Wnd = 0;
    HWND ParentWnd = 0;
    std::unique_ptr<QWidget> Parent;
    std::vector<Sent> Log;
    std::deque<std::string> Registers, Releases, Executes, Searches;
    std::function<void()> OnExecute;
};

// Lets posted messages and Qt events run.
inline void Pump(int rounds = 3) {
    for (int i = 0; i < rounds; ++i) {
        DeliverPostedMessages();
        QApplication::processEvents();
    }
}

} // namespace qm::test
