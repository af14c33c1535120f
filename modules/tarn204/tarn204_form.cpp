// The commands of the income-level form.
#include "modules/tarn204/tarn204_form.h"

#include "protocol/table_guards.h"

#include <QApplication>
#include <QScrollArea>

#include <algorithm>
#include <exception>

#include "dataset/mem_table.h"
#include "framework/main_panel.h"
#include "framework/search_rows.h"
#include "framework/title_bar.h"
#include "grid/db_grid.h"
#include "modules/tarn204/dm/tarn204_dm.h"
#include "plugin/message_box.h"
#include "protocol/qm_protocol.h"
#include "protocol/request_tables.h"
#include "protocol/response_tables.h"

namespace qm {

namespace {

// Where the panel sits in the scroll box and the grid in the panel at the design size.
constexpr QRect kPanelDesign(10, 10, 520, 491);
constexpr QRect kGridDesign(15, 20, 488, 450);

} // namespace

TfrmTarn204::TfrmTarn204(QWidget* parent)
    : TfrmSingleMuliColBase(parent, unsigned(TBorderIcon::biSystemMenu), QSize(779, 541)) {
    SetMainPanelGeometry(QRect(kPanelDesign), " 收入等级", false);
    SetGridGeometry(QRect(kGridDesign));
    LayoutClient(QRect(0, TTitleBar::Height, width(), height() - TTitleBar::Height));
}

QSize TfrmTarn204::minimumSizeHint() const {
    const int frame = scrlbx ? 2 * scrlbx->frameWidth() : 0;
    return {kPanelDesign.right() + 1 + kPanelDesign.left() + frame,
            kPanelDesign.bottom() + 1 + kPanelDesign.top() + frame + TTitleBar::Height};
}

void TfrmTarn204::LayoutClient(const QRect& area) {
    if (scrlbx && pnlMain && dbgrdMain) {
        // The design margins stay; the panel and the grid take whatever room is left over.
        const int frame = 2 * scrlbx->frameWidth();
        const int extraW =
            std::max(0, area.width() - frame - (kPanelDesign.right() + 1 + kPanelDesign.left()));
        const int extraH =
            std::max(0, area.height() - frame - (kPanelDesign.bottom() + 1 + kPanelDesign.top()));
        PanelWidget(pnlMain)->setGeometry(kPanelDesign.adjusted(0, 0, extraW, extraH));
        SetGridGeometry(kGridDesign.adjusted(0, 0, extraW, extraH));
    }
    TfrmSingleMuliColBase::LayoutClient(area);
}

TTarn204Dm* TfrmTarn204::Dm() const {
    return dynamic_cast<TTarn204Dm*>(DataModule());
}
TMemTable* TfrmTarn204::Main() const {
    return Dm() ? Dm()->mtblMain : nullptr;
}
TMemTable* TfrmTarn204::Delta() const {
    return Dm() ? Dm()->mtblMainDelta : nullptr;
}

int TfrmTarn204::Box(const std::string& text, int flags) {
    const int answer = CallMessageBox(BoxCaption, text, flags);
    FocusGrid();
    return answer;
}

void TfrmTarn204::FocusGrid() {
    if (!dbgrdMain || !isVisible()) return;
    // A cell editor already holding the focus keeps it. Right after a box no window is active
    // yet: what counts is what the window gives the focus back to.
    const QWidget* focus = window()->focusWidget();
    if (focus == dbgrdMain || dbgrdMain->isAncestorOf(focus)) return;
    dbgrdMain->setFocus(Qt::OtherFocusReason);
}

void TfrmTarn204::ShowFault(const std::string& text, const std::string& fieldName, int recNo) {
    Box(text, 1);
    if (recNo > 0) Main()->SetRecNo(recNo);
    dbgrdMain->FocusField(fieldName);
}

int TfrmTarn204::UnsavedCount() const {
    TMemTable* main = Main();
    if (!main || !main->Active()) return 0;
    int count = main->ChangeCount();
    // A row being edited or inserted reports unmodified until it is posted.
    if ((main->State() == dsEdit || main->State() == dsInsert) && main->Modified() &&
        main->UpdateStatus() == usUnmodified)
        ++count;
    return count;
}

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
    if (FDataFreed) return; // a closed form stays closed
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
    FocusGrid();
}

