// The commands of the income-level form.
#include "modules/tarn204/tarn204_form.h"

#include <exception>

#include "framework/main_panel.h"
#include "dataset/mem_table.h"
#include "grid/db_grid.h"
#include "modules/tarn204/dm/tarn204_dm.h"
#include "plugin/message_box.h"
#include "protocol/qm_protocol.h"
#include "protocol/request_tables.h"
#include "protocol/response_tables.h"

namespace qm {

TfrmTarn204::TfrmTarn204(QWidget* parent)
    : TfrmSingleMuliColBase(parent, unsigned(TBorderIcon::biSystemMenu), QSize(779, 541)) {
    SetMainPanelGeometry(QRect(10, 10, 520, 491), " 收入等级", false);
    SetGridGeometry(QRect(15, 20, 488, 450));
}

TTarn204Dm* TfrmTarn204::Dm() const { return dynamic_cast<TTarn204Dm*>(DataModule()); }
TMemTable* TfrmTarn204::Main() const { return Dm() ? Dm()->mtblMain : nullptr; }
TMemTable* TfrmTarn204::Delta() const { return Dm() ? Dm()->mtblMainDelta : nullptr; }

int TfrmTarn204::Box(const std::string& text, int flags) { return CallMessageBox(BoxCaption, text, flags); }

void TfrmTarn204::CreateFormData() {
    TfrmSingleMuliColBase::CreateFormData();
    auto* dm = new TTarn204Dm(this);
    SetDataModule(dm);
    SetSystemCode(SysCode);
    BindGridAndTables(dbgrdMain, dm->mtblMain, dm->mtblMainDelta, dm->tbfldMain);
}

void TfrmTarn204::BindGridAndTables(TQmDBGrid* grid, TMemTable* main, TMemTable* delta, TQmTbField* fields) {
    if (grid && Dm()) grid->SetDataSource(Dm()->dsMain);
    TfrmSingleMuliColBase::BindGridAndTables(grid, main, delta, fields);
}

void TfrmTarn204::FreeFormData() {
    if (FDataFreed) return;  // a closed form stays closed
    FDataFreed = true;
    // Every step runs even when an earlier one fails; the first failure is reported afterwards.
    std::exception_ptr failure;
    auto step = [&failure](auto&& fn) {
        try {
            fn();
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    };
    step([&] {
        if (dbgrdMain) dbgrdMain->SetDataSource(nullptr);
        if (TComponent* dm = DataModule()) {
            SetDataModule(nullptr);
            delete dm;
        }
    });
    step([&] {
        if (Protocol()) ReleaseModule(FuncId());
    });
    step([&] { TfrmSingleMuliColBase::FreeFormData(); });
    if (failure) std::rethrow_exception(failure);
}

void TfrmTarn204::InitOnActivate() {
    TfrmSingleMuliColBase::InitOnActivate();
    RegisterModule(ModuleKey);
    Panels = {PanelWidget(pnlMain)};
    SetEditState(esBrowse);
}

bool TfrmTarn204::CanCloseForm() {
    if (EditState() == esBrowse) return true;
    return Box("请保存或者取消后再退出当前窗体！", 4) == 6;
}

void TfrmTarn204::DoNew() {
    if (EditState() != esBrowse) {
        Box("编辑状态无法新增记录！", 1);
        return;
    }
    dbgrdMain->setFocus();
    SetEditState(esInsert);
    Main()->Append();
}

void TfrmTarn204::DoUpdate() {
    if (Main()->IsEmpty()) {
        Box("数据集为空！", 2);
        return;
    }
    dbgrdMain->setFocus();
    SetEditState(esEdit);
    Main()->Edit();
}

std::string TfrmTarn204::BuildRequest() {
    TQmProtocol& p = *Protocol();
    p.Clear();
    p.SetCopyMode(cmAllRows);
    TQmTable& table = p.Table(p.AddTable());
    FillRows(table, *Main());
    FillDeleted(table, *Delta());
    return p.WriteXml();
}

bool TfrmTarn204::ReadExecuteAnswer(const std::string& answer) {
    TQmProtocol& p = *Protocol();
    try {
        p.ReadXml(answer);
    } catch (...) {
        // The code read before the failure still decides.
    }
    if (!p.HasNumericCode()) {
        SendStatusMessage(3, UnreadableAnswer);
        return false;
    }
    if (p.StatusCode != 0) {
        SendStatusMessage(3, p.StatusInfo);
        return false;
    }
    return true;
}

void TfrmTarn204::DoDelete() {
    if (EditState() != esBrowse) {
        Box("编辑状态无法删除记录！", 1);
        return;
    }
    TMemTable& main = *Main();
    if (main.IsEmpty()) {
        Box("数据集为空！", 1);
        return;
    }
    if (Box("您确定要删除该笔数据吗？", 4) != 6) return;
    main.Delete();
    Protocol()->Clear();
    Protocol()->DeleteMode = true;  // stays set for later saves
    const std::string request = BuildRequest();
    const std::string answer = ExecuteAction(FuncId(), ActionName, request);
    if (!ReadExecuteAnswer(answer)) return;
    Protocol()->ApplyKeys(main);
    main.MergeChangeLog();
    Delta()->EmptyTable();
    Box("删除成功！", 1);
    SetEditState(esBrowse);
}

void TfrmTarn204::DoSave() {
    if (EditState() == esBrowse) {
        Box("浏览状态无法保存记录！", 1);
        return;
    }
    TMemTable& main = *Main();
    TMemTable& delta = *Delta();
    if (main.State() == dsEdit || main.State() == dsInsert) main.Post();
    const bool wasInsert = EditState() == esInsert;
    SetEditState(esEdit);
    if (main.IsEmpty() && delta.IsEmpty()) {
        Box("数据集为空！", 1);
        return;
    }
    std::string label = CheckFieldValues(1, &main, RequiredFields);
    if (!label.empty()) {
        Box("[" + label + "] 不得为空！", 1);
        return;
    }
    if (wasInsert) {
        label = CheckFieldValues(0, &main, UniqueFields);
        if (!label.empty()) {
            Box("[" + label + "] 不得有重复值！", 1);
            return;
        }
    }
    SetEditState(esEdit);
    const std::string request = BuildRequest();
    const std::string answer = ExecuteAction(FuncId(), ActionName, request);
    if (!ReadExecuteAnswer(answer)) return;
    Protocol()->ApplyKeys(main);
    Box("保存成功！", 1);
    main.MergeChangeLog();
    delta.EmptyTable();
    SetEditState(esBrowse);
}

void TfrmTarn204::DoSearch() {
    SetEditState(esBrowse);
    const std::string answer = SearchData(nullptr);
    try {
        TQmProtocol& p = *Protocol();
        // An unreadable answer changes nothing (its status would be the previous answer's).
        if (!p.ReadXml(answer)) return;
        if (p.StatusCode != 0) {
            SendStatusMessage(3, p.StatusInfo);
        } else if (p.TableCount() > 0) {
            TMemTable& main = *Main();
            main.First();
            main.EmptyTable();
            LoadTable(p.Table(0), main);
        }
    } catch (...) {
        // An answer that cannot be read leaves the rows as they are.
    }
}

void TfrmTarn204::DoCancel() {
    if (EditState() == esBrowse) return;
    TMemTable& main = *Main();
    // Only the current row's pending work is dropped; rows already posted stay.
    if ((EditState() == esInsert || EditState() == esEdit) &&
        (main.State() == dsInsert || main.State() == dsEdit))
        main.Cancel();
    SetEditState(esBrowse);
}

void TfrmTarn204::DoFirstRec() { Main()->First(); }
void TfrmTarn204::DoPriorRec() { Main()->Prior(); }
void TfrmTarn204::DoNextRec() { Main()->Next(); }
void TfrmTarn204::DoLastRec() { Main()->Last(); }

}  // namespace qm
