// The income-level form: maintains TB_MEMAC in one grid through the host.
#pragma once

#include "framework/accepted_rows.h"
#include "framework/single_table_form.h"

namespace qm {

class TTarn204Dm;

class TfrmTarn204 : public TfrmSingleMuliColBase {
    Q_OBJECT
public:
    static constexpr const char* ModuleKey = "Tarn204";
    static constexpr const char* SysCode = "MEM";
    static constexpr const char* ActionName = "singleRecordSet";
    static constexpr const char* CodeField = "MEMAC001"; // what a clerk knows a row by
    static constexpr const char* RequiredFields = "MEMAC001,MEMAC002";
    static constexpr const char* UniqueFields = "MEMAC001";
    static constexpr const char* BoxCaption = "提示：";
    static constexpr const char* KeyField = "MEMAC_ID";
    static constexpr const char* LowerField = "MEMAC003";
    static constexpr const char* UpperField = "MEMAC004";

    explicit TfrmTarn204(QWidget* parent);

    TTarn204Dm* Dm() const;

    bool CanCloseForm() override;
    void DoNew() override;
    void DoUpdate() override;
    void DoDelete() override;
    void DoSave() override;
    void DoSearch() override;
    void DoCancel() override;
    void DoFirstRec() override;
    void DoPriorRec() override;
    void DoNextRec() override;
    void DoLastRec() override;
    void CreateFormData() override;
    void FreeFormData() override;
    void InitOnActivate() override;
    void BindGridAndTables(TQmDBGrid* grid, TMemTable* main, TMemTable* delta, TQmTbField* fields) override;

    // Changes the store has not accepted: changed, inserted and deleted rows, the current row's
    // unposted edit or insert included when something was typed into it.
    int UnsavedCount() const;

    // The smallest room that shows the panel whole, without scroll bars: a hint for the host's
    // window. The form itself always fills its parent, and scrolls inside a smaller one.
    QSize minimumSizeHint() const override;

protected:
    // The panel fills the scroll box and the grid fills the panel, down to their design sizes.
    void LayoutClient(const QRect& area) override;

private:
    // Every box returns the focus to the grid.
    int Box(const std::string& text, int flags);
    // Shows a failed check and puts the focus on the cell at fault.
    void ShowFault(const std::string& text, const std::string& fieldName, int recNo);
    // The first inserted or changed row whose lower bound is above its upper bound; 0 when none.
    int FindInvertedRange();
    void ReportRefusal();
    // After the store refused a save: the focus on the cell its reason names, when it names one.
    void FocusRefusedCell(const std::string& reason);
    void FocusGrid();
    // Reads the host's answer to a save or delete; true when the host has done it. A refusal is
    // reported to the host and keeps every change.
    bool ReadExecuteAnswer(const std::string& answer);
    // Builds the save or delete request from the main and deleted-rows tables.
    std::string BuildRequest();
    TMemTable* Main() const;
    TMemTable* Delta() const;
    bool FDataFreed = false;
    TAcceptedRows FAccepted;
};

} // namespace qm
