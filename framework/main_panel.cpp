#include "framework/main_panel.h"

#include "controls/flat_panel.h"

namespace qm {

TFlatPanel* NewMainPanel(QWidget* parent, TColor color) {
    auto* panel = new TFlatPanel(parent);
    panel->setObjectName(QStringLiteral("pnlMain"));
    panel->SetQmCaptionPosition(TQmCaptionPosition::cpLeftTop);
    panel->SetQmShowLine(true);
    panel->QmCaptionFont().SetName("Tahoma");
    panel->QmCaptionFont().SetHeight(-11);
    panel->QmCaptionFont().SetColor(clWindowText);
    panel->SetColor(color);
    panel->SetColorHighLight(clGray);
    panel->SetColorShadow(clGray);
    panel->setGeometry(16, 16, 297, 209);
    return panel;
}

QWidget* PanelWidget(TFlatPanel* panel) {
    return panel;
}

void SetMainPanel(TFlatPanel* panel, const QRect& bounds, const std::string& caption, bool showLine) {
    panel->setGeometry(bounds);
    panel->SetCaption(caption);
    panel->SetQmShowLine(showLine);
}

void SetPanelColor(TFlatPanel* panel, TColor color) {
    panel->SetColor(color);
}

bool IsFlatPanel(const QWidget* widget) {
    return qobject_cast<const TFlatPanel*>(widget) != nullptr;
}

} // namespace qm
