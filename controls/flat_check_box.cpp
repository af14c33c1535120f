#include "controls/flat_check_box.h"

#include <QCheckBox>

namespace qm {

namespace {

Qt::CheckState ToQt(TCheckBoxState s) {
    switch (s) {
    case TCheckBoxState::cbChecked:
        return Qt::Checked;
    case TCheckBoxState::cbGrayed:
        return Qt::PartiallyChecked;
    default:
        return Qt::Unchecked;
    }
}

} // namespace

TQmFlatCheckBox::TQmFlatCheckBox(QWidget* parent) : TQmFlatControl(parent) {
    resize(97, 21);
    auto* box = new detail::LockableButton<QCheckBox>();
    box->setTristate(false);
    // The user's click: everything else that changes the state comes from code.
    box->onUserToggle = [this] {
        // Leaving the grayed state a value from code had put there: the user cannot come back to it.
        if (!allowGrayed_ && State() != TCheckBoxState::cbGrayed) box_->setTristate(false);
        if (OnClick) OnClick();
    };
    box_ = box;
    connect(box_, &QCheckBox::stateChanged, this, [this] {
        if (OnChange) OnChange();
        emit changed();
    });
    SetEditor(box_);
}

std::string TQmFlatCheckBox::Caption() const {
    return box_->text().toStdString();
}

void TQmFlatCheckBox::SetCaption(const std::string& caption) {
    box_->setText(QString::fromStdString(caption));
}

void TQmFlatCheckBox::SetChecked(bool value) {
    SetState(value ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked);
}

TCheckBoxState TQmFlatCheckBox::State() const {
    switch (box_->checkState()) {
    case Qt::Checked:
        return TCheckBoxState::cbChecked;
    case Qt::PartiallyChecked:
        return TCheckBoxState::cbGrayed;
    default:
        return TCheckBoxState::cbUnchecked;
    }
}

void TQmFlatCheckBox::SetState(TCheckBoxState value) {
    // Code may show the grayed state (a null value) even where the user cannot pick it.
    if (value == TCheckBoxState::cbGrayed) box_->setTristate(true);
    box_->setCheckState(ToQt(value));
    if (!allowGrayed_ && value != TCheckBoxState::cbGrayed) box_->setTristate(false);
}

void TQmFlatCheckBox::SetAllowGrayed(bool value) {
    allowGrayed_ = value;
    box_->setTristate(value || State() == TCheckBoxState::cbGrayed);
}

void TQmFlatCheckBox::ApplyReadOnly(bool readOnly) {
    static_cast<detail::LockableButton<QCheckBox>*>(box_)->locked = readOnly;
}

} // namespace qm
