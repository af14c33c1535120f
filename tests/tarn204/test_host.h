// A host for tests: loads the built module with dlopen like a foreign host, owns its windows
// through the platform layer, records every message the module sends and answers the data
// exchanges with documents the test supplies.
#pragma once

#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dialog/dialog_api.h"
#include "framework/commands.h"
#include "platform/platform.h"
#include "plugin/records.h"

namespace qm::testing {

// build/bin, with a trailing separator.
std::string BinDir();
// The one Qt application of the test process.
void EnsureApplication();

struct ReceivedMessage {
    unsigned Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    std::string Text;                                          // WM_QM_STATUS
    std::vector<std::pair<std::string, std::string>> Commands; // name and caption, for announcements
};

// The fields the module filled in one data exchange.
struct ExchangeRequest {
    unsigned Msg = 0;
    LPARAM LParam = 0;
    std::int32_t FuncId = 0;
    std::string ModuleKey, SystemCode, ActionName, RequestXml, ContextTail;
    bool ExecuteAnswerWasNull = true;
};

class TestHost : public MessageTarget {
public:
    TestHost();
    ~TestHost() override;
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    // Loads the module (default: build/bin/libtarn204.so); kept loaded until the process ends.
    bool LoadModule(const std::string& path = BinDir() + "libtarn204.so");
    std::uint32_t ShowChildForm(const char* caption);

    HWND Wnd() const { return FWnd; }
    HWND AppWnd() const { return FAppWnd; }
    HWND ParentWnd() const { return FParentWnd; }
    QWidget* MainWindow() const { return FMain.get(); }
    QWidget* ParentWidget() const { return FParent; }
    // Another window inside the main window, for re-parenting.
    HWND AddParentWindow();

    // ---------------------------------------------------------------- what arrived
    const std::vector<ReceivedMessage>& Messages() const { return FMessages; }
    std::vector<ReceivedMessage> MessagesOf(unsigned msg) const;
    std::vector<unsigned> MessageNumbers() const;
    void ClearMessages() { FMessages.clear(); }
    const std::vector<ExchangeRequest>& Requests() const { return FRequests; }
    // The command sets as last announced, read in place through the announced address.
    TChildCommand* Commands() const { return FCommands; }
    TChildCommand* BaseCommands() const { return FBaseCommands; }
    // Runs a command's execute handler by name, as the host's toolbar does; false if none.
    bool ExecuteCommand(const std::string& name);

    // ---------------------------------------------------------------- answers (nullopt: slot left null)
    std::optional<std::string> RegisterAnswer, ReleaseAnswer, ExecuteAnswer, SearchAnswer;

    // ---------------------------------------------------------------- context and colours
    THostContext& Context() { return FContext; }
    THostColors& Colors() { return FColors; }
    void SetContextTexts(const std::string& user, const std::string& group, const std::string& appPath);
    void SendContext(std::uint32_t form, const std::string& contextText);
    void SendColors(std::uint32_t form);

    // ---------------------------------------------------------------- message boxes
    // Loads build/bin/dialog.dll's answer queue; the module's boxes then take queued answers.
    bool LoadDialog();
    dialog::DialogApi& Dialog() { return FDialog; }

    LRESULT handleMessage(unsigned msg, WPARAM wParam, LPARAM lParam) override;

private:
    using ShowChildFormFunction = std::uint32_t (*)(std::uint32_t, std::uint32_t, std::uint32_t, const char*);
    static std::vector<std::pair<std::string, std::string>> ReadCommands(WPARAM fieldAddress);
    void Answer(BSTR& slot, const std::optional<std::string>& answer);

    std::unique_ptr<QWidget> FMain;
    QWidget* FParent = nullptr;
    HWND FWnd = 0, FAppWnd = 0, FParentWnd = 0;
    std::vector<HWND> FExtraParents;
    struct Silent : MessageTarget {
        LRESULT handleMessage(unsigned, WPARAM, LPARAM) override { return 0; }
    } FSilent;
    ShowChildFormFunction FShow = nullptr;
    std::vector<ReceivedMessage> FMessages;
    std::vector<ExchangeRequest> FRequests;
    TChildCommand* FCommands = nullptr;
    TChildCommand* FBaseCommands = nullptr;
    THostContext FContext{};
    THostColors FColors{};
    dialog::DialogApi FDialog;
};

} // namespace qm::testing
