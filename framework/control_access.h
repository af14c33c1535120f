// What the read-only walk knows of the controls it visits.
#pragma once

class QWidget;

namespace qm {

// A container whose direct children follow the edit state.
bool IsPanel(const QWidget* widget);
// Sets the child's read-only (or enabled) state as its kind asks; other controls stay as they are.
void ApplyControlReadOnly(QWidget* child, bool readOnly);

} // namespace qm
