#include "grid/grid_delegate.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "grid/cell_editor.h"
#include "grid/db_grid.h"
#include "grid/grid_model.h"

namespace qm {

TQmGridDelegate::TQmGridDelegate(TQmDBGrid& grid) : QStyledItemDelegate(&grid), FGrid(grid) {}

QWidget* TQmGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                                       const QModelIndex& index) const {
    TQmGridModel* model = FGrid.Model();
    TQmColumn* column = model->ColumnAt(index.column());
    auto* editor = new TQmCellEditor(parent, column, model->FieldAt(index.column()));
    editor->setFont(FGrid.font());
    // Events of the inner widgets reach the delegate's filter like the editor's own.
    if (editor->LineEdit()) editor->LineEdit()->installEventFilter(const_cast<TQmGridDelegate*>(this));
    if (editor->ComboBox()) editor->ComboBox()->installEventFilter(const_cast<TQmGridDelegate*>(this));
    connect(editor, &TQmCellEditor::Typed, &FGrid, &TQmDBGrid::EditorTyped);
    connect(editor, &TQmCellEditor::Refused, &FGrid, [this, editor](const QString& message, bool aloud) {
        FGrid.EditorRefused(editor, message, aloud);
    });
    if (column)
        connect(editor, &TQmCellEditor::EllipsisClicked, &FGrid,
                [this, column] { FGrid.EllipsisClicked(column); });
    FOpen = editor;
    FOpenIndex = index;
    return editor;
}

void TQmGridDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
    if (FOpen == editor) FOpen = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

void TQmGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* cell = qobject_cast<TQmCellEditor*>(editor);
    if (!cell) return;
    // What the user is typing wins over a repaint of the row.
    if (cell->Modified()) return;
    cell->SetValue(index.data(Qt::EditRole).toString());
}

void TQmGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                   const QModelIndex& index) const {
    FCommitOk = true;
    auto* cell = qobject_cast<TQmCellEditor*>(editor);
    if (!cell || !cell->Modified()) return;
    FCommitOk = model->setData(index, cell->Text(), Qt::EditRole);
    if (FCommitOk) cell->Accept(index.data(Qt::EditRole).toString());
}

namespace {
TQmCellEditor* CellOf(QObject* object) {
    for (QObject* o = object; o; o = o->parent())
        if (auto* cell = qobject_cast<TQmCellEditor*>(o)) return cell;
    return nullptr;
}
} // namespace

bool TQmGridDelegate::eventFilter(QObject* object, QEvent* event) {
    TQmCellEditor* cell = CellOf(object);
    // A released editor still hears its own focus loss; it is no longer ours to commit.
    if (cell && cell != FOpen.data()) return false;
    if (!cell || object == cell) return QStyledItemDelegate::eventFilter(object, event);
    // The inner widgets hold the focus: their keys and their focus loss stand for the editor's.
    if (event->type() == QEvent::ShortcutOverride) {
        // Esc in a changed cell restores it, so the window's cancel must not see that key; in an
        // unchanged cell it is the window's (or the grid's) cancel.
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && cell->Modified()) ||
            FGrid.TakesShortcutKey(key)) {
            event->accept();
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // A paste of nothing would wipe the chosen text; the cell's menu offers no paste then either.
        if (key->matches(QKeySequence::Paste) && QGuiApplication::clipboard()->text().isEmpty()) return true;
        const bool ctrl = key->modifiers() & Qt::ControlModifier;
        switch (key->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
            FGrid.MoveToNextCell(!back);
            return true;
        }
        case Qt::Key_Escape:
            if (cell->Modified())
                cell->SetValue(OpenIndex().data(Qt::EditRole).toString());
            else
                FGrid.CancelKey();
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            // A pick list keeps its own arrows.
            if (cell->ComboBox() && !ctrl) return false;
            FGrid.HandleGridKey(key);
            return true;
        case Qt::Key_C:
            // Text chosen in the cell is the cell's to copy; cells chosen in the grid are the grid's.
            if (!ctrl || (cell->LineEdit() && cell->LineEdit()->hasSelectedText() &&
                          FGrid.selectionModel()->selectedIndexes().size() <= 1))
                return false;
            FGrid.HandleGridKey(key);
            return true;
        case Qt::Key_V: {
            // Rows and columns from a spreadsheet are the grid's to paste, a single cell ended by
            // its line break too (the break is not the cell's); a plain text is the cell's.
            const QString text = QGuiApplication::clipboard()->text();
            if (!ctrl || !(text.contains(QLatin1Char('\t')) || text.contains(QLatin1Char('\n'))))
                return false;
            FGrid.HandleGridKey(key);
            return true;
        }
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Delete:
        case Qt::Key_F:
            if (!ctrl) return false;
            FGrid.HandleGridKey(key);
            return true;
        default:
            return false;
        }
    }
    if (event->type() == QEvent::FocusOut) {
        QWidget* now = QApplication::focusWidget();
        const bool stillInside = now && (now == cell || cell->isAncestorOf(now));
        // A box over the window takes the focus for a moment: the cell stays open to get it back.
        const bool otherWindow = now && now->window() != cell->window();
        if (now && !stillInside && !otherWindow && !QApplication::activePopupWidget()) {
            emit commitData(cell);
            emit closeEditor(cell, QAbstractItemDelegate::NoHint);
        }
    }
    return false;
}

} // namespace qm