bool TfrmTarn204::CanCloseForm() {
    if (EditState() == esBrowse) return true;
    Main()->UpdateRecord(); // a refused cell keeps the form open on it
    return Box("请保存或者取消后再退出当前窗体！\n（是：放弃未保存的修改并关闭；否：回到窗体）",
               MB_YESNO | MB_DEFBUTTON2) == 6;
}

void TfrmTarn204::DoNew() {
    if (EditState() != esBrowse) {
        Box("编辑状态无法新增记录！", 1);
        return;
    }
    FAccepted.Take(*Main());
    dbgrdMain->setFocus();
    SetEditState(esInsert);
    Main()->Append();
}

void TfrmTarn204::DoUpdate() {
    // A new row stays new until it is saved or cancelled: the checks of a new row still apply.
    if (EditState() == esInsert) return;
    if (Main()->IsEmpty()) {
        Box("数据集为空！", 2);
        return;
    }
    // Leaving the browse state: what is shown now is what the store accepted.
    if (EditState() == esBrowse || EditState() == esInitial || !FAccepted.Held()) FAccepted.Take(*Main());
    dbgrdMain->setFocus();
    SetEditState(esEdit);
    Main()->Edit();
}

std::string TfrmTarn204::BuildRequest() {
    TQmProtocol& p = *Protocol();
    p.Clear();
    // The request names only changed rows of a table without children: copying the unchanged
    // ones as well would make a save cost as much as the rows on show.
    p.SetCopyMode(cmChangedRows);
    TQmTable& table = p.Table(p.AddTable());
    FillRows(table, *Main());
    FillDeleted(table, *Delta());
    return p.WriteXml();
}

void TfrmTarn204::ReportRefusal() {
    const TQmProtocol& p = *Protocol();
    SendStatusMessage(3, p.StatusInfo.empty() ? "主机拒绝了请求（代码 " + std::to_string(p.StatusCode) + "）"
                                              : p.StatusInfo);
}

bool TfrmTarn204::ReadExecuteAnswer(const std::string& answer) {
    TQmProtocol& p = *Protocol();
    p.StatusInfo.clear(); // each answer's info stands alone
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
        ReportRefusal();
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
    if (Box("您确定要删除该笔数据吗？", MB_YESNO | MB_DEFBUTTON2) != 6) return;
    // Kept until the host has answered: a refused delete puts the row back.
    FAccepted.Take(main);
    const int recNo = main.RecNo();
    main.Delete();
    Protocol()->Clear();
    Protocol()->DeleteMode = true; // stays set for later saves
    const std::string request = BuildRequest();
    const std::string answer = ExecuteAction(FuncId(), ActionName, request);
    if (!ReadExecuteAnswer(answer)) {
        FAccepted.Restore(main, KeyField);
        FAccepted.Drop();
        Delta()->EmptyTable();
        main.SetRecNo(std::min(recNo, main.RecordCount()));
        FocusGrid();
        return;
    }
    FAccepted.Drop();
    Protocol()->ApplyKeys(main);
    main.MergeChangeLog();
    Delta()->EmptyTable();
    // The row that took the deleted one's place.
    if (!main.IsEmpty()) main.SetRecNo(std::min(recNo, main.RecordCount()));
    Box("删除成功！", 1);
    SetEditState(esBrowse);
}

