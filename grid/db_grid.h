// The data grid: a view over a table through a data source. The table and the grid share one
// current row; the current cell shows its editor while the grid is writable.
#pragma once

#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QTableView>

#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "base/component.h"
#include "grid/column.h"
#include "grid/grid_style.h"

class QKeyEvent;
class QTimer;

namespace qm {

class TDataSource;
class TQmGridModel;
class TQmGridDelegate;
class TQmFindBar;
class TQmFilterBar;
class TQmGridHeader;
class TQmRowHeader;

class TQmDBGrid : public QTableView, public TObject {
    Q_OBJECT
public:
    // The confirmation that Ctrl+Delete asks before it deletes a row.
    static constexpr const char* DeleteCaption = "提示：";
    static constexpr const char* DeleteQuestion = "确定删除当前记录吗？";

    explicit TQmDBGrid(QWidget* parent = nullptr);
    ~TQmDBGrid() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* source);
    TQmColumns& Columns() { return FColumns; }
    const TQmColumns& Columns() const { return FColumns; }
    TQmGridModel* Model() const { return FModel; }

    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool readOnly);
    const TQmGridStyle& Style() const { return FStyle; }
    void SetStyle(const TQmGridStyle& style);
    void SetFixedColor(TColor color);

    // Lets the user resize the grid by its right and bottom edges.
    bool QmCanChangeSize() const { return FCanChangeSize; }
    void SetQmCanChangeSize(bool on);
    bool Designing() const { return FDesigning; }
    void SetDesigning(bool on) { FDesigning = on; }
    // Sizing handle under a pointer in screen coordinates; HTCLIENT for the ordinary test.
    int SizingHitTest(const QPoint& globalPos) const;

    // Lays the columns out again: visibility, widths, titles.
    void RefreshColumns();
    // About `rows` rows are about to replace the table's during an operation: the row header makes
    // their sections ahead while messages run. The grid paints nothing meanwhile, and paints again
    // once the rows are in (or, should none come, once the operation is over).
    void PrepareRows(int rows);

    // Cell moves as the keys do them; a move past the last row of a writable grid appends one.
    void MoveToNextCell(bool forward);
    bool AppendRow();
    // Asks, and deletes the current row on a yes.
    void DeleteCurrentRow();
    // Drops the pending edit of the current row.
    void CancelEdit();
    // Selects the next row whose text in the current column contains the text.
    bool FindNext(const QString& text, bool forward = true);
    void ShowFindBar();
    TQmFindBar* FindBar() const { return FFindBar; }

    // Esc outside an editor, or in one the user has not changed: the form's cancel when it set
    // one, else the current row's pending edit is dropped.
    std::function<void()> OnCancelKey;
    void CancelKey();
    // Puts the focus on the current row's cell of the field, with its editor open when writable.
    bool FocusField(std::string_view fieldName);

    // The order shown, as a header click sets it: column -1 is the table's own order.
    void SortBy(int column, Qt::SortOrder order);
    int SortColumn() const;
    Qt::SortOrder SortOrder() const;
    // A header click: ascending, then descending, then the table's own order.
    void CycleSort(int column);
    // The first, previous, next or last row shown, while the view has an order of its own (sorted
    // or filtered); false, moving nothing, when the table's own order is the one on show.
    enum class TShownMove { First, Prior, Next, Last };
    bool MoveAmongShown(TShownMove move);
    // Keeps the rows that show the text in a visible column (empty: every row); the box above the
    // rows shows it and the counts.
    void SetFilterText(const QString& text);
    QString FilterText() const;
    void ShowFilterBar();
    TQmFilterBar* FilterBar() const { return FFilterBar; }
    // Lays the header, the rows and the filter box out again after the box showed or hid.
    void LayOutBars() { updateGeometries(); }
    // Ctrl+C: the selected cells as tab-separated text, the labels first when whole rows are chosen.
    void CopySelection();
    // Ctrl+V in a writable grid: tab-separated rows into the cells from the current one, rows added
    // as needed. Each value goes through the checks of typing; a refused one stops the paste before
    // anything is written, and says why. False when nothing was pasted.
    bool PasteClipboard();
    // Writes the open editor's text to its row; false when the text was refused (and said so).
    bool CommitEdits() { return CommitOpenEditor(); }

    // Says a short note where the form shows its status; unset: nowhere. A standing note (the rows
    // a filter shows) holds until the view changes, the other kind only for the moment it speaks of.
    std::function<void(const std::string&, bool standing)> OnNote;
    // Typing or a paste into a grid that takes none: the form may say how to start editing, so
    // that the keys are not lost without a word.
    std::function<void()> OnInputRefused;

    // For the editors.
    void EditorTyped();
    // Input the editor refused: a box over it when aloud, else a note.
    void EditorRefused(QWidget* editor, const QString& message, bool aloud);
    void EllipsisClicked(TQmColumn* column);
    void HandleGridKey(QKeyEvent* event);
    // Whether the grid takes this key before the window's shortcuts: Ctrl+Delete deletes a row
    // in a writable grid (the window's delete runs in a read-only one).
    bool TakesShortcutKey(const QKeyEvent* key) const;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    bool eventFilter(QObject* object, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void updateGeometries() override;

private:
    void ApplyStyle();
    void SyncFromTable();
    void TableStateChanged();
    bool LeaveRow();
    bool CommitOpenEditor();
    void ReleaseEditorBeforeReset();
    void ShowError(const std::string& text);
    // An operation stopped on purpose was explained already: only other failures are shown.
    void ShowError(const std::exception& error);
    void ShowRefusal(QWidget* editor);
    void FocusChanged(QWidget* old, QWidget* now);
    bool Owns(const QWidget* widget) const;
    int FirstVisibleColumn() const;
    void OpenCurrentEditor();
    void SetCurrentQuietly(const QModelIndex& index);
    void ShowSortIndicator();
    std::vector<int> VisibleColumnsFrom(int logical) const;
    void UndoPaste(int tableRows, const std::vector<std::tuple<int, int, QString>>& touched);
    void ViewChanged();
    void ShowPreparedRows();
    void RowsOverdue();
    void ReleasePaint(); // paints again if the rows held it

    TQmColumns FColumns;
    TQmGridModel* FModel = nullptr;
    TQmGridDelegate* FDelegate = nullptr;
    TQmFindBar* FFindBar = nullptr;
    TQmFilterBar* FFilterBar = nullptr;
    TQmGridHeader* FHeader = nullptr;
    TQmRowHeader* FRowHeader = nullptr;
    QTimer* FRowsDue = nullptr; // while sections made ahead await their rows
    bool FPaintHeld = false;    // and the grid paints nothing meanwhile
    QString FLastViewNote;
    TQmGridStyle FStyle;
    bool FReadOnly = false;
    bool FCanChangeSize = false;
    bool FDesigning = false;
    bool FSyncing = false;
    bool FKeepEditor = false;
    QPointer<QWidget> FRefusedEditor; // the editor whose text was last refused, and that text
    QString FRefusedText;
    bool FCommittingForPost = false;
    bool FRefreshQueued = false;
    bool FResetting = false; // between the model's reset signals
    int FResets = 0;         // how often the model was read again
    // a resize by mouse under way
    int FSizing = 0;
    QPoint FSizeStart;
    QSize FStartSize;
};

} // namespace qm
