#include "host/host_link.h"

#include "host/store/response.h"
#include "host/store/status_codes.h"
#include "plugin/messages.h"
#include "plugin/records.h"

#include <exception>
#include <mutex>

namespace qm::host {

HostLink::HostLink(Store& store, Listener& listener) : FStore(store), FListener(listener) {
    FHandle = AllocateHandle(this);
}

HostLink::~HostLink() {
    ReleaseHandle(FHandle);
}

// The store's query and the answer's wide text can take a large part of a second: they run beside
// the window, which keeps painting and drops the clerk's keys and clicks until the answer is in
// the record. The module still finds the answer complete when its SendMessage returns. With no
// utf8 to keep, the answer's UTF-8 text goes while its wide text is made.
void HostLink::AnswerAside(BSTR& slot, std::string* utf8, const std::function<std::string()>& answer) {
    BSTR text = nullptr;
    RunAside([&] {
        std::string made;
        {
            std::lock_guard<std::mutex> hold(FStoreBusy);
            made = answer();
        }
        if (utf8) {
            *utf8 = std::move(made);
            text = SysAllocStringUtf8(*utf8);
        } else {
            text = SysAllocStringUtf8Taken(std::move(made));
        }
    });
    SysFreeString(slot);
    slot = text;
}

LRESULT HostLink::handleMessage(unsigned msg, WPARAM wParam, LPARAM lParam) {
    auto* record = reinterpret_cast<TShareVar*>(wParam);
    // Nothing may escape into the module's SendMessage.
    try {
        switch (msg) {
        case WM_QM_REGISTER:
            if (record) {
                std::lock_guard<std::mutex> hold(FStoreBusy);
                SetSlotText(record->RegisterAnswer,
                            FStore.Register(SlotText(record->ModuleKey), SlotText(record->SystemCode)));
            }
            return 0;
        case WM_QM_RELEASE:
            if (record) {
                std::lock_guard<std::mutex> hold(FStoreBusy);
                SetSlotText(record->ReleaseAnswer, FStore.Release(record->FuncId));
            }
            return 0;
        case WM_QM_EXECUTE:
            if (record) {
                const std::int32_t funcId = record->FuncId;
                const std::string action = SlotText(record->ActionName);
                const std::string request = SlotText(record->RequestXml);
                std::string answer;
                AnswerAside(record->ExecuteAnswer, &answer, [&] {
                    return ExecuteChecked(FStore, funcId, action, request, FMaxRequestBytes);
                });
                FListener.ExchangeAnswered(msg, request, answer);
            }
            return 0;
        case WM_QM_SEARCH:
            if (record) {
                const std::string tail = SlotText(record->ContextTail);
                // The window says a search is under way for as long as the answer takes.
                FListener.SearchRunning(true);
                struct Ended {
                    Listener& listener;
                    ~Ended() { listener.SearchRunning(false); }
                } ended{FListener};
                AnswerAside(record->SearchAnswer, nullptr, [&] { return FStore.Search(tail); });
                FListener.SearchAnswered(
                    std::u16string_view(record->SearchAnswer, SysStringLen(record->SearchAnswer)));
            }
            return 0;
        case WM_QM_STATUS:
            FListener.StatusShown(static_cast<int>(wParam),
                                  lParam ? std::string(reinterpret_cast<const char*>(lParam))
                                         : std::string());
            return 0;
        case WM_QM_FORMCREATED:
            FListener.FormCreated(static_cast<HWND>(wParam));
            return 0;
        case WM_QM_COMMANDS:
        case WM_QM_BASECOMMANDS:
            FListener.CommandsAnnounced(msg == WM_QM_BASECOMMANDS, reinterpret_cast<const void*>(wParam));
            return 0;
        case WM_QM_FORMCLOSED:
            FListener.FormClosed(static_cast<HWND>(wParam));
            return 0;
        default:
            return 0;
        }
    } catch (const std::exception& e) {
        std::string answer =
            StatusResponse(status::DatabaseError, std::string("主程序处理请求失败：") + e.what());
        if (record) {
            BSTR* slot = msg == WM_QM_REGISTER  ? &record->RegisterAnswer
                         : msg == WM_QM_RELEASE ? &record->ReleaseAnswer
                         : msg == WM_QM_EXECUTE ? &record->ExecuteAnswer
                         : msg == WM_QM_SEARCH  ? &record->SearchAnswer
                                                : nullptr;
            if (slot) {
                try {
                    SetSlotText(*slot, answer);
                } catch (...) {
                }
            }
        }
        return 0;
    }
}

} // namespace qm::host
