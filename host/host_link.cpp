#include "host/host_link.h"

#include "host/store/response.h"
#include "host/store/status_codes.h"
#include "platform/shared_text.h"
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

namespace {

// A search answer written straight into the record's wide text, piece by piece.
class WideAnswer : public ResponseSink {
public:
    void Reserve(std::size_t bytes) override { FText.Reserve(bytes); }
    void Append(std::string_view text) override { FText.Append(text); }
    std::size_t Mark() const override { return FText.Size(); }
    std::size_t Insert(std::size_t at, std::string_view text) override { return FText.Insert(at, text); }
    void Clear() override { FText.Clear(); }
    BSTR Take() { return FText.Take(); }

private:
    SharedTextBuilder FText;
};

} // namespace

// The store's query and the answer's wide text can take a large part of a second: they run beside
// the window, which keeps painting and drops the clerk's keys and clicks until the answer is in
// the record. The module still finds the answer complete when its SendMessage returns.
void HostLink::AnswerAside(BSTR& slot, const std::function<BSTR()>& make) {
    BSTR text = nullptr;
    RunAside([&] {
        std::lock_guard<std::mutex> hold(FStoreBusy);
        text = make();
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
                AnswerAside(record->ExecuteAnswer, [&] {
                    answer = ExecuteChecked(FStore, funcId, action, request, FMaxRequestBytes);
                    return SysAllocStringUtf8(answer);
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
                AnswerAside(record->SearchAnswer, [&] {
                    WideAnswer answer;
                    FStore.Search(tail, answer);
                    return answer.Take();
                });
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
