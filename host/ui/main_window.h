// The host's main window: toolbar from the module's command sets, the workspace that parents
// the module's form, an error bar and a status bar. Its platform handle is the host window that
// receives every module message.
#pragma once

#include "host/host_link.h"
#include "host/store/store.h"
#include "host/ui/command_bar.h"
#include "plugin/records.h"

#include <QMainWindow>

#include <memory>
#include <optional>
#include <string>

class QAction;
class QLabel;
class QProgressBar;
class QFrame;

namespace qm::desk {
class Desk;
}

namespace qm::host {

class ModuleLibrary;

// What the window needs to open the module's form, from its menu too.
struct ModuleForm {
    const ModuleLibrary* Library = nullptr;
    std::string Caption; // the menu entry and the form's caption
    const THostContext* Context = nullptr;
    std::string ContextText;
    const THostColors* Colors = nullptr;
    bool SearchOnOpen = true; // runs the form's search once it has opened
};

class MainWindow : public QMainWindow, private HostLink::Listener {
public:
    explicit MainWindow(Store& store, QWidget* parent = nullptr);
    ~MainWindow() override;

    HWND HostWnd() const { return FLink.Handle(); }
    HWND WorkspaceWnd() const { return FWorkspaceHandle; }
    QWidget* Workspace() const { return FWorkspace; }
    CommandBar& Commands() { return *FCommands; }
    desk::Desk& Desk() { return *FDesk; }
    void SetMaxRequestBytes(std::size_t bytes) { FLink.SetMaxRequestBytes(bytes); }

    // The form id that ShowChildForm returned; 0 when no form is shown.
    HWND FormId() const { return FFormId; }
    void AdoptForm(HWND formId);

    // The module whose form the menu opens. The window keeps one form open at a time.
    void SetModule(const ModuleForm& module);
    // Brings the open form forward, or opens it. False when it cannot: the reason goes to `why`
    // when given, else into the error bar.
    bool OpenForm(std::string* why = nullptr);
    static constexpr const char* AppTitle = "业务管理客户端";

    // The latest status text, and whether an error is on show in the bar.
    const std::string& LastStatus() const { return FLastStatus; }
    int LastStatusKind() const { return FLastStatusKind; }
    bool ErrorShown() const;
    void ShowError(const std::string& text) { StatusShown(3, text); }
    // A condition that stays (a missing library, a damaged store): the next success leaves it
    // on show; ClearStandingError ends it.
    void ShowStandingError(const std::string& text);
    void ClearStandingError();
    void DismissError();
    // Shows a damaged store as a standing condition once the store has found it.
    void NoteStoreCondition();

    // Result of the latest close attempt: true when the form agreed (or there was none).
    bool LastCloseAgreed() const { return FLastCloseAgreed; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void FormCreated(HWND form) override;
    void CommandsAnnounced(bool base, const void* field) override;
    void StatusShown(int kind, const std::string& text) override;
    void FormClosed(HWND form) override;
    void ExchangeAnswered(unsigned msg, const std::string& request, const std::string& answer) override;
    void SearchAnswered(std::u16string_view answer) override;
    void SearchRunning(bool running) override;
    void ShowSummary(const std::optional<std::string>& summary);
    void ForgetForm();
    void UpdateTitle();
    void SearchWhenIdle(HWND form, int attempt = 0);
    void ShowErrorBar();
    void ShowStatus(const QString& text);

    class WorkspaceTarget : public MessageTarget {
    public:
        LRESULT handleMessage(unsigned, WPARAM, LPARAM) override { return 0; }
    };

    Store& FStore;
    HostLink FLink;
    WorkspaceTarget FWorkspaceTarget;
    HWND FWorkspaceHandle = 0;
    QWidget* FWorkspace = nullptr;
    QFrame* FErrorBar = nullptr;
    QLabel* FErrorText = nullptr;
    CommandBar* FCommands = nullptr;
    desk::Desk* FDesk = nullptr;
    HWND FFormId = 0;
    ModuleForm FModule;
    QAction* FModuleAction = nullptr;
    std::string FOperationError; // cleared by the next success
    std::string FStandingError;  // stays until the condition ends
    QString FShownStatus;        // what the status bar says when nothing is hovered
    int FFormStatusKind = 0;     // the kind of the form's status shown, 0 when it is the host's
    QString FStatusBeforeSearch;
    QProgressBar* FBusy = nullptr; // moves while a search runs
    std::string FLastStatus;
    int FLastStatusKind = 0;
    bool FClosing = false;
    bool FLastCloseAgreed = true;
};

} // namespace qm::host
