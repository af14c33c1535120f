// The control kinds the read-only walk knows.
#include "framework/control_access.h"

#include <QFrame>

#include "controls/flat_check_box.h"
#include "controls/flat_combo_box.h"
#include "controls/flat_edit.h"
#include "controls/flat_group_box.h"
#include "controls/flat_radio_button.h"
#include "framework/child_form.h"
#include "framework/main_panel.h"
#include "framework/title_bar.h"
#include "grid/db_controls.h"
#include "grid/db_grid.h"

namespace qm {

bool IsPanel(const QWidget* widget) {
    if (!widget) return false;
    if (IsFlatPanel(widget) || qobject_cast<const TColorPanel*>(widget)) return true;
    // Plain frames and widgets serve as panels too.
    const QMetaObject* meta = widget->metaObject();
    return meta == &QFrame::staticMetaObject || meta == &QWidget::staticMetaObject;
}

void ApplyControlReadOnly(QWidget* child, bool readOnly) {
    // Data controls first: a data combo box is a flat combo box too.
    if (auto* data = dynamic_cast<TQmDBControl*>(child)) {
        data->SetDataReadOnly(TfrmChildBase::FieldReadOnly(data->DataSource(), data->DataField(), readOnly));
        return;
    }
    if (auto* grid = qobject_cast<TQmDBGrid*>(child)) {
        grid->SetReadOnly(readOnly);
        return;
    }
    if (auto* edit = qobject_cast<TQmFlatEdit*>(child)) { // memos, date and number edits too
        edit->SetReadOnly(readOnly);
        return;
    }
    if (qobject_cast<TQmFlatComboBox*>(child) || qobject_cast<TQmFlatCheckBox*>(child) ||
        qobject_cast<TQmFlatRadioButton*>(child) || qobject_cast<TQmFlatGroupBox*>(child))
        child->setEnabled(!readOnly);
}

} // namespace qm
