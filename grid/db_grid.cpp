#include "grid/db_grid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "dataset/abort.h"
#include "dataset/data_source.h"
#include "grid/cell_editor.h"
#include "grid/filter_bar.h"
#include "grid/find_bar.h"
#include "grid/grid_delegate.h"
#include "grid/grid_header.h"
#include "grid/grid_model.h"
#include "grid/row_header.h"
#include "grid/sizing_hit_test.h"
#include "platform/platform.h"
#include "plugin/message_box.h"

namespace qm {

namespace {
QString HexColor(TColor color) {
    return gridimpl::ToQColor(color).name();
}
} // namespace

TQmDBGrid::TQmDBGrid(QWidget* parent)
    : QTableView(parent), FColumns(
                              this, [this] { return DataSource(); },
                              [this] {
                                  FModel->Reload();
                                  if (!FRefreshQueued) {
                                      FRefreshQueued = true;
                                      QMetaObject::invokeMethod(
                                          this, [this] { RefreshColumns(); }, Qt::QueuedConnection);
                                  }
                              }) {
    // Opaque, so that a change in the grid does not repaint the panel under it.
    setAutoFillBackground(true);
    FHeader = new TQmGridHeader(this);
    setHorizontalHeader(FHeader);
    FRowHeader = new TQmRowHeader(this);
    setVerticalHeader(FRowHeader);
    FRowsDue = new QTimer(this);
    FRowsDue->setSingleShot(true);
    FRowsDue->setInterval(0);
    connect(FRowsDue, &QTimer::timeout, this, [this] { RowsOverdue(); });
    FDelegate = new TQmGridDelegate(*this);
    setItemDelegate(FDelegate);
    FModel = new TQmGridModel(*this);
    FSyncing = true; // nothing to commit or move while the model is being attached
    setModel(FModel);
    FSyncing = false;
    FFindBar = new TQmFindBar(*this);
    FFilterBar = new TQmFilterBar(*this);

    setEditTriggers(QAbstractItemView::AllEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setShowGrid(true);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(false);
    // A column header sorts; it does not choose the column's cells, which would move the current row.
    disconnect(FHeader, &QHeaderView::sectionPressed, this, nullptr);
    disconnect(FHeader, &QHeaderView::sectionEntered, this, nullptr);
    connect(FHeader, &QHeaderView::sectionClicked, this, [this](int column) { CycleSort(column); });
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setHighlightSections(false);
    ApplyStyle();

    connect(FModel, &TQmGridModel::CurrentRowChanged, this, [this] { SyncFromTable(); });
    // A table about to post takes the open editor's text first; a refused text stops the post,
    // and whatever needed it, after the refusal was shown.
    FModel->OnUpdateData = [this] {
        if (FCommittingForPost) return;
        FCommittingForPost = true;
        const bool ok = CommitOpenEditor();
        FCommittingForPost = false;
        if (!ok) throw EAbort();
    };
    connect(FModel, &QAbstractItemModel::modelAboutToBeReset, this, [this] { ReleaseEditorBeforeReset(); });
    // The view's own reset ran before this: its editors are gone and the rows are new.
    connect(FModel, &QAbstractItemModel::modelReset, this, [this] {
        FResetting = false;
        ++FResets;
        ShowPreparedRows();
    });
    connect(FModel, &TQmGridModel::FieldsChanged, this, [this] { RefreshColumns(); });
    connect(FModel, &TQmGridModel::ViewChanged, this, [this] { ViewChanged(); });
    connect(qApp, &QApplication::focusChanged, this, &TQmDBGrid::FocusChanged);
    for (QWidget* w : {static_cast<QWidget*>(this), viewport(), static_cast<QWidget*>(horizontalScrollBar()),
                       static_cast<QWidget*>(verticalScrollBar())})
        w->installEventFilter(this);
}

TQmDBGrid::~TQmDBGrid() {
    // Editors die with the children below; their focus changes must not reach a half-gone grid.
    disconnect(qApp, &QApplication::focusChanged, this, &TQmDBGrid::FocusChanged);
    FModel->OnUpdateData = nullptr;
    FModel->SetSource(nullptr);
}

TDataSource* TQmDBGrid::DataSource() const {
    return FModel ? FModel->Source() : nullptr;
}

void TQmDBGrid::SetDataSource(TDataSource* source) {
    FModel->SetSource(source);
    FModel->Reload();
    RefreshColumns();
}

void TQmDBGrid::SetReadOnly(bool readOnly) {
    if (FReadOnly == readOnly) return;
    FReadOnly = readOnly;
    if (readOnly) {
        if (auto* cell = FDelegate->OpenEditor()) closeEditor(cell, QAbstractItemDelegate::RevertModelCache);
    } else {
        OpenCurrentEditor();
    }
    viewport()->update();
}

void TQmDBGrid::SetStyle(const TQmGridStyle& style) {
    FStyle = style;
    ApplyStyle();
}

void TQmDBGrid::SetFixedColor(TColor color) {
    FStyle.FixedColor = color;
    ApplyStyle();
}

void TQmDBGrid::ApplyStyle() {
    const QFont font = gridimpl::GridFont(FStyle.FontPixelSize);
    setFont(font);
    horizontalHeader()->setFont(font);
    verticalHeader()->setFont(font);
    verticalHeader()->setDefaultSectionSize(FStyle.RowHeight);
    FHeader->SetTitleHeight(FStyle.TitleHeight);
    // Fixed cells are drawn raised in their own colour.
    const QString fixed = HexColor(FStyle.FixedColor);
    const QString sheet =
        QStringLiteral("QHeaderView { background-color: %1; }"
                       " QHeaderView::section { background-color: %1; color: %2;"
                       " border: 1px outset %1; padding: 0px 2px; }"
                       " QTableCornerButton::section { background-color: %1; border: 1px outset %1; }")
            .arg(fixed, HexColor(FStyle.FontColor));
    // The fixed cells alone take the sheet: on the grid it would polish every child again (bars,
    // editors, scroll bars) at each change, which costs more than showing the form.
    std::vector<QWidget*> fixedCells{horizontalHeader(), verticalHeader()};
    for (QWidget* corner : findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly))
        if (corner->inherits("QTableCornerButton")) fixedCells.push_back(corner);
    for (QWidget* cells : fixedCells)
        if (cells->styleSheet() != sheet) cells->setStyleSheet(sheet);
    viewport()->update();
}

void TQmDBGrid::RefreshColumns() {
    FRefreshQueued = false;
    const QFontMetrics metrics(font());
    for (int i = 0; i < FModel->columnCount(); ++i) {
        const TQmColumn* column = FModel->ColumnAt(i);
        TField* field = FModel->FieldAt(i);
        setColumnHidden(i, column ? !column->Visible : (field && !field->Visible()));
        int width = column ? column->Width : 0;
        // Display widths count half-width characters: a digit's advance, not the font's average,
        // which a CJK font inflates.
        if (width <= 0 && field)
            width = field->DisplayWidth() * metrics.horizontalAdvance(QLatin1Char('0')) + 8;
        if (width > 0) setColumnWidth(i, width);
    }
}

void TQmDBGrid::PrepareRows(int rows) {
    // Fewer come at once quickly enough; outside an operation the clerk's keys would meet sections
    // without rows.
    constexpr int kWorthIt = 65536;
    if (!OperationRunning() || FRowsDue->isActive() || rows - FRowHeader->count() < kWorthIt) return;
    FPaintHeld = updatesEnabled();
    if (FPaintHeld) setUpdatesEnabled(false);
    FRowsDue->start();
    // A reset while messages run shows whatever rows it brings, and ends this.
    while (FRowsDue->isActive() && FRowHeader->MakeSections(rows))
        ProcessMessagesIfDue();
}

void TQmDBGrid::ShowPreparedRows() {
    if (!FRowsDue->isActive()) return;
    FRowsDue->stop();
    ReleasePaint();
}

void TQmDBGrid::RowsOverdue() {
    if (OperationRunning()) return FRowsDue->start();
    // The rows never came: one section per row that is there.
    FRowHeader->FitRows();
    ReleasePaint();
}

void TQmDBGrid::ReleasePaint() {
    if (FPaintHeld) setUpdatesEnabled(true);
    FPaintHeld = false;
}

// ---------------------------------------------------------------- current row

int TQmDBGrid::FirstVisibleColumn() const {
    const QHeaderView* header = horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!header->isSectionHidden(logical)) return logical;
    }
    return -1;
}

