// The data exchanges with the host: status, registration, release, execute and search.
#include "framework/child_form.h"
#include "plugin/answer_text.h"
#include "plugin/globals.h"
#include "plugin/messages.h"
#include "plugin/records.h"
#include "protocol/qm_protocol.h"

namespace qm {

void TfrmChildBase::SendStatusMessage(std::int32_t kind, const std::string& text) {
    const std::string copy = text; // zero-terminated, valid until the host returns
    SendMessage(HostWnd(), WM_QM_STATUS, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(copy.c_str()));
}

std::int32_t TfrmChildBase::RegisterModule(const std::string& key) {
    SetFuncId(0);
    ShareVarPtr record = MakeShareVar();
    SetSlotText(record->ModuleKey, key);
    SetSlotText(record->SystemCode, FSystemCode);
    SendMessage(HostWnd(), WM_QM_REGISTER, reinterpret_cast<WPARAM>(record.get()),
                static_cast<LPARAM>(FFormId));
    if (!FProtocol) return FFuncId;
    if (!FProtocol->ReadXml(SlotText(record->RegisterAnswer))) {
        // Its status would be the previous answer's: the function id stays 0.
        SendStatusMessage(3, UnreadableAnswer);
        return FFuncId;
    }
    if (FProtocol->StatusCode < 0)
        SendStatusMessage(3, FProtocol->StatusInfo);
    else if (FProtocol->ParamCount() > 0)
        SetFuncId(FProtocol->Param(0).AsInteger());
    return FFuncId;
}

void TfrmChildBase::ReleaseModule(std::int32_t id) {
    ShareVarPtr record = MakeShareVar();
    record->FuncId = id;
    SetSlotText(record->SystemCode, FSystemCode);
    SendMessage(HostWnd(), WM_QM_RELEASE, reinterpret_cast<WPARAM>(record.get()),
                static_cast<LPARAM>(FFormId));
    if (!FProtocol) return;
    if (!FProtocol->ReadXml(SlotText(record->ReleaseAnswer))) {
        SendStatusMessage(3, UnreadableAnswer);
        return;
    }
    if (FProtocol->StatusCode < 0) SendStatusMessage(3, FProtocol->StatusInfo);
}

std::string TfrmChildBase::ExecuteAction(std::int32_t id, const std::string& action,
                                         const std::string& request) {
    ShareVarPtr record = MakeShareVar();
    record->FuncId = id;
    SetSlotText(record->SystemCode, FSystemCode);
    SetSlotText(record->ActionName, action);
    SetSlotText(record->RequestXml, request);
    SysFreeString(record->ExecuteAnswer);
    record->ExecuteAnswer = nullptr;
    SendMessage(HostWnd(), WM_QM_EXECUTE, reinterpret_cast<WPARAM>(record.get()),
                static_cast<LPARAM>(FFormId));
    return ReadAnswerText(record->ExecuteAnswer);
}

std::string TfrmChildBase::SearchData(void* const* args) {
    return ReadAnswerText(SearchRecord(args)->SearchAnswer);
}

ShareVarPtr TfrmChildBase::SearchRecord(void* const* args) {
    void* none = nullptr;
    void* const* variable = args ? args : &none;
    ShareVarPtr record = MakeShareVar();
    SetSlotText(record->ContextTail, FContextTail);
    SendMessage(HostWnd(), WM_QM_SEARCH, reinterpret_cast<WPARAM>(record.get()),
                reinterpret_cast<LPARAM>(variable));
    return record;
}

} // namespace qm