int TfrmTarn204::FindInvertedRange() {
    TMemTable& main = *Main();
    TField* lower = main.FindField(LowerField);
    TField* upper = main.FindField(UpperField);
    if (!lower || !upper) return 0;
    const TBookmark position = main.GetBookmark();
    int found = 0;
    // The grid follows once, after the walk, not row by row; only new and changed rows are visited.
    TControlsDisabled quiet(main);
    for (int pos : main.ChangedPositions()) {
        const TUpdateStatus status = main.StatusAt(pos);
        if (status != usInserted && status != usModified) continue;
        main.SetRecNo(pos + 1);
        if (!lower->IsNull() && !upper->IsNull() && lower->AsLargeInt() > upper->AsLargeInt()) {
            found = main.RecNo();
            break;
        }
    }
    if (position && main.BookmarkValid(position)) main.GotoBookmark(position);
    return found;
}

void TfrmTarn204::DoSave() {
    if (EditState() == esBrowse) {
        Box("浏览状态无法保存记录！", 1);
        return;
    }
    TMemTable& main = *Main();
    TMemTable& delta = *Delta();
    main.UpdateRecord(); // a refused cell stops the save here
    // A new row nothing was typed into is dropped when there is something else to save; alone, it
    // stays new, so that the cursor leaving it still drops it, and the check names what it lacks.
    if (main.State() == dsInsert && !main.Modified()) {
        if (main.ChangeCount() == 0 && delta.IsEmpty()) {
            ShowFault("[" + main.FieldByName(CodeField)->DisplayLabel() + "] 不得为空！", CodeField, 0);
            return;
        }
        main.Cancel();
    }
    if (main.State() == dsEdit || main.State() == dsInsert) main.Post();
    SetEditState(esEdit);
    if (main.IsEmpty() && delta.IsEmpty()) {
        Box("数据集为空！", 1);
        return;
    }
    // Only the rows this save writes are checked: rows nobody touched are as the store keeps them.
    TFieldFault fault = FindFieldFault(1, &main, RequiredFields, true);
    if (!fault.Label.empty()) {
        ShowFault("[" + fault.Label + "] 不得为空！", fault.FieldName, fault.RecNo);
        return;
    }
    fault = FindFieldFault(0, &main, UniqueFields, true);
    if (!fault.Label.empty()) {
        ShowFault("[" + fault.Label + "] 不得有重复值！", fault.FieldName, fault.RecNo);
        return;
    }
    if (const int inverted = FindInvertedRange()) {
        ShowFault("[" + main.FieldByName(LowerField)->DisplayLabel() + "] 不得大于 [" +
                      main.FieldByName(UpperField)->DisplayLabel() + "]！",
                  LowerField, inverted);
        return;
    }
    SetEditState(esEdit);
    const TBookmark current = main.GetBookmark();
    const std::string request = BuildRequest();
    const std::string answer = ExecuteAction(FuncId(), ActionName, request);
    if (!ReadExecuteAnswer(answer)) {
        if (current && main.BookmarkValid(current)) main.GotoBookmark(current);
        FocusRefusedCell(Protocol()->StatusInfo);
        FocusGrid();
        return;
    }
    Protocol()->ApplyKeys(main);
    // Writing the request walked the rows: the clerk's row is shown again under the box.
    if (current && main.BookmarkValid(current)) main.GotoBookmark(current);
    Box("保存成功！", 1);
    main.MergeChangeLog();
    delta.EmptyTable();
    FAccepted.Drop();
    SetEditState(esBrowse);
    // The row that was current, found again (a new row by the key the host gave it).
    if (current && main.BookmarkValid(current)) main.GotoBookmark(current);
}

void TfrmTarn204::FocusRefusedCell(const std::string& reason) {
    TMemTable& main = *Main();
    // The column: the longest label or field name the reason holds, of a column on show.
    TField* named = nullptr;
    std::size_t length = 0;
    for (int i = 0; i < main.FieldCount(); ++i) {
        TField* field = main.Fields(i);
        if (!field->Visible()) continue;
        for (const std::string& name : {field->DisplayLabel(), field->FieldName()})
            if (name.size() > length && reason.find(name) != std::string::npos) {
                named = field;
                length = name.size();
            }
    }
    if (!named) return;
    // The row: a changed one holding the value the reason quotes, else the clerk's row.
    const std::string open = "“", close = "”";
    const std::size_t from = reason.find(open);
    const std::size_t to = from == std::string::npos ? from : reason.find(close, from + open.size());
    int recNo = 0;
    if (to != std::string::npos) {
        const std::string value = reason.substr(from + open.size(), to - from - open.size());
        const TBookmark position = main.GetBookmark();
        {
            TControlsDisabled quiet(main);
            for (main.First(); !main.Eof() && recNo == 0; main.Next())
                if (main.UpdateStatus() != usUnmodified && named->AsString() == value) recNo = main.RecNo();
            if (position && main.BookmarkValid(position)) main.GotoBookmark(position);
        }
    }
    if (recNo > 0) main.SetRecNo(recNo);
    dbgrdMain->FocusField(named->FieldName());
}

