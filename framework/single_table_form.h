// The base of forms that maintain one table in one grid: a scroll box holding a captioned panel
// with the grid.
#pragma once

#include "framework/child_form.h"

class QScrollArea;

namespace qm {

class TFlatPanel;

class TfrmSingleMuliColBase : public TfrmChildBase {
    Q_OBJECT
public:
    static constexpr TColor PanelDesignColor = 13031385; // 0xC6D7D9
    static constexpr TColor EvenRowColor = 16762052;     // 0xFFC4C4
    static constexpr TColor OddRowColor = 16768477;      // 0xFFDDDD

    void ApplyColors() override;
    virtual void EnableMainPanel(bool enabled);

    QScrollArea* scrlbx = nullptr;
    TFlatPanel* pnlMain = nullptr;
    TQmDBGrid* dbgrdMain = nullptr;

protected:
    TfrmSingleMuliColBase(QWidget* parent, TBorderIcons icons, QSize designClientSize);
    void SetMainPanelGeometry(const QRect& bounds, const std::string& caption, bool showLine);
    void SetGridGeometry(const QRect& bounds);

    void LayoutClient(const QRect& area) override;
    bool TitleDrags() const override { return false; }
    bool TitleTextFollowsTitleColor() const override { return false; }
    bool KeepsTab(QWidget* focus) const override;

private:
    QWidget* FContent = nullptr;
};

} // namespace qm
