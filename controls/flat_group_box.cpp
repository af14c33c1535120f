#include "controls/flat_group_box.h"

#include <QLabel>
#include <QVBoxLayout>

#include "canvas/widget_color.h"

namespace qm {

TQmFlatGroupBox::TQmFlatGroupBox(QWidget* parent) : TQmFlatControl(parent) {
    resize(185, 105);
    auto* body = new QWidget();
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    caption_ = new QLabel(body);
    caption_->setContentsMargins(2, 0, 2, 0);
    client_ = new QWidget(body);
    layout->addWidget(caption_);
    layout->addWidget(client_, 1);
    SetEditor(body);
}

std::string TQmFlatGroupBox::Caption() const {
    return caption_->text().toStdString();
}

void TQmFlatGroupBox::SetCaption(const std::string& caption) {
    caption_->setText(QString::fromStdString(caption));
}

void TQmFlatGroupBox::ApplyLookColor(TColor color) {
    TQmFlatControl::ApplyLookColor(color);
    // Every focus move redraws; tell the children only when the colour really changed.
    if (!client_ || clientColor_ == color) return;
    clientColor_ = color;
    SetWidgetColor(client_, color);
}

void TQmFlatGroupBox::ApplyReadOnly(bool readOnly) {
    if (!client_) return;
    for (auto* control : client_->findChildren<TQmFlatControl*>())
        control->SetReadOnly(readOnly);
}

} // namespace qm
