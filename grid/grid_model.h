// The grid's model: reads the table through its data source on demand and keeps no copy.
#pragma once

#include <QAbstractTableModel>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "dataset/data_source.h"
#include "grid/row_filter.h"
#include "grid/sort_keys.h"
#include "grid/view_order.h"
#include "metadata/tb_field.h"

namespace qm {

class TQmDBGrid;
class TQmColumn;

class TQmGridModel : public QAbstractTableModel, private TDataLink {
    Q_OBJECT
    // Why the last write was refused, in the words a clerk reads; for callers that know the model
    // only as a Qt model.
    Q_PROPERTY(QString lastError READ LastErrorText)
    // The order shown: the sorted column (-1: the table's own order) and its Qt::SortOrder.
    Q_PROPERTY(int sortColumn READ SortColumn NOTIFY ViewChanged)
    Q_PROPERTY(int sortOrder READ SortOrderValue NOTIFY ViewChanged)
    // Only rows whose shown text contains this, in any visible column; empty: every row.
    Q_PROPERTY(QString filterText READ FilterText WRITE SetFilterText NOTIFY ViewChanged)
    // "显示 N / 共 M 条" while a filter is set, and whether rows it hides hold unsaved changes.
    Q_PROPERTY(QString viewStatus READ ViewStatusText NOTIFY ViewChanged)
public:
    // The field name of a column, under the horizontal header.
    static constexpr int FieldNameRole = Qt::UserRole;

    explicit TQmGridModel(TQmDBGrid& grid);

    void SetSource(TDataSource* source) { SetDataSource(source); }
    TDataSource* Source() const { return DataSource(); }
    TMemTable* Table() const { return DataSet(); }
    // The grid's column, or null when the grid shows the table's fields without columns.
    TQmColumn* ColumnAt(int column) const;
    TField* FieldAt(int column) const;
    bool CanEdit(const QModelIndex& index) const;
    // The columns changed: read everything again.
    void Reload();

    // The next row from `from` (exclusive, wrapping) whose shown text in the column contains
    // the text, ignoring case; -1 when none.
    int FindRow(int column, const QString& text, int from, bool forward = true) const;

    // Model rows are the rows shown; the table keeps its own order. -1 when out of range or hidden.
    int TablePos(int row) const;
    // Whether the rows shown differ from the table's, in order or number.
    bool Reordered() const { return !FOrder.Identity(); }
    int ViewRow(int tablePos) const;
    // Shows the rows in the order of a column; column -1 goes back to the table's own order.
    // An edit still open in the grid is written to its row first; when it is refused nothing moves.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int SortColumn() const { return FSortColumn; }
    Qt::SortOrder SortOrder() const { return FSortOrder; }
    int SortOrderValue() const { return static_cast<int>(FSortOrder); }
    // Keeps the rows whose shown text contains the text in a visible column, ignoring Latin case.
    // Like sort(), it writes an open edit first; the row being edited stays shown whatever it holds.
    void SetFilterText(const QString& text);
    const QString& FilterText() const { return FFilterText; }
    // Reads the rows' texts for the filter ahead, a piece per turn of the event loop, so that the
    // first keystroke in the filter box finds them read.
    void PrepareFilter();
    // Rows of the table, shown or not, and hidden rows holding changes not yet saved.
    int AllRows() const;
    int HiddenChanges() const { return FHiddenChanges; }
    QString ViewStatusText() const;

    // Why setData() would refuse this text for the cell, without writing it: the checks of typing
    // and the field's conversion. Empty when it would take it.
    std::string Refusal(int column, const QString& value) const;
    bool CanEditColumn(int column) const;

    // Why the last write was refused; empty after a successful one.
    const std::string& LastError() const { return FLastError; }
    QString LastErrorText() const { return QString::fromStdString(FLastError); }
    // The shown cells of `count` rows from `from` in the given columns, as data() shows them, in one
    // block laid out as base/shown_cells.h says: for readers that know the model only as a Qt model
    // and read many rows (an export). Rows and columns out of range read as empty texts.
    Q_INVOKABLE QByteArray ShownCells(int from, int count, const QList<int>& columns) const;

    // How often data() ran, for measurements.
    long long DataCalls() const { return FDataCalls; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Set by the grid: writes the open editor's text into the field before the table posts.
    std::function<void()> OnUpdateData;

signals:
    // The table's current row moved or the rows were read again.
    void CurrentRowChanged();
    void TableStateChanged();
    // The table opened or closed, or its fields changed: columns are laid out again.
    void FieldsChanged();
    // The rows shown or their order changed.
    void ViewChanged();

private:
    void ActiveChanged() override;
    void UpdateData() override {
        if (OnUpdateData) OnUpdateData();
    }
    void LayoutChanged() override;
    void DataSetChanged() override;
    void RowInserted(int pos) override;
    void RowRemoved(int pos) override;
    void RecordChanged(TField* field) override;
    void DataSetScrolled(int distance) override;
    void EditingChanged() override;
    void RowsComing(int count) override;
    void RefreshRowMarker();

    // Works out the rows shown; between a reset's begin and end. The rows' texts and sort keys are
    // read again unless the rows did not change.
    void RebuildOrder(bool keepCaches = false);
    // Shows the rows again, their order worked out anew.
    void Reshow(bool keepCaches);
    // Tells the view that its rows changed, once the order is right.
    void Announce();
    // Shows a row that appeared at a table position without sorting every row again; false when it
    // cannot tell where the row goes.
    bool PlaceNewRow(int pos);
    std::string Text(int row, int column) const;
    std::string ShownText(int pos, int column) const;
    // The lowered shown texts of the visible columns of a table row, for the filter.
    std::string RowFilterText(int pos) const;
    void ReadFilterAhead();
    bool WriteText(TQmColumn* column, TField& field, std::string text);
    // The text a typed value becomes for the field, or why it is refused.
    std::string TypedText(const TQmColumn* column, const TField& field, const QString& value,
                          std::string& text) const;
    bool WriteValue(TField& field, const TQmValue& value);
    bool Fail(const std::string& message);

    TQmDBGrid& FGrid;
    std::string FLastError;
    mutable long long FDataCalls = 0;
    int FMarkedRow = -1; // the row whose header shows the current-row marker
    gridimpl::TViewOrder FOrder;
    int FSortColumn = -1;
    Qt::SortOrder FSortOrder = Qt::AscendingOrder;
    QString FFilterText;
    std::string FNeedle; // the filter text, lowered
    gridimpl::TRowFilter FFilter;
    QTimer* FFilterReader = nullptr;
    gridimpl::TSortKeys FKeys;
    int FHiddenChanges = 0;
    mutable std::unique_ptr<TMemTable> FScratch; // a row of the table's fields, for trying conversions
};

} // namespace qm
