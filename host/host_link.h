// The host window's message side: answers every message a module sends to its host window.
// Data exchanges go to the store; everything about windows and commands goes to a listener.
#pragma once

#include "host/store/request_checks.h"
#include "host/store/store.h"
#include "platform/platform.h"

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

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
        // A search began (true) or its answer is in (false), whatever it says.
        virtual void SearchRunning(bool running) { (void)running; }
        // An execute was answered.
        virtual void ExchangeAnswered(unsigned msg, const std::string& request, const std::string& answer) {
            (void)msg, (void)request, (void)answer;
        }
        // A search was answered; the wide text is the record's, as the module will read it.
        virtual void SearchAnswered(std::u16string_view answer) { (void)answer; }
    };

    HostLink(Store& store, Listener& listener);
    ~HostLink() override;
    HostLink(const HostLink&) = delete;
    HostLink& operator=(const HostLink&) = delete;

    HWND Handle() const { return FHandle; }
    // Requests whose UTF-8 text is longer are refused before they are parsed.
    void SetMaxRequestBytes(std::size_t bytes) { FMaxRequestBytes = bytes; }
    LRESULT handleMessage(unsigned msg, WPARAM wParam, LPARAM lParam) override;

private:
    // Makes a slot's new text on a helper thread while the window keeps turning.
    void AnswerAside(BSTR& slot, const std::function<BSTR()>& make);

    Store& FStore;
    // A message that arrives while an answer is being built aside waits for the store.
    std::mutex FStoreBusy;
    Listener& FListener;
    HWND FHandle = 0;
    std::size_t FMaxRequestBytes = kDefaultMaxRequestBytes;
};

} // namespace qm::host