void TQmDBGrid::SetCurrentQuietly(const QModelIndex& index) {
    // The find and filter boxes keep the keys typed into them: no editor opens under them.
    const QWidget* focus = QApplication::focusWidget();
    const bool inBar = focus && (FFindBar->isAncestorOf(focus) || FFilterBar->isAncestorOf(focus));
    const bool focused = hasFocus() || (Owns(focus) && !inBar);
    const EditTriggers triggers = editTriggers();
    // A row moved by code opens no editor in a grid the user is not working in.
    if (!focused) setEditTriggers(triggers & ~QAbstractItemView::CurrentChanged);
    FSyncing = true;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    FSyncing = false;
    setEditTriggers(triggers);
    if (index.isValid()) scrollTo(index);
}

void TQmDBGrid::SyncFromTable() {
    // Mid-reset the view is about to forget its current cell and editors; the reset's end syncs.
    if (FResetting) return;
    TMemTable* table = FModel->Table();
    if (!table || !table->Active() || table->RecNo() < 1) return;
    const int column = currentIndex().isValid() ? currentIndex().column() : FirstVisibleColumn();
    if (column < 0) return;
    // A current row the view does not show leaves no cell current, so nothing typed lands elsewhere.
    const int row = FModel->ViewRow(table->RecNo() - 1);
    const QModelIndex index = row < 0 ? QModelIndex() : FModel->index(row, column);
    if (index != currentIndex()) SetCurrentQuietly(index);
}

void TQmDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (FSyncing) {
        QTableView::currentChanged(current, previous);
        return;
    }
    TMemTable* table = FModel->Table();
    auto revert = [&] { SetCurrentQuietly(previous); };
    if (!CommitOpenEditor()) return revert();
    if (table && current.isValid() && table->RecNo() != FModel->TablePos(current.row()) + 1) {
        int target = FModel->TablePos(current.row());
        const int column = current.column();
        // Leaving the row posts it; an untouched new row is dropped instead.
        const int dropped = table->State() == dsInsert && !table->Modified() ? table->RecNo() - 1 : -1;
        const int resets = FResets;
        if (!LeaveRow()) return revert();
        if (dropped >= 0 && dropped < target) --target;
        try {
            table->SetRecNo(target + 1);
        } catch (const std::exception& e) {
            ShowError(e);
        }
        if (FResets != resets) {
            // The rows were read again: put the cursor where the table is now.
            const QModelIndex now = FModel->index(FModel->ViewRow(table->RecNo() - 1), column);
            selectionModel()->setCurrentIndex(now, QItemSelectionModel::ClearAndSelect);
            return;
        }
    }
    QTableView::currentChanged(current, previous);
    viewport()->update();
}

void TQmDBGrid::ReleaseEditorBeforeReset() {
    FResetting = true;
    TQmCellEditor* cell = FDelegate->OpenEditor();
    if (!cell) return;
    // The rows it was typed for are going: nothing of it is written back.
    FDelegate->Forget(cell);
    // The view hides its editors on a reset. Hiding the focus widget walks the focus chain, which
    // in a grid means a Tab to the next cell, or a new row: an editor made then is forgotten by the
    // view at the end of the reset but stays on screen, and its later close draws Qt's warning. So
    // the grid takes the focus back first, as the view itself does when it closes an editor.
    const QWidget* focus = QApplication::focusWidget();
    if (focus && (focus == cell || cell->isAncestorOf(focus))) setFocus(Qt::OtherFocusReason);
}

bool TQmDBGrid::CommitOpenEditor() {
    TQmCellEditor* cell = FDelegate->OpenEditor();
    if (!cell || !cell->Modified()) return true;
    const QModelIndex index = FDelegate->OpenIndex();
    if (!index.isValid()) return true;
    FDelegate->setModelData(cell, FModel, index);
    if (FDelegate->LastCommitOk()) return true;
    ShowRefusal(cell);
    if (cell) cell->setFocus();
    return false;
}

