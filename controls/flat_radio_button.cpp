#include "controls/flat_radio_button.h"

#include <QRadioButton>

#include "controls/flat_check_box.h"

namespace qm {

using LockableRadio = detail::LockableButton<QRadioButton>;

TQmFlatRadioButton::TQmFlatRadioButton(QWidget* parent) : TQmFlatControl(parent) {
    resize(113, 21);
    auto* radio = new LockableRadio();
    // Each editor sits alone in its own control, so the group is kept by hand across the
    // siblings; Qt's own exclusivity would also stop code from unchecking the button.
    radio->setAutoExclusive(false);
    radio->neverUncheck = true;
    radio->onUserToggle = [this] {
        if (OnClick) OnClick();
    };
    radio_ = radio;
    connect(radio_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) UncheckSiblings();
        if (OnChange) OnChange();
        emit changed();
    });
    SetEditor(radio_);
}

std::string TQmFlatRadioButton::Caption() const {
    return radio_->text().toStdString();
}

void TQmFlatRadioButton::SetCaption(const std::string& caption) {
    radio_->setText(QString::fromStdString(caption));
}

bool TQmFlatRadioButton::Checked() const {
    return radio_->isChecked();
}

void TQmFlatRadioButton::SetChecked(bool value) {
    radio_->setChecked(value);
}

void TQmFlatRadioButton::UncheckSiblings() {
    QWidget* group = parentWidget();
    if (!group) return;
    for (auto* other : group->findChildren<TQmFlatRadioButton*>(Qt::FindDirectChildrenOnly))
        if (other != this) other->SetChecked(false);
}

void TQmFlatRadioButton::ApplyReadOnly(bool readOnly) {
    static_cast<LockableRadio*>(radio_)->locked = readOnly;
}

} // namespace qm
