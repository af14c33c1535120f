#include "controls/flat_combo_box.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace qm {

namespace {

// A combo box that can refuse every change while it stays enabled and readable.
class LockableComboBox : public QComboBox {
public:
    bool locked = false;
    void showPopup() override {
        if (!locked) QComboBox::showPopup();
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (locked && e->key() != Qt::Key_Tab && e->key() != Qt::Key_Backtab) return;
        QComboBox::keyPressEvent(e);
    }
    void wheelEvent(QWheelEvent* e) override {
        if (!locked) QComboBox::wheelEvent(e);
    }
};

} // namespace

TQmFlatComboBox::TQmFlatComboBox(QWidget* parent) : TQmFlatControl(parent) {
    auto* combo = new LockableComboBox();
    combo->setFrame(false);
    combo->setEditable(true);
    combo->setMaxVisibleItems(dropDownCount_);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo_ = combo;
    connect(combo_, &QComboBox::currentTextChanged, this, [this] { Change(); });
    SetEditor(combo_);
}

std::vector<std::string> TQmFlatComboBox::Items() const {
    std::vector<std::string> out;
    for (int i = 0; i < combo_->count(); ++i)
        out.push_back(combo_->itemText(i).toStdString());
    return out;
}

void TQmFlatComboBox::SetItems(const std::vector<std::string>& items) {
    const QString text = combo_->currentText();
    combo_->blockSignals(true);
    combo_->clear();
    for (const auto& item : items)
        combo_->addItem(QString::fromStdString(item));
    if (style_ == TComboBoxStyle::csDropDown) {
        combo_->setCurrentIndex(-1);
        combo_->setEditText(text);
    } else {
        combo_->setCurrentIndex(combo_->findText(text));
    }
    combo_->blockSignals(false);
}

int TQmFlatComboBox::ItemIndex() const {
    if (style_ == TComboBoxStyle::csDropDown && combo_->currentIndex() >= 0 &&
        combo_->itemText(combo_->currentIndex()) != combo_->currentText())
        return -1;
    return combo_->currentIndex();
}

void TQmFlatComboBox::SetItemIndex(int index) {
    combo_->setCurrentIndex(index >= 0 && index < combo_->count() ? index : -1);
    if (index < 0 && combo_->isEditable()) combo_->setEditText(QString());
}

std::string TQmFlatComboBox::Text() const {
    return combo_->currentText().toStdString();
}

void TQmFlatComboBox::SetText(const std::string& text) {
    const QString t = QString::fromStdString(text);
    if (style_ == TComboBoxStyle::csDropDown) {
        const int i = combo_->findText(t);
        combo_->setCurrentIndex(i);
        combo_->setEditText(t);
    } else {
        combo_->setCurrentIndex(combo_->findText(t));
    }
}

void TQmFlatComboBox::SetStyle(TComboBoxStyle value) {
    style_ = value;
    combo_->setEditable(value == TComboBoxStyle::csDropDown);
    ApplyReadOnly(ReadOnly());
    Redraw();
}

void TQmFlatComboBox::SetDropDownCount(int value) {
    dropDownCount_ = std::max(1, value);
    combo_->setMaxVisibleItems(dropDownCount_);
}

void TQmFlatComboBox::Change() {
    if (OnChange) OnChange();
    emit changed();
}

void TQmFlatComboBox::ApplyReadOnly(bool readOnly) {
    static_cast<LockableComboBox*>(combo_)->locked = readOnly;
    if (combo_->lineEdit()) combo_->lineEdit()->setReadOnly(readOnly);
}

} // namespace qm