void TfrmTarn204::DoSearch() {
    TMemTable& main = *Main();
    main.UpdateRecord(); // text still in a cell editor counts as typed
    if (UnsavedCount() > 0 || !Delta()->IsEmpty()) {
        if (Box("有未保存的修改，确定放弃吗？", MB_YESNO | MB_DEFBUTTON2) != 6) return;
    }
    // Nothing unsaved survives into the browse state, even when the answer cannot be used.
    if (!FAccepted.Restore(main, KeyField) && (main.State() == dsEdit || main.State() == dsInsert))
        main.Cancel();
    FAccepted.Drop();
    SetEditState(esBrowse);
    TQmProtocol& p = *Protocol();
    std::vector<TLeftOutRow> leftOut;
    // The record's wide text is read where it stands; the record goes once it is read.
    // Rows left out are named by the code a clerk knows them by.
    const bool read = ReadSearchAnswer(p, SearchRecord(nullptr)->SearchAnswer, CodeField, leftOut);
    if (!p.HasNumericCode()) {
        SendStatusMessage(3, UnreadableAnswer);
    } else if (p.StatusCode != 0) {
        ReportRefusal();
    } else if (!read) {
        // A success whose rows cannot be read at all: nothing shown would be the truth.
        SendStatusMessage(3, UnreadableAnswer);
    } else {
        if (p.TableCount() > 0) {
            ReplaceRows(p.Table(0), main, CodeField, leftOut);
            p.ClearTables(); // the main table holds the rows now, moved over or copied
        } else {
            main.EmptyTable();
        }
        if (!leftOut.empty()) SendStatusMessage(3, LeftOutText(leftOut, main, CodeField));
    }
    FocusGrid();
}

void TfrmTarn204::DoCancel() {
    if (EditState() == esBrowse) return;
    TMemTable& main = *Main();
    // More than the current row's own pending work would go: ask first.
    if (main.Active() && main.ChangeCount() > 0) {
        const std::string text = "将放弃 " + std::to_string(UnsavedCount()) + " 条未保存的修改，确定吗？";
        if (Box(text, MB_YESNO | MB_DEFBUTTON2) != 6) return;
    }
    if (!FAccepted.Restore(main, KeyField) && (main.State() == dsEdit || main.State() == dsInsert))
        main.Cancel();
    FAccepted.Drop();
    SetEditState(esBrowse);
    FocusGrid();
}

// Under a sort or filter the toolbar walks the rows as shown; otherwise the table's own order.
void TfrmTarn204::DoFirstRec() {
    if (!dbgrdMain || !dbgrdMain->MoveAmongShown(TQmDBGrid::TShownMove::First)) Main()->First();
}
void TfrmTarn204::DoPriorRec() {
    if (!dbgrdMain || !dbgrdMain->MoveAmongShown(TQmDBGrid::TShownMove::Prior)) Main()->Prior();
}
void TfrmTarn204::DoNextRec() {
    if (!dbgrdMain || !dbgrdMain->MoveAmongShown(TQmDBGrid::TShownMove::Next)) Main()->Next();
}
void TfrmTarn204::DoLastRec() {
    if (!dbgrdMain || !dbgrdMain->MoveAmongShown(TQmDBGrid::TShownMove::Last)) Main()->Last();
}

} // namespace qm
