// The in-place editor of a grid cell: a line edit or a pick-list combo box, with an ellipsis
// button when the column has one.
#pragma once

#include <QWidget>

class QLineEdit;
class QComboBox;
class QToolButton;

namespace qm {

class TQmColumn;
class TField;

class TQmCellEditor : public QWidget {
    Q_OBJECT
public:
    TQmCellEditor(QWidget* parent, const TQmColumn* column, const TField* field);

    // The stored value; a pick list shows its entry for it.
    void SetValue(const QString& value);
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

private:
    void MarkModified();

    const TQmColumn* FColumn;
    int FSize = 0; // longest text the field takes; 0: no limit
    QLineEdit* FEdit = nullptr;
    QComboBox* FCombo = nullptr;
    QToolButton* FButton = nullptr;
    bool FModified = false;
};

} // namespace qm
