#include "grid/cell_editor.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

#include "grid/column.h"

namespace qm {

namespace {
QString FromStd(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
std::string ToStd(const QString& text) {
    return text.toUtf8().toStdString();
}
} // namespace

TQmCellEditor::TQmCellEditor(QWidget* parent, const TQmColumn* column, const TField* field)
    : QWidget(parent), FColumn(column) {
    if (field && field->DataType() == ftString && field->Size() > 0) FSize = field->Size();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (column && column->HasPickList()) {
        FCombo = new QComboBox(this);
        for (const std::string& entry : column->PickList)
            FCombo->addItem(FromStd(entry));
        FCombo->setEditable(column->KeyList.empty());
        if (FCombo->isEditable()) FEdit = FCombo->lineEdit();
        connect(FCombo, &QComboBox::activated, this, [this] { MarkModified(); });
        layout->addWidget(FCombo);
    } else {
        FEdit = new QLineEdit(this);
        FEdit->setFrame(false);
        layout->addWidget(FEdit);
    }
    if (FEdit) connect(FEdit, &QLineEdit::textEdited, this, [this] { MarkModified(); });
    if (column && column->HasEllipsis()) {
        FButton = new QToolButton(this);
        FButton->setText(QStringLiteral("..."));
        FButton->setFocusPolicy(Qt::NoFocus);
        connect(FButton, &QToolButton::clicked, this, &TQmCellEditor::EllipsisClicked);
        layout->addWidget(FButton);
    }
    setFocusProxy(FocusTarget());
}

QWidget* TQmCellEditor::FocusTarget() const {
    if (FCombo) return FCombo;
    return FEdit;
}

void TQmCellEditor::MarkModified() {
    FModified = true;
    emit Typed();
}

void TQmCellEditor::SetValue(const QString& value) {
    const QString shown = FColumn ? FromStd(FColumn->DisplayFor(ToStd(value))) : value;
    if (FEdit) {
        // The user may not type beyond the field's size, but a longer value that is already
        // stored is shown and kept whole.
        FEdit->setMaxLength(FSize > 0 ? std::max<int>(FSize, static_cast<int>(shown.size())) : 32767);
        FEdit->setText(shown);
        FEdit->selectAll(); // typing replaces the value; arrows keep it
    }
    if (FCombo) {
        const int at = FCombo->findText(shown);
        if (at >= 0 || !FCombo->isEditable()) FCombo->setCurrentIndex(at);
    }
    FModified = false;
}

QString TQmCellEditor::Text() const {
    if (FEdit) return FEdit->text();
    return FCombo ? FCombo->currentText() : QString();
}

} // namespace qm
