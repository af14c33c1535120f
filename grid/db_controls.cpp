#include "grid/db_controls.h"

#include <QEvent>
#include <QLineEdit>

#include "plugin/message_box.h"

namespace qm {

TQmDBEdit::TQmDBEdit(QWidget* parent)
    : TQmDBControlOf(parent, [this](const std::string& text) { Show(text); }) {
    if (LineEditor()) LineEditor()->installEventFilter(this);
}

void TQmDBEdit::Show(const std::string& text) {
    // Typing stops at the field's size; a longer stored value is shown whole.
    TField* field = FLink.Field();
    if (field && field->DataType() == ftString && field->Size() > 0)
        SetMaxLength(std::max<int>(field->Size(), static_cast<int>(CharCount(text))));
    else
        SetMaxLength(0);
    SetText(text);
}

void TQmDBEdit::Change() {
    if (!FLink.Loading()) FLink.Modified(Text());
    TQmFlatEdit::Change();
}

bool TQmDBEdit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        std::string error;
        if (!FLink.Flush(error)) CallMessageBox("提示：", error, MB_NOTICE);
    }
    return TQmFlatEdit::eventFilter(watched, event);
}

TQmDBMemo::TQmDBMemo(QWidget* parent)
    : TQmDBControlOf(parent, [this](const std::string& text) { SetText(text); }) {}

void TQmDBMemo::Change() {
    if (!FLink.Loading()) FLink.Modified(Text());
    TQmFlatMemo::Change();
}

TQmDBComboBox::TQmDBComboBox(QWidget* parent)
    : TQmDBControlOf(parent, [this](const std::string& text) { SetText(text); }) {}

void TQmDBComboBox::Change() {
    if (!FLink.Loading()) FLink.Modified(Text());
    TQmFlatComboBox::Change();
}

} // namespace qm
