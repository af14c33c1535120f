// The income-level form's own widgets, with the form compiled into the test beside the host.
#include "tests/tarn204/form_session.h"

#include "controls/flat_panel.h"
#include "grid/db_grid.h"

namespace qm::testing {
namespace {

class InProcess : public FormSession {
protected:
    InProcess() { hosting = Hosting::InProcess; }
};

TEST_F(InProcess, PanelColourReachesPanelAndFixedCellsOnly) {
    THostColors colors{};
    colors.ShowTitle = 1;
    colors.TitleColor = 0x123456;
    colors.FormColor = 0x654321;
    colors.PanelColor = 0x00FF0000;
    SendMessage(id, WM_QM_COLORS, reinterpret_cast<WPARAM>(&colors), 0);
    TfrmTarn204* form = Inside();
    EXPECT_EQ(form->pnlMain->Color(), 0x00FF0000u);
    EXPECT_FALSE(form->pnlMain->ParentColor());
    EXPECT_EQ(form->dbgrdMain->Style().FixedColor, 0x00FF0000u);
    EXPECT_EQ(form->dbgrdMain->Style().EvenRowColor, 16762052u);
    EXPECT_EQ(form->dbgrdMain->Style().OddRowColor, 16768477u);
    // The title text keeps its design colour; the rest of the title bar takes the host's.
    EXPECT_EQ(form->TitleBar()->pnlFormTileMid->Color(), 0xA56E3Au);
    EXPECT_EQ(form->TitleBar()->pnlFormTitleLeft->Color(), 0x123456u);
}

TEST_F(InProcess, TitleTextDoesNotDragButDoubleClickToggles) {
    TfrmTarn204* form = Inside();
    form->pnlFormTileMidMouseDown();
    EXPECT_FALSE(form->Dragging());
    const std::int32_t before = form->MaxToggle();
    form->TitleBar()->pnlFormTileMid->OnDblClick();
    EXPECT_NE(form->MaxToggle(), before);
    // Only the close button shows.
    EXPECT_TRUE(form->TitleBar()->pnlFormTitleMinBtn->isHidden());
    EXPECT_TRUE(form->TitleBar()->pnlFormTitleMaxBtn->isHidden());
    EXPECT_FALSE(form->TitleBar()->pnlFormTitleCloseBtn->isHidden());
}

} // namespace
} // namespace qm::testing
