// The host's main window: toolbar from the module's command sets, the workspace that parents
// the module's form, an error bar and a status bar. Its platform handle is the host window that
// receives every module message.
#pragma once

#include "host/command_bar.h"
#include "host/host_link.h"
#include "host/store.h"

#include <QMainWindow>

#include <memory>
#include <string>

class QLabel;
class QFrame;

namespace qm::host {

class MainWindow : public QMainWindow, private HostLink::Listener {
public:
    explicit MainWindow(Store& store, QWidget* parent = nullptr);
    ~MainWindow() override;

    HWND HostWnd() const { return FLink.Handle(); }
    HWND WorkspaceWnd() const { return FWorkspaceHandle; }
    QWidget* Workspace() const { return FWorkspace; }
    CommandBar& Commands() { return *FCommands; }
    void SetMaxRequestBytes(std::size_t bytes) { FLink.SetMaxRequestBytes(bytes); }

    // The form id that ShowChildForm returned; 0 when no form is shown.
    HWND FormId() const { return FFormId; }
    void AdoptForm(HWND formId);

    // The latest status text, and whether an error is on show in the bar.
    const std::string& LastStatus() const { return FLastStatus; }
    int LastStatusKind() const { return FLastStatusKind; }
    bool ErrorShown() const;
    void ShowError(const std::string& text) { StatusShown(3, text); }
    void DismissError();

    // Result of the latest close attempt: true when the form agreed (or there was none).
    bool LastCloseAgreed() const { return FLastCloseAgreed; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreated(HWND form) override;
    void CommandsAnnounced(bool base, const void* field) override;
    void StatusShown(int kind, const std::string& text) override;
    void FormClosed(HWND form) override;
    void ForgetForm();

    class WorkspaceTarget : public MessageTarget {
    public:
        LRESULT handleMessage(unsigned, WPARAM, LPARAM) override { return 0; }
    };

    HostLink FLink;
    WorkspaceTarget FWorkspaceTarget;
    HWND FWorkspaceHandle = 0;
    QWidget* FWorkspace = nullptr;
    QFrame* FErrorBar = nullptr;
    QLabel* FErrorText = nullptr;
    CommandBar* FCommands = nullptr;
    HWND FFormId = 0;
    std::string FLastStatus;
    int FLastStatusKind = 0;
    bool FClosing = false;
    bool FLastCloseAgreed = true;
};

}  // namespace qm::host
