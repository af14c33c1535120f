#include "tests/tarn204/test_host.h"

#include <QApplication>
#include <cstdlib>

#include "platform/qt/qt_pump.h"
#include "plugin/messages.h"

namespace qm::testing {

std::string BinDir() {
    const char* dir = std::getenv("QM_BIN_DIR");
    return std::string(dir ? dir : QM_TEST_BIN_DIR) + "/";
}

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "testhost";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
}

TestHost::TestHost() {
    EnsureApplication();
    FMain = std::make_unique<QWidget>();
    FMain->resize(640, 480);
    FParent = new QWidget(FMain.get());
    FParent->setGeometry(0, 30, 640, 450);
    FWnd = AllocateHandle(this);
    SetNativeWindow(FWnd, FMain.get());
    FAppWnd = AllocateHandle(&FSilent);
    SetNativeWindow(FAppWnd, FMain.get());
    FParentWnd = AllocateHandle(&FSilent);
    SetNativeWindow(FParentWnd, FParent);
    FColors.ShowTitle = 1;
    FColors.PanelColor = 0xC3B295;
    FColors.FormColor = 0xC3B295;
    FColors.TitleColor = 0xA56E3A;
}

TestHost::~TestHost() {
    for (HWND h : FExtraParents)
        ReleaseHandle(h);
    ReleaseHandle(FParentWnd);
    ReleaseHandle(FAppWnd);
    ReleaseHandle(FWnd);
    SysFreeString(FContext.UserName);
    SysFreeString(FContext.UserGroup);
    SysFreeString(FContext.AppPath);
    // The forms inside go with the main window, as in a real host.
}

bool TestHost::LoadModule(const std::string& path) {
    LibraryHandle lib = LoadLibrary(path); // never freed: a host keeps its modules until it exits
    if (!lib) return false;
    FShow = reinterpret_cast<ShowChildFormFunction>(GetProcAddress(lib, "ShowChildForm"));
    return FShow != nullptr;
}

std::uint32_t TestHost::ShowChildForm(const char* caption) {
    if (!FShow && !LoadModule()) return 0;
    return FShow(FAppWnd, FWnd, FParentWnd, caption);
}

HWND TestHost::AddParentWindow() {
    auto* w = new QWidget(FMain.get());
    w->setGeometry(0, 30, 640, 450);
    HWND h = AllocateHandle(&FSilent);
    SetNativeWindow(h, w);
    FExtraParents.push_back(h);
    return h;
}

std::vector<ReceivedMessage> TestHost::MessagesOf(unsigned msg) const {
    std::vector<ReceivedMessage> out;
    for (const auto& m : FMessages)
        if (m.Msg == msg) out.push_back(m);
    return out;
}

std::vector<unsigned> TestHost::MessageNumbers() const {
    std::vector<unsigned> out;
    for (const auto& m : FMessages)
        out.push_back(m.Msg);
    return out;
}

bool TestHost::ExecuteCommand(const std::string& name) {
    for (TChildCommand* set : {FBaseCommands, FCommands}) {
        if (!set) continue;
        if (TCommand* c = set->Commands()->Find(name)) {
            c->Execute();
            return true;
        }
    }
    return false;
}

void TestHost::SetContextTexts(const std::string& user, const std::string& group,
                               const std::string& appPath) {
    SetSlotText(FContext.UserName, user);
    SetSlotText(FContext.UserGroup, group);
    SetSlotText(FContext.AppPath, appPath);
}

void TestHost::SendContext(std::uint32_t form, const std::string& contextText) {
    SendMessage(form, WM_QM_CONTEXT, reinterpret_cast<WPARAM>(&FContext),
                reinterpret_cast<LPARAM>(contextText.c_str()));
}

void TestHost::SendColors(std::uint32_t form) {
    SendMessage(form, WM_QM_COLORS, reinterpret_cast<WPARAM>(&FColors), 0);
}

bool TestHost::LoadDialog() {
    return FDialog.Load(BinDir());
}

std::vector<std::pair<std::string, std::string>> TestHost::ReadCommands(WPARAM fieldAddress) {
    std::vector<std::pair<std::string, std::string>> out;
    TChildCommand* set = fieldAddress ? *reinterpret_cast<TChildCommand* const*>(fieldAddress) : nullptr;
    if (!set) return out;
    for (int i = 0; i < set->Commands()->Count(); ++i)
        out.emplace_back(set->Commands()->Items(i)->Name, set->Commands()->Items(i)->Caption);
    return out;
}

void TestHost::Answer(BSTR& slot, const std::optional<std::string>& answer) {
    if (answer) slot = SysAllocStringUtf8(*answer);
}

LRESULT TestHost::handleMessage(unsigned msg, WPARAM wParam, LPARAM lParam) {
    ReceivedMessage m{msg, wParam, lParam, {}, {}};
    switch (msg) {
    case WM_QM_STATUS:
        m.Text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        break;
    case WM_QM_COMMANDS:
        m.Commands = ReadCommands(wParam);
        FCommands = wParam ? *reinterpret_cast<TChildCommand* const*>(wParam) : nullptr;
        break;
    case WM_QM_BASECOMMANDS:
        m.Commands = ReadCommands(wParam);
        FBaseCommands = wParam ? *reinterpret_cast<TChildCommand* const*>(wParam) : nullptr;
        break;
    case WM_QM_REGISTER:
    case WM_QM_RELEASE:
    case WM_QM_EXECUTE:
    case WM_QM_SEARCH: {
        auto* record = reinterpret_cast<TShareVar*>(wParam);
        if (!record) break;
        FRequests.push_back({msg, lParam, record->FuncId, SlotText(record->ModuleKey),
                             SlotText(record->SystemCode), SlotText(record->ActionName),
                             SlotText(record->RequestXml), SlotText(record->ContextTail),
                             record->ExecuteAnswer == nullptr});
        if (msg == WM_QM_REGISTER) Answer(record->RegisterAnswer, RegisterAnswer);
        if (msg == WM_QM_RELEASE) Answer(record->ReleaseAnswer, ReleaseAnswer);
        if (msg == WM_QM_EXECUTE) Answer(record->ExecuteAnswer, ExecuteAnswer);
        if (msg == WM_QM_SEARCH) Answer(record->SearchAnswer, SearchAnswer);
        break;
    }
    default:
        break;
    }
    FMessages.push_back(std::move(m));
    return 0;
}

} // namespace qm::testing
