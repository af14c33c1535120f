// Creates the grid's cell editors and routes their keys and buttons back to the grid.
#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

namespace qm {

class TQmDBGrid;
class TQmCellEditor;

class TQmGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TQmGridDelegate(TQmDBGrid& grid);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

    // The editor that is open now, if any.
    TQmCellEditor* OpenEditor() const { return FOpen.data(); }
    QModelIndex OpenIndex() const { return FOpen ? QModelIndex(FOpenIndex) : QModelIndex(); }
    // The view let go of this editor: it is no longer the open one.
    void Forget(const QWidget* editor) const {
        if (FOpen == editor) FOpen = nullptr;
    }
    // False when the last write from an editor was refused.
    bool LastCommitOk() const { return FCommitOk; }

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    TQmDBGrid& FGrid;
    mutable QPointer<TQmCellEditor> FOpen;
    mutable QPersistentModelIndex FOpenIndex;
    mutable bool FCommitOk = true;
};

} // namespace qm
