#include "grid/cell_editor.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QValidator>

#include <algorithm>
#include <functional>

#include "grid/column.h"
#include "grid/typed_text.h"

namespace qm {

namespace {

// Stops input at the field's length. A text already longer (stored so) may still be shortened.
class TLengthValidator : public QValidator {
public:
    TLengthValidator(QLineEdit* edit, int size, std::function<void(int characters, bool aloud)> refused)
        : QValidator(edit), FSize(size), FRefused(std::move(refused)) {
        connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { FHeld = Count(text); });
        connect(edit, &QLineEdit::selectionChanged, this,
                [this, edit] { FSelected = Count(edit->selectedText()); });
    }
    // The text about to be set by code, which is taken as it is.
    void Hold(const QString& text) { FHeld = Count(text); }
    State validate(QString& input, int&) const override {
        const int count = Count(input);
        if (count <= FSize || count <= FHeld) return Acceptable;
        // More than one character at once is a paste or an input method's whole word: refused whole.
        const int inserted = count - std::max(0, FHeld - FSelected);
        QMetaObject::invokeMethod(
            parent(), [refused = FRefused, count, inserted] { refused(count, inserted > 1); },
            Qt::QueuedConnection);
        return Invalid;
    }

private:
    static int Count(const QString& text) { return CharacterCount(text.toUtf8().toStdString()); }
    int FSize;
    int FHeld = 0;     // characters of the text the editor holds
    int FSelected = 0; // of them selected, which an input replaces
    std::function<void(int, bool)> FRefused;
};

QString FromStd(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
std::string ToStd(const QString& text) {
    return text.toUtf8().toStdString();
}
} // namespace

TQmCellEditor::TQmCellEditor(QWidget* parent, const TQmColumn* column, const TField* field)
    : QWidget(parent), FColumn(column) {
    if (field && field->DataType() == ftString && field->Size() > 0) {
        FSize = field->Size();
        FLabel = field->DisplayLabel();
    }
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
    if (FEdit && FSize > 0) {
        FLength = new TLengthValidator(FEdit, FSize, [this](int characters, bool aloud) {
            emit Refused(QString::fromStdString(LengthRefusal(FLabel, FSize, characters)), aloud);
        });
        FEdit->setValidator(FLength);
    }
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
    Show(value, true);
}

void TQmCellEditor::Accept(const QString& value) {
    Show(value, false);
}

void TQmCellEditor::Show(const QString& value, bool chosen) {
    const QString shown = FColumn ? FromStd(FColumn->DisplayFor(ToStd(value))) : value;
    if (FEdit) {
        if (FLength) static_cast<TLengthValidator*>(FLength)->Hold(shown);
        if (FEdit->text() != shown) FEdit->setText(shown);
        if (chosen) FEdit->selectAll(); // typing replaces the value; arrows keep it
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
