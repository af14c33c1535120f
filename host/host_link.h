// The host window's message side: answers every message a module sends to its host window.
// Data exchanges go to the store; everything about windows and commands goes to a listener.
#pragma once

#include "host/store.h"
#include "platform/platform.h"

#include <functional>
#include <mutex>
#include <string>

namespace qm::host {

class HostLink : public MessageTarget {
public:
    // What the window does with the module's announcements. Called on the UI thread, inside the
    // module's SendMessage: nothing here may block.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void FormCreated(HWND form) = 0;
        // `field` is the address of the form's field that refers to the command set.
        virtual void CommandsAnnounced(bool base, const void* field) = 0;
        virtual void StatusShown(int kind, const std::string& text) = 0;
        virtual void FormClosed(HWND form) = 0;
    };

    HostLink(Store& store, Listener& listener);
    ~HostLink() override;
    HostLink(const HostLink&) = delete;
    HostLink& operator=(const HostLink&) = delete;

    HWND Handle() const { return FHandle; }
    LRESULT handleMessage(unsigned msg, WPARAM wParam, LPARAM lParam) override;

private:
    void AnswerAside(BSTR& slot, const std::function<std::string()>& answer);

    Store& FStore;
    // A message that arrives while an answer is being built aside waits for the store.
    std::mutex FStoreBusy;
    Listener& FListener;
    HWND FHandle = 0;
};

}  // namespace qm::host
