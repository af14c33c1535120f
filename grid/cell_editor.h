// The in-place editor of a grid cell: a line edit or a pick-list combo box, with an ellipsis
// button when the column has one.
#pragma once

#include <QWidget>

#include <string>

class QLineEdit;
class QComboBox;
class QToolButton;
class QValidator;

namespace qm {

class TQmColumn;
class TField;

class TQmCellEditor : public QWidget {
    Q_OBJECT
public:
    TQmCellEditor(QWidget* parent, const TQmColumn* column, const TField* field);

    // The stored value; a pick list shows its entry for it. Typing replaces it.
    void SetValue(const QString& value);
    // The value the table took for what was typed: the clerk's caret stays unless the table wrote
    // it otherwise, and the text counts as unchanged from now on.
    void Accept(const QString& value);
    // What the editor shows; the model turns a pick-list entry into its key.
    QString Text() const;
    // Whether the user changed the text since the last SetValue.
    bool Modified() const { return FModified; }
    QLineEdit* LineEdit() const { return FEdit; }
    QComboBox* ComboBox() const { return FCombo; }
    QToolButton* EllipsisButton() const { return FButton; }
    QWidget* FocusTarget() const;

signals:
    void Typed();
    void EllipsisClicked();
    // Input beyond the field's length was refused: a key typed at the limit (said quietly), or a
    // paste or a longer input at once (said aloud). The text stays as it was.
    void Refused(const QString& message, bool aloud);

private:
    void MarkModified();
    void Show(const QString& value, bool chosen);

    const TQmColumn* FColumn;
    int FSize = 0; // longest text the field takes, in characters; 0: no limit
    std::string FLabel;
    QValidator* FLength = nullptr; // stops input at FSize
    QLineEdit* FEdit = nullptr;
    QComboBox* FCombo = nullptr;
    QToolButton* FButton = nullptr;
    bool FModified = false;
};

} // namespace qm
