// The captioned panel of the single-table form, set up where the panel's own header is the only
// one with alignment names in scope.
#pragma once

#include <QRect>
#include <string>

#include "platform/platform.h"

class QWidget;

namespace qm {

class TFlatPanel;

TFlatPanel* NewMainPanel(QWidget* parent, TColor color);
QWidget* PanelWidget(TFlatPanel* panel);
void SetMainPanel(TFlatPanel* panel, const QRect& bounds, const std::string& caption, bool showLine);
void SetPanelColor(TFlatPanel* panel, TColor color);
bool IsFlatPanel(const QWidget* widget);

} // namespace qm
