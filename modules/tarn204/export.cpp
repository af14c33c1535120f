// The module's one export: opens the form inside a window of the host.
#include <QApplication>
#include <QPointer>
#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>

#include "canvas/font.h"
#include "modules/tarn204/module_form.h"
#include "platform/qt/qt_pump.h"
#include "plugin/globals.h"
#include "plugin/messages.h"

namespace qm {
namespace {

// The form of the latest call; guarded, since the host's widget tree owns and deletes it.
QPointer<TModuleForm> gModuleForm;

void ReportFailure(const char* text) {
    SendMessage(HostWnd(), WM_QM_STATUS, QM_STATUS_ERROR, reinterpret_cast<LPARAM>(text));
}

std::uint32_t ShowForm(std::uint32_t appHandle, std::uint32_t hostWnd, std::uint32_t parentWnd,
                       const char* caption) {
    SetHostWnd(hostWnd);
    SetAppWnd(appHandle);
    // Widgets need the host's application object; without one Qt would end the process.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw std::runtime_error("ShowChildForm: the host has no Qt application object");
    InstallQtPump();            // does nothing when the host installed one
    InstallFontSubstitutions(); // the forms ask for SimSun and Tahoma
    QPointer<TModuleForm> form = CreateModuleForm();
    gModuleForm = form;
    try {
        form->SetParentWindow(parentWnd);
        form->SetCaption(caption ? caption : "");
        SendMessage(HostWnd(), WM_QM_FORMCREATED, form->Handle(), 0);
        form->SetWindowState(decltype(form->WindowState())::wsMaximized);
        const std::uint32_t id = form->Handle();
        form->SetFormId(id);
        form->show();
        form->AnnounceCommands();
        form->AnnounceBaseCommands();
        return id;
    } catch (...) {
        delete form.data(); // a half-shown form would never be dropped by the host
        throw;
    }
}

} // namespace
} // namespace qm

extern "C" __attribute__((visibility("default"))) std::uint32_t
ShowChildForm(std::uint32_t AppHandle, std::uint32_t HostWnd, std::uint32_t ParentWnd, const char* Caption) {
    try {
        return qm::ShowForm(AppHandle, HostWnd, ParentWnd, Caption);
    } catch (const std::exception& e) {
        try {
            qm::ReportFailure(e.what());
        } catch (...) {
        }
    } catch (...) {
        try {
            qm::ReportFailure("ShowChildForm failed");
        } catch (...) {
        }
    }
    return 0;
}