void TQmDBGrid::ShowRefusal(QWidget* editor) {
    // One refusal is shown once: the same text may be committed again on its way out of the cell.
    auto* cell = qobject_cast<TQmCellEditor*>(editor);
    const QString text = cell ? cell->Text() : QString();
    if (cell && FRefusedEditor == cell && FRefusedText == text) return;
    FRefusedEditor = cell;
    FRefusedText = text;
    ShowError(FModel->LastError());
}

bool TQmDBGrid::LeaveRow() {
    if (!CommitOpenEditor()) return false;
    TMemTable* table = FModel->Table();
    if (!table) return true;
    try {
        if (table->State() == dsInsert && !table->Modified())
            table->Cancel();
        else if (table->State() == dsEdit || table->State() == dsInsert)
            table->Post();
    } catch (const std::exception& e) {
        ShowError(e);
        return false;
    }
    return true;
}

void TQmDBGrid::commitData(QWidget* editor) {
    // A row moved by code takes no text typed for the row it left.
    if (FSyncing) return;
    QTableView::commitData(editor);
    if (!FDelegate->LastCommitOk()) {
        ShowRefusal(editor);
        FKeepEditor = true;
    }
}

void TQmDBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (FKeepEditor) {
        // The value was refused: the user's text stays for correcting.
        FKeepEditor = false;
        editor->setFocus();
        return;
    }
    FDelegate->Forget(editor);
    QTableView::closeEditor(editor, hint);
}

void TQmDBGrid::ShowError(const std::exception& error) {
    if (!dynamic_cast<const EAbort*>(&error)) ShowError(std::string(error.what()));
}

void TQmDBGrid::ShowError(const std::string& text) {
    CallMessageBox(DeleteCaption, text.empty() ? std::string("输入的值无效。") : text, MB_NOTICE);
}

void TQmDBGrid::OpenCurrentEditor() {
    const QModelIndex index = currentIndex();
    if (FResetting || !index.isValid() || FDelegate->OpenEditor() || indexWidget(index) ||
        state() == EditingState || !(FModel->flags(index) & Qt::ItemIsEditable))
        return;
    edit(index);
}

void TQmDBGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    if (!currentIndex().isValid()) SyncFromTable();
    OpenCurrentEditor();
}

// ---------------------------------------------------------------- keys and moves

void TQmDBGrid::MoveToNextCell(bool forward) {
    const QModelIndex current = currentIndex();
    const int rows = FModel->rowCount();
    if (!current.isValid()) {
        if (rows == 0)
            AppendRow();
        else
            SyncFromTable();
        return;
    }
    const QHeaderView* header = horizontalHeader();
    const int step = forward ? 1 : -1;
    for (int visual = header->visualIndex(current.column()) + step; visual >= 0 && visual < header->count();
         visual += step) {
        const int logical = header->logicalIndex(visual);
        if (header->isSectionHidden(logical)) continue;
        setCurrentIndex(FModel->index(current.row(), logical));
        return;
    }
    int column = -1;
    for (int visual = forward ? 0 : header->count() - 1; visual >= 0 && visual < header->count();
         visual += step) {
        const int logical = header->logicalIndex(visual);
        if (!header->isSectionHidden(logical)) {
            column = logical;
            break;
        }
    }
    const int row = current.row() + step;
    if (row >= 0 && row < rows)
        setCurrentIndex(FModel->index(row, column));
    else if (forward)
        AppendRow();
}

bool TQmDBGrid::AppendRow() {
    TMemTable* table = FModel->Table();
    if (FReadOnly || !table || !table->Active()) return false;
    // One untouched new row is enough.
    if (table->State() == dsInsert && !table->Modified()) return true;
    if (!LeaveRow()) return false;
    try {
        table->Append();
    } catch (const std::exception& e) {
        ShowError(e);
        return false;
    }
    SetCurrentQuietly(QModelIndex());
    SyncFromTable();
    return true;
}

