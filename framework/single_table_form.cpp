// Layout, colours and Tab handling of the single-table form.
#include "framework/single_table_form.h"

#include <QScrollArea>

#include "framework/main_panel.h"
#include "grid/db_grid.h"
#include "plugin/globals.h"
#include "plugin/messages.h"
#include "plugin/records.h"

namespace qm {

TfrmSingleMuliColBase::TfrmSingleMuliColBase(QWidget* parent, TBorderIcons icons, QSize designClientSize)
    : TfrmChildBase(parent, icons, designClientSize) {
    scrlbx = new QScrollArea(this);
    scrlbx->setObjectName(QStringLiteral("scrlbx"));
    scrlbx->setFrameShape(QFrame::StyledPanel);
    scrlbx->setFrameShadow(QFrame::Sunken);
    scrlbx->setWidgetResizable(false);
    // The scroll box shows the form's colour behind its content.
    scrlbx->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    scrlbx->viewport()->setAutoFillBackground(false);
    FContent = new QWidget;
    FContent->setObjectName(QStringLiteral("scrlbxContent"));
    scrlbx->setWidget(FContent);
    FContent->setAutoFillBackground(false); // after setWidget, which turns it on

    pnlMain = NewMainPanel(FContent, PanelDesignColor);

    dbgrdMain = new TQmDBGrid(PanelWidget(pnlMain));
    dbgrdMain->setObjectName(QStringLiteral("dbgrdMain"));
    dbgrdMain->setGeometry(10, 31, 250, 154);
    TQmGridStyle style;
    style.RowHeight = 18;
    style.TitleHeight = 16;
    style.EvenRowColor = EvenRowColor;
    style.OddRowColor = OddRowColor;
    style.FixedColor = PanelDesignColor;
    dbgrdMain->SetStyle(style);
    // Esc outside a changed cell is the form's cancel, also when no host runs it as a shortcut.
    dbgrdMain->OnCancelKey = [this] { RunBaseCommand(5); };
    dbgrdMain->OnNote = [this](const std::string& text, bool standing) {
        try {
            SendStatusMessage(static_cast<std::int32_t>(standing ? QM_STATUS_STANDING : QM_STATUS_NOTE),
                              text);
        } catch (...) {
        }
    };
    dbgrdMain->OnInputRefused = [this] {
        if (EditState() == esBrowse && dbgrdMain->OnNote)
            dbgrdMain->OnNote("浏览状态不能直接输入，请先按“修改”或“新增”", false);
    };
    LayoutClient(QRect(0, TTitleBar::Height, width(), height() - TTitleBar::Height));
}

void TfrmSingleMuliColBase::SetMainPanelGeometry(const QRect& bounds, const std::string& caption,
                                                 bool showLine) {
    SetMainPanel(pnlMain, bounds, caption, showLine);
    FContent->resize(bounds.right() + 1 + bounds.left(), bounds.bottom() + 1 + bounds.top());
}

void TfrmSingleMuliColBase::SetGridGeometry(const QRect& bounds) {
    dbgrdMain->setGeometry(bounds);
}

void TfrmSingleMuliColBase::LayoutClient(const QRect& area) {
    if (!scrlbx) return;
    scrlbx->setGeometry(area);
    // The content keeps the panel with its margins; the scroll box scrolls when it is smaller.
    const QRect panel = PanelWidget(pnlMain)->geometry();
    FContent->resize(panel.right() + 1 + panel.left(), panel.bottom() + 1 + panel.top());
}

void TfrmSingleMuliColBase::ApplyColors() {
    TfrmChildBase::ApplyColors();
    const THostColors* colors = HostColors();
    if (!colors) return;
    const TColor panel = static_cast<TColor>(colors->PanelColor);
    SetPanelColor(pnlMain, panel);
    TQmGridStyle style = dbgrdMain->Style();
    style.FixedColor = panel;
    dbgrdMain->SetStyle(style);
}

void TfrmSingleMuliColBase::EnableMainPanel(bool enabled) {
    PanelWidget(pnlMain)->setEnabled(enabled);
}

bool TfrmSingleMuliColBase::KeepsTab(QWidget* focus) const {
    return (focus && (focus == dbgrdMain || dbgrdMain->isAncestorOf(focus))) ||
           TfrmChildBase::KeepsTab(focus);
}

} // namespace qm