void TQmDBGrid::DeleteCurrentRow() {
    TMemTable* table = FModel->Table();
    if (FReadOnly || !table || !table->Active() || table->IsEmpty()) return;
    if (CallMessageBox(DeleteCaption, DeleteQuestion, MB_YESNO | MB_DEFBUTTON2) != ID_YES) return;
    try {
        table->Delete();
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

void TQmDBGrid::CancelEdit() {
    TMemTable* table = FModel->Table();
    if (TQmCellEditor* cell = FDelegate->OpenEditor())
        cell->SetValue(FModel->data(FDelegate->OpenIndex(), Qt::EditRole).toString());
    if (!table) return;
    try {
        if (table->State() == dsEdit || table->State() == dsInsert) table->Cancel();
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

void TQmDBGrid::SortBy(int column, Qt::SortOrder order) {
    FModel->sort(column, order);
}

int TQmDBGrid::SortColumn() const {
    return FModel->SortColumn();
}

Qt::SortOrder TQmDBGrid::SortOrder() const {
    return FModel->SortOrder();
}

void TQmDBGrid::CycleSort(int column) {
    if (column != FModel->SortColumn())
        SortBy(column, Qt::AscendingOrder);
    else if (FModel->SortOrder() == Qt::AscendingOrder)
        SortBy(column, Qt::DescendingOrder);
    else
        SortBy(-1, Qt::AscendingOrder);
    ShowSortIndicator(); // the header flips its arrow itself; a refused edit leaves the order as it was
}

void TQmDBGrid::ShowSortIndicator() {
    QHeaderView* header = horizontalHeader();
    const int column = FModel->SortColumn();
    header->setSortIndicatorShown(column >= 0);
    header->setSortIndicator(column, FModel->SortOrder());
}

void TQmDBGrid::SetFilterText(const QString& text) {
    FModel->SetFilterText(text);
}

QString TQmDBGrid::FilterText() const {
    return FModel->FilterText();
}

void TQmDBGrid::ShowFilterBar() {
    FFilterBar->Open();
    FModel->PrepareFilter();
}

void TQmDBGrid::ViewChanged() {
    ShowSortIndicator();
    // New rows under an open filter box: their texts are read ahead of the next keystroke.
    if (!FFilterBar->isHidden()) FModel->PrepareFilter();
    const QString status = FModel->ViewStatusText();
    FFilterBar->ShowFilter(FModel->FilterText(), status);
    // The counts go where the form shows its status, once per change.
    if (status != FLastViewNote) {
        FLastViewNote = status;
        if (OnNote) OnNote(status.toStdString(), true); // an empty one: the filter is gone
    }
}

void TQmDBGrid::updateGeometries() {
    const int room = FFilterBar && !FFilterBar->isHidden() ? FFilterBar->sizeHint().height() : 0;
    FHeader->SetRoomAbove(room);
    QTableView::updateGeometries();
    if (room == 0) return;
    // The view left the header's height plus the room above the rows; the header takes its own
    // height just above them, the box the room above it.
    const QRect rows = viewport()->geometry();
    const int title = FHeader->TitleHeight();
    FHeader->setGeometry(rows.left(), rows.top() - title, rows.width(), title);
    const QRect vertical = verticalHeader()->geometry();
    for (QWidget* corner : findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly))
        if (corner->parentWidget() == this && corner->geometry().right() < rows.left())
            corner->setGeometry(vertical.left(), rows.top() - title, vertical.width(), title);
    const QRect inside = contentsRect();
    FFilterBar->setGeometry(inside.left(), inside.top(), inside.width(), room);
    FFilterBar->raise();
}

bool TQmDBGrid::FindNext(const QString& text, bool forward) {
    const QModelIndex current = currentIndex();
    const int column = current.isValid() ? current.column() : FirstVisibleColumn();
    const int from = current.isValid() ? current.row() : (forward ? -1 : FModel->rowCount());
    const int row = FModel->FindRow(column, text, from, forward);
    if (row < 0) return false;
    setCurrentIndex(FModel->index(row, column));
    return currentIndex().row() == row;
}

void TQmDBGrid::ShowFindBar() {
    FFindBar->Open();
}

void TQmDBGrid::EditorTyped() {
    FRefusedEditor = nullptr; // a new text is judged anew
    TMemTable* table = FModel->Table();
    // A read-only grid takes no typing into its rows, whatever editor is still about.
    if (FReadOnly || !table || table->State() != dsBrowse) return;
    try {
        table->Edit();
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

void TQmDBGrid::EditorRefused(QWidget* editor, const QString& message, bool aloud) {
    if (!aloud) {
        if (OnNote) OnNote(message.toStdString(), false);
        return;
    }
    ShowError(message.toStdString());
    // A box that took the focus may have closed the editor; the grid opens it again.
    if (editor && editor == FDelegate->OpenEditor())
        editor->setFocus(Qt::OtherFocusReason);
    else
        setFocus(Qt::OtherFocusReason);
}

void TQmDBGrid::EllipsisClicked(TQmColumn* column) {
    bool handled = false;
    for (const TQmEditButton& button : column->EditButtons)
        if (button.Visible && button.Style == ebsEllipsis && button.OnClick) button.OnClick(column, handled);
}

void TQmDBGrid::HandleGridKey(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Delete:
        if (ctrl) return DeleteCurrentRow();
        break;
    case Qt::Key_C:
        if (ctrl) return CopySelection();
        break;
    case Qt::Key_V:
        if (ctrl) {
            if (FReadOnly && OnInputRefused) OnInputRefused();
            PasteClipboard();
            return;
        }
        break;
    case Qt::Key_F:
        if (ctrl && (event->modifiers() & Qt::ShiftModifier)) return ShowFilterBar();
        if (ctrl) return ShowFindBar();
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return MoveToNextCell(event->key() != Qt::Key_Backtab && !(event->modifiers() & Qt::ShiftModifier));
    case Qt::Key_Escape:
        return CancelKey();
    case Qt::Key_Home:
    case Qt::Key_End:
        // The first or last row, in the column the clerk is in.
        if (ctrl && currentIndex().isValid() && FModel->rowCount() > 0) {
            const int row = event->key() == Qt::Key_Home ? 0 : FModel->rowCount() - 1;
            setCurrentIndex(FModel->index(row, currentIndex().column()));
            return;
        }
        break;
    case Qt::Key_Down:
        if (!ctrl && currentIndex().isValid() && currentIndex().row() == FModel->rowCount() - 1) {
            AppendRow();
            return;
        }
        break;
    default:
        break;
    }
    if (FReadOnly && OnInputRefused && !ctrl && !(event->modifiers() & Qt::AltModifier) &&
        !event->text().isEmpty() && event->text().front().isPrint())
        OnInputRefused();
    QTableView::keyPressEvent(event);
}

void TQmDBGrid::keyPressEvent(QKeyEvent* event) {
    HandleGridKey(event);
}

bool TQmDBGrid::TakesShortcutKey(const QKeyEvent* key) const {
    if (!(key->modifiers() & Qt::ControlModifier)) return false;
    // The first and last rows shown, not the table's, while the view has an order of its own.
    if ((key->key() == Qt::Key_Home || key->key() == Qt::Key_End) && FModel->Reordered()) return true;
    return key->key() == Qt::Key_C ||
           ((key->key() == Qt::Key_Delete || key->key() == Qt::Key_V) && !FReadOnly);
}

bool TQmDBGrid::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && TakesShortcutKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QTableView::event(event);
}

void TQmDBGrid::CancelKey() {
    if (OnCancelKey)
        OnCancelKey();
    else
        CancelEdit();
}

bool TQmDBGrid::MoveAmongShown(TShownMove move) {
    if (!FModel->Reordered()) return false;
    const int rows = FModel->rowCount();
    if (rows == 0) return true;
    const QModelIndex at = currentIndex();
    const int row = at.isValid() ? at.row() : 0;
    int column = at.isValid() ? at.column() : 0;
    while (!at.isValid() && column + 1 < FModel->columnCount() && isColumnHidden(column))
        ++column;
    int target = row;
    switch (move) {
    case TShownMove::First:
        target = 0;
        break;
    case TShownMove::Prior:
        target = std::max(row - 1, 0);
        break;
    case TShownMove::Next:
        target = std::min(row + 1, rows - 1);
        break;
    case TShownMove::Last:
        target = rows - 1;
        break;
    }
    // The same path as a click on the row: an open editor is committed first, a refusal stays.
    if (target != row || !at.isValid()) setCurrentIndex(FModel->index(target, column));
    return true;
}

bool TQmDBGrid::FocusField(std::string_view fieldName) {
    for (int column = 0; column < FModel->columnCount(); ++column) {
        TField* field = FModel->FieldAt(column);
        if (!field || isColumnHidden(column) || !SameText(field->FieldName(), fieldName)) continue;
        setFocus(Qt::OtherFocusReason);
        TMemTable* table = FModel->Table();
        const int row =
            table && table->RecNo() > 0 ? FModel->ViewRow(table->RecNo() - 1) : currentIndex().row();
        if (row < 0) return false;
        const QModelIndex index = FModel->index(row, column);
        if (index != currentIndex()) setCurrentIndex(index);
        OpenCurrentEditor();
        if (TQmCellEditor* cell = FDelegate->OpenEditor()) cell->setFocus(Qt::OtherFocusReason);
        return currentIndex() == index;
    }
    return false;
}

bool TQmDBGrid::focusNextPrevChild(bool next) {
    // Tab moves between cells; the focus stays in the grid.
    if (!isEnabled()) return QTableView::focusNextPrevChild(next);
    // An editor hidden by a reset asks for the next widget: no cell move, no new row then.
    if (FResetting) {
        setFocus(Qt::OtherFocusReason);
        return true;
    }
    MoveToNextCell(next);
    return true;
}

// ---------------------------------------------------------------- cancel on exit

bool TQmDBGrid::Owns(const QWidget* widget) const {
    return widget && (widget == this || isAncestorOf(widget));
}

void TQmDBGrid::FocusChanged(QWidget* old, QWidget* now) {
    if (!Owns(old) || !now || Owns(now)) return;
    // A box or another window over the grid is not the clerk leaving it for another control.
    if (now->window() != window()) return;
    TMemTable* table = FModel->Table();
    if (!table || table->State() != dsInsert || table->Modified()) return;
    if (auto* cell = FDelegate->OpenEditor(); cell && cell->Modified()) return;
    try {
        table->Cancel();
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

// ---------------------------------------------------------------- resizing by mouse

void TQmDBGrid::SetQmCanChangeSize(bool on) {
    FCanChangeSize = on;
    setMouseTracking(on);
    viewport()->setMouseTracking(on || viewport()->hasMouseTracking());
}

int TQmDBGrid::SizingHitTest(const QPoint& globalPos) const {
    if (!FCanChangeSize || FDesigning) return HTCLIENT;
    const QPoint corner = mapToGlobal(QPoint(width(), height()));
    return GridSizingHitTest(corner.x(), corner.y(), globalPos.x(), globalPos.y());
}

bool TQmDBGrid::eventFilter(QObject* object, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(object);
    const auto type = event->type();
    if (!widget || (!FCanChangeSize && FSizing == 0) ||
        (type != QEvent::MouseMove && type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease))
        return QTableView::eventFilter(object, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint global = mouse->globalPosition().toPoint();
    if (type == QEvent::MouseButtonRelease && FSizing != 0) {
        FSizing = 0;
        return true;
    }
    if (type == QEvent::MouseMove && FSizing != 0) {
        const QPoint delta = global - FSizeStart;
        QSize size = FStartSize;
        if (FSizing != HTBOTTOM) size.setWidth(std::max(20, FStartSize.width() + delta.x()));
        if (FSizing != HTRIGHT) size.setHeight(std::max(20, FStartSize.height() + delta.y()));
        resize(size);
        return true;
    }
    const int code = SizingHitTest(global);
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton && code != HTCLIENT) {
        FSizing = code;
        FSizeStart = global;
        FStartSize = size();
        return true;
    }
    if (type == QEvent::MouseMove) {
        if (code == HTRIGHT)
            widget->setCursor(Qt::SizeHorCursor);
        else if (code == HTBOTTOM)
            widget->setCursor(Qt::SizeVerCursor);
        else if (code == HTBOTTOMRIGHT)
            widget->setCursor(Qt::SizeFDiagCursor);
        else
            widget->unsetCursor();
    }
    return QTableView::eventFilter(object, event);
}

} // namespace qm
