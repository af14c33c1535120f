#include "grid/grid_model.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <numeric>

#include "base/shown_cells.h"
#include "dataset/errors.h"
#include "grid/db_grid.h"
#include "grid/grid_style.h"
#include "grid/row_text.h"
#include "grid/sort_keys.h"
#include "grid/typed_text.h"

namespace qm {

namespace {

Qt::Alignment ToQt(TAlignment alignment) {
    switch (alignment) {
    case taRightJustify:
        return Qt::AlignRight | Qt::AlignVCenter;
    case taCenter:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case taLeftJustify:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

QString FromStd(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool IsChecked(const TQmColumn& column, const TField& field, const std::string& text) {
    if (field.DataType() == ftBoolean) return text == "True";
    return text == column.CheckedValue;
}

// What a refused text is not, in the words a clerk reads, naming the column.
std::string NotAValue(const TField& field, const std::string& text) {
    const char* kind = "有效的值";
    switch (field.DataType()) {
    case ftInteger:
    case ftLargeint:
        kind = "有效的整数";
        break;
    case ftFloat:
        kind = "有效的数字";
        break;
    case ftDate:
    case ftDateTime:
        kind = "有效的日期（yyyy-mm-dd）";
        break;
    case ftTime:
        kind = "有效的时间";
        break;
    default:
        break;
    }
    return "[" + field.DisplayLabel() + "] 的值“" + text + "”不是" + kind + "！";
}

// Cells written one after another into a byte array, as ShownCells hands them out.
class TCellBytes {
public:
    void Add(std::string_view text) {
        // What data() hands out goes through QString: a text it would not carry through unchanged
        // (not UTF-8, or led by a byte-order mark, which it drops) is written as it would come out.
        if (!Plain(text)) {
            const QByteArray shown = QString::fromUtf8(QByteArrayView(text)).toUtf8();
            return Put(static_cast<quint32>(shown.size()),
                       std::string_view(shown.constData(), static_cast<std::size_t>(shown.size())));
        }
        Put(static_cast<quint32>(text.size()), text);
    }
    void AddTag(quint32 tag) { Put(tag, {}); }
    QByteArray Take() {
        FBytes.truncate(FUsed);
        return std::move(FBytes);
    }

private:
    // Whether a text comes through QString as it is: ASCII always does.
    static bool Plain(std::string_view text) {
        std::uint64_t bytes = 0;
        std::size_t i = 0;
        for (; i + 8 <= text.size(); i += 8) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + i, 8);
            bytes |= word;
        }
        for (; i < text.size(); ++i)
            bytes |= static_cast<unsigned char>(text[i]);
        if ((bytes & 0x8080808080808080u) == 0) return true;
        return QByteArrayView(text).isValidUtf8() && !text.starts_with("\xEF\xBB\xBF");
    }
    void Put(quint32 head, std::string_view text) {
        const qsizetype need = FUsed + static_cast<qsizetype>(sizeof head + text.size());
        if (need > FBytes.size()) FBytes.resize(std::max(need, 2 * FBytes.size() + 4096));
        char* at = FBytes.data() + FUsed;
        std::memcpy(at, &head, sizeof head);
        if (!text.empty()) std::memcpy(at + sizeof head, text.data(), text.size());
        FUsed = need;
    }

    QByteArray FBytes;
    qsizetype FUsed = 0;
};

} // namespace

TQmGridModel::TQmGridModel(TQmDBGrid& grid) : QAbstractTableModel(&grid), FGrid(grid) {}

TQmColumn* TQmGridModel::ColumnAt(int column) const {
    const TQmColumns& columns = FGrid.Columns();
    if (column < 0 || column >= columns.Count()) return nullptr;
    return columns.Items(column);
}

TField* TQmGridModel::FieldAt(int column) const {
    if (FGrid.Columns().Count() > 0) {
        TQmColumn* c = ColumnAt(column);
        return c ? c->Field() : nullptr;
    }
    TMemTable* table = Table();
    if (!table || column < 0 || column >= table->FieldCount()) return nullptr;
    return table->Fields(column);
}

bool TQmGridModel::CanEdit(const QModelIndex& index) const {
    return index.isValid() && CanEditColumn(index.column());
}

bool TQmGridModel::CanEditColumn(int column) const {
    if (FGrid.ReadOnly()) return false;
    TField* field = FieldAt(column);
    if (!field || !field->CanModify()) return false;
    TQmColumn* c = ColumnAt(column);
    return !(c && c->ReadOnly);
}

void TQmGridModel::Reload() {
    Reshow(false);
}

void TQmGridModel::Reshow(bool keepCaches) {
    beginResetModel();
    RebuildOrder(keepCaches);
    Announce();
}

void TQmGridModel::Announce() {
    TMemTable* table = Table();
    FMarkedRow = table && table->Active() ? ViewRow(table->RecNo() - 1) : -1;
    endResetModel();
    emit ViewChanged();
    emit CurrentRowChanged();
}

void TQmGridModel::RebuildOrder(bool keepCaches) {
    TMemTable* table = Table();
    TField* field = FSortColumn >= 0 ? FieldAt(FSortColumn) : nullptr;
    if (!keepCaches) {
        FFilter.Invalidate();
        FKeys.Invalidate();
    }
    FHiddenChanges = 0;
    if (!table || !table->Active() || (!field && FNeedle.empty())) {
        FOrder.Clear();
        return;
    }
    const int rows = table->RecordCount();
    std::vector<int> order;
    if (field) {
        order = FKeys.Sorted(*table, *field, ColumnAt(FSortColumn), FSortOrder == Qt::DescendingOrder);
    } else {
        order.resize(static_cast<std::size_t>(rows));
        std::iota(order.begin(), order.end(), 0);
    }
    const int current = table->RecNo() - 1;
    // A row being added stays where it was added, not among its sorted peers while it is still blank:
    // at the end after an append, before the row it was inserted in front of otherwise.
    if (field && table->State() == dsInsert && current >= 0) {
        order.erase(std::find(order.begin(), order.end(), current));
        auto at = current + 1 < rows ? std::find(order.begin(), order.end(), current + 1) : order.end();
        order.insert(at, current);
    }
    if (!FNeedle.empty()) {
        const auto& matches = FFilter.Match(FNeedle, rows, [this](int pos) { return RowFilterText(pos); });
        // The row being edited stays in sight, whatever it holds now.
        const bool editing = table->State() == dsEdit || table->State() == dsInsert;
        std::erase_if(order, [&](int pos) {
            if (matches[static_cast<std::size_t>(pos)] || (editing && pos == current)) return false;
            if (table->StatusAt(pos) != usUnmodified) ++FHiddenChanges;
            return true;
        });
    }
    FOrder.Set(std::move(order), rows);
}

void TQmGridModel::SetFilterText(const QString& text) {
    if (text == FFilterText) return;
    if (!FGrid.CommitEdits()) return;
    FFilterText = text;
    const QByteArray utf8 = text.toUtf8();
    FNeedle =
        gridimpl::TRowFilter::Lower(std::string(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    // The filter keeps its cache of texts between keystrokes: only a change of rows drops it.
    beginResetModel();
    TMemTable* table = Table();
    RebuildOrder(true);
    FMarkedRow = table && table->Active() ? ViewRow(table->RecNo() - 1) : -1;
    endResetModel();
    emit ViewChanged();
    // A browsed row the filter hides gives way to the first row shown.
    if (table && table->Active() && table->State() == dsBrowse && rowCount() > 0 &&
        ViewRow(table->RecNo() - 1) < 0) {
        try {
            table->SetRecNo(TablePos(0) + 1);
        } catch (const std::exception&) {
        }
    }
    emit CurrentRowChanged();
}

void TQmGridModel::PrepareFilter() {
    if (!FFilterReader) {
        FFilterReader = new QTimer(this);
        FFilterReader->setSingleShot(true);
        FFilterReader->setInterval(0);
        connect(FFilterReader, &QTimer::timeout, this, [this] { ReadFilterAhead(); });
    }
    FFilterReader->start();
}

void TQmGridModel::ReadFilterAhead() {
    // A few milliseconds a turn: keys and paints come between the pieces.
    constexpr int kRowsAPiece = 500;
    constexpr qint64 kTurnNs = 4'000'000;
    TMemTable* table = Table();
    if (!table || !table->Active()) return;
    const int rows = table->RecordCount();
    QElapsedTimer clock;
    clock.start();
    while (!FFilter.Prepare(rows, kRowsAPiece, [this](int pos) { return RowFilterText(pos); }))
        if (clock.nsecsElapsed() >= kTurnNs) return FFilterReader->start();
}

int TQmGridModel::AllRows() const {
    TMemTable* table = Table();
    return table && table->Active() ? table->RecordCount() : 0;
}

QString TQmGridModel::ViewStatusText() const {
    if (FNeedle.empty()) return {};
    QString text = QStringLiteral("显示 %1 / 共 %2 条").arg(rowCount()).arg(AllRows());
    if (FHiddenChanges > 0)
        text += QStringLiteral("（筛选隐藏的 %1 条记录有未保存的修改）").arg(FHiddenChanges);
    return text;
}

std::string TQmGridModel::ShownText(int pos, int column) const {
    TMemTable* table = Table();
    TField* field = FieldAt(column);
    if (!table || !field) return {};
    std::string text = gridimpl::RowText(*table, pos, *field);
    const TQmColumn* c = ColumnAt(column);
    if (c && !c->KeyList.empty()) return c->DisplayFor(text);
    return text;
}

std::string TQmGridModel::RowFilterText(int pos) const {
    std::string out;
    // Each cell's text goes straight into the row's, lowered there: one copy per cell.
    for (int column = 0; column < columnCount(); ++column) {
        const TQmColumn* c = ColumnAt(column);
        TField* field = FieldAt(column);
        if (!field || (c ? (!c->Visible || c->Checkboxes) : !field->Visible())) continue;
        const std::size_t from = out.size();
        out += ShownText(pos, column);
        gridimpl::TRowFilter::LowerFrom(out, from);
        out += gridimpl::TRowFilter::Separator;
    }
    return out;
}

void TQmGridModel::sort(int column, Qt::SortOrder order) {
    if (column >= columnCount()) return;
    if (column == FSortColumn && (column < 0 || order == FSortOrder)) return;
    if (!FGrid.CommitEdits()) return;
    FSortColumn = column < 0 ? -1 : column;
    FSortOrder = order;
    Reshow(true);
}

int TQmGridModel::TablePos(int row) const {
    TMemTable* table = Table();
    if (!table || !table->Active()) return -1;
    return FOrder.TablePos(row, table->RecordCount());
}

int TQmGridModel::ViewRow(int tablePos) const {
    TMemTable* table = Table();
    if (!table || !table->Active()) return -1;
    return FOrder.ViewRow(tablePos, table->RecordCount());
}

int TQmGridModel::rowCount(const QModelIndex& parent) const {
    TMemTable* table = Table();
    if (parent.isValid() || !table || !table->Active()) return 0;
    return FOrder.Count(table->RecordCount());
}

int TQmGridModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    if (FGrid.Columns().Count() > 0) return FGrid.Columns().Count();
    TMemTable* table = Table();
    return table ? table->FieldCount() : 0;
}

std::string TQmGridModel::Text(int row, int column) const {
    TMemTable* table = Table();
    TField* field = FieldAt(column);
    if (!table || !field || !table->Active()) return {};
    const int pos = TablePos(row);
    return pos < 0 ? std::string() : gridimpl::RowText(*table, pos, *field);
}

QVariant TQmGridModel::data(const QModelIndex& index, int role) const {
    ++FDataCalls;
    if (!index.isValid()) return {};
    const TQmColumn* column = ColumnAt(index.column());
    switch (role) {
    case Qt::DisplayRole: {
        if (column && column->Checkboxes) return {};
        const std::string text = Text(index.row(), index.column());
        return FromStd(column ? column->DisplayFor(text) : text);
    }
    case Qt::EditRole:
        return FromStd(Text(index.row(), index.column()));
    case Qt::CheckStateRole: {
        TField* field = FieldAt(index.column());
        if (!column || !column->Checkboxes || !field) return {};
        return IsChecked(*column, *field, Text(index.row(), index.column())) ? Qt::Checked : Qt::Unchecked;
    }
    case Qt::BackgroundRole: {
        if (column && column->Color != clNone) return gridimpl::ToQColor(column->Color);
        const TQmGridStyle& style = FGrid.Style();
        // Rows are told apart by the record number the indicator shows.
        return gridimpl::ToQColor((index.row() + 1) % 2 == 0 ? style.EvenRowColor : style.OddRowColor);
    }
    case Qt::ForegroundRole:
        return gridimpl::ToQColor(FGrid.Style().FontColor);
    case Qt::TextAlignmentRole: {
        if (column) return static_cast<int>(ToQt(column->EffectiveAlignment()));
        TField* field = FieldAt(index.column());
        return static_cast<int>(ToQt(field ? field->Alignment() : taLeftJustify));
    }
    default:
        return {};
    }
}

QByteArray TQmGridModel::ShownCells(int from, int count, const QList<int>& columns) const {
    struct Shown {
        bool Valid;
        const TQmColumn* Column;
        const TField* Field;
        std::unique_ptr<gridimpl::TRecentTexts> Recent; // for dates and times
    };
    std::vector<Shown> shown;
    const int columnsShown = columnCount();
    for (const int c : columns) {
        const bool valid = c >= 0 && c < columnsShown;
        const TField* field = valid ? FieldAt(c) : nullptr;
        const TFieldType type = field ? field->DataType() : ftUnknown;
        const bool dated = type == ftDate || type == ftDateTime || type == ftTime;
        shown.push_back({valid, valid ? ColumnAt(c) : nullptr, field,
                         dated ? std::make_unique<gridimpl::TRecentTexts>() : nullptr});
    }
    TMemTable* table = Table();
    const bool active = table && table->Active();
    const int rows = rowCount();
    TCellBytes out;
    std::string scratch, value;
    for (int i = 0; i < count; ++i) {
        const qint64 row = qint64{from} + i; // past the largest int when a caller asks for too much
        const bool inRange = row >= 0 && row < rows;
        const int pos = inRange && active ? TablePos(static_cast<int>(row)) : -1;
        for (const Shown& cell : shown) {
            if (!inRange || !cell.Valid) {
                out.Add({});
                continue;
            }
            const std::string_view text =
                pos >= 0 && cell.Field
                    ? gridimpl::RowTextView(*table, pos, *cell.Field, scratch, cell.Recent.get())
                    : std::string_view();
            if (cell.Column && cell.Column->Checkboxes) {
                if (!cell.Field) {
                    out.Add({});
                    continue;
                }
                out.AddTag(IsChecked(*cell.Column, *cell.Field, value.assign(text))
                               ? shown_cells::kChecked
                               : shown_cells::kUnchecked);
            } else if (cell.Column && !cell.Column->KeyList.empty()) {
                out.Add(cell.Column->DisplayFor(value.assign(text)));
            } else {
                out.Add(text);
            }
        }
    }
    return out.Take();
}

QVariant TQmGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole) {
            TMemTable* table = Table();
            QString number = QString::number(section + 1);
            if (!table || table->RecNo() < 1 || table->RecNo() != TablePos(section) + 1) return number;
            // The current row's marker tells browsing, editing and a new row apart.
            if (table->State() == dsInsert) return QStringLiteral("*") + number;
            if (table->State() == dsEdit) return QStringLiteral("I ") + number;
            return QStringLiteral("\u25B6") + number;
        }
        if (role == Qt::TextAlignmentRole) return static_cast<int>(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    const TQmColumn* column = ColumnAt(section);
    TField* field = FieldAt(section);
    switch (role) {
    case Qt::DisplayRole:
        if (column) return FromStd(column->TitleCaption());
        return field ? FromStd(field->DisplayLabel()) : QVariant();
    case Qt::TextAlignmentRole:
        return static_cast<int>(ToQt(column ? column->Title.Alignment : taLeftJustify));
    case FieldNameRole:
        if (column) return FromStd(column->FieldName);
        return field ? FromStd(field->FieldName()) : QVariant();
    default:
        return {};
    }
}

Qt::ItemFlags TQmGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const TQmColumn* column = ColumnAt(index.column());
    if (CanEdit(index))
        result |= (column && column->Checkboxes) ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable;
    return result;
}

bool TQmGridModel::Fail(const std::string& message) {
    FLastError = message.empty() ? std::string("Invalid value") : message;
    return false;
}

bool TQmGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    FLastError.clear();
    TMemTable* table = Table();
    if (!table || !CanEdit(index)) return false;
    TField* field = FieldAt(index.column());
    TQmColumn* column = ColumnAt(index.column());
    try {
        const int pos = TablePos(index.row());
        if (pos < 0) return false;
        if (table->RecNo() != pos + 1) {
            // Only the current row is edited; getting there posts the row that was edited before.
            table->SetRecNo(pos + 1);
            if (table->RecNo() != pos + 1) return false;
        }
        std::string text;
        if (role == Qt::CheckStateRole) {
            const bool checked = value.toInt() == Qt::Checked;
            if (field->DataType() == ftBoolean)
                text = checked ? "True" : "False";
            else
                text = checked ? column->CheckedValue : column->UncheckedValue;
        } else if (role == Qt::EditRole) {
            if (std::string why = TypedText(column, *field, value.toString(), text); !why.empty())
                return Fail(why);
        } else {
            return false;
        }
        return WriteText(column, *field, std::move(text));
    } catch (const EConvertError&) {
        return Fail(NotAValue(*field, value.toString().toStdString()));
    } catch (const std::exception& e) {
        return Fail(e.what());
    } catch (...) {
        return Fail({});
    }
}

std::string TQmGridModel::TypedText(const TQmColumn* column, const TField& field, const QString& value,
                                    std::string& text) const {
    const QByteArray utf8 = value.toUtf8();
    text.assign(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    if (column) text = column->ValueFor(text);
    // A text the column cannot take whole is refused, never cut.
    if (std::string why = LengthRefusal(field, text); !why.empty()) return why;
    if (std::string why = ControlRefusal(field.DisplayLabel(), text); !why.empty()) return why;
    if (field.DataType() != ftString) text = PlainNumberText(text);
    return RangeRefusal(field, text);
}

std::string TQmGridModel::Refusal(int column, const QString& value) const {
    TMemTable* table = Table();
    TField* field = FieldAt(column);
    if (!table || !field || !CanEditColumn(column))
        return "[" + (field ? field->DisplayLabel() : std::string()) + "] 不能修改！";
    std::string text;
    if (std::string why = TypedText(ColumnAt(column), *field, value, text); !why.empty()) return why;
    if (field->DataType() == ftString || text.empty()) return {};
    try {
        if (!FScratch) {
            FScratch = std::make_unique<TMemTable>();
            FScratch->CopyFieldDefs(*table);
            FScratch->CreateDataSet();
        }
        if (FScratch->State() == dsBrowse) FScratch->Append();
        FScratch->Fields(field->Index())->SetText(text);
    } catch (const EConvertError&) {
        return NotAValue(*field, value.toStdString());
    } catch (const std::exception&) {
        // The scratch row cannot judge this field: the write itself will.
    }
    return {};
}

bool TQmGridModel::WriteText(TQmColumn* column, TField& field, std::string text) {
    TMemTable* table = Table();
    if (column && column->OnUpdateData) {
        TQmValue value = text;
        bool useText = true, handled = false;
        column->OnUpdateData(column, text, value, useText, handled);
        if (handled) return true;
        if (!useText) {
            if (table->State() == dsBrowse) table->Edit();
            return WriteValue(field, value);
        }
    }
    // An unchanged value leaves the row as it is, so merely passing through a cell edits nothing.
    if (table->State() == dsBrowse && field.Text() == text) return true;
    if (table->State() == dsBrowse) table->Edit();
    field.SetText(text);
    return true;
}

bool TQmGridModel::WriteValue(TField& field, const TQmValue& value) {
    std::visit(
        [&field](const auto& v) {
            using V = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<V, std::monostate>)
                field.Clear();
            else if constexpr (std::is_same_v<V, std::string>)
                field.SetAsString(v);
            else if constexpr (std::is_same_v<V, std::int64_t>)
                field.SetAsLargeInt(v);
            else if constexpr (std::is_same_v<V, double>)
                field.SetAsFloat(v);
            else if constexpr (std::is_same_v<V, bool>)
                field.SetAsBoolean(v);
            else
                field.SetAsDateTime(v);
        },
        value);
    return true;
}

int TQmGridModel::FindRow(int column, const QString& text, int from, bool forward) const {
    const int rows = rowCount();
    if (rows == 0 || text.isEmpty() || column < 0 || column >= columnCount()) return -1;
    const int step = forward ? 1 : -1;
    int row = from;
    for (int i = 0; i < rows; ++i) {
        row = ((row + step) % rows + rows) % rows;
        const std::string shown = Text(row, column);
        const TQmColumn* c = ColumnAt(column);
        if (FromStd(c ? c->DisplayFor(shown) : shown).contains(text, Qt::CaseInsensitive)) return row;
    }
    return -1;
}

void TQmGridModel::ActiveChanged() {
    FScratch.reset();
    Reload();
    emit FieldsChanged();
}

void TQmGridModel::LayoutChanged() {
    FScratch.reset();
    Reload();
    emit FieldsChanged();
}

void TQmGridModel::DataSetChanged() {
    Reload();
}

bool TQmGridModel::PlaceNewRow(int pos) {
    TMemTable* table = Table();
    const int rows = table->RecordCount();
    TField* field = FSortColumn >= 0 ? FieldAt(FSortColumn) : nullptr;
    if (table->State() == dsInsert && pos == table->RecNo() - 1) {
        // A row being added stays where it was added, as a rebuild would put it.
        const int view = pos + 1 < rows ? FOrder.ViewRow(pos, rows - 1) : FOrder.Count(rows - 1);
        if (view < 0) return false;
        FOrder.InsertRow(view, pos, rows);
        return true;
    }
    // A stored row takes its place among its sorted peers; whether a filter shows it is not known.
    if (!field || !FNeedle.empty()) return false;
    std::vector<int> shifted = FOrder.Rows();
    for (int& row : shifted)
        if (row >= pos) ++row;
    const std::size_t view = FKeys.InsertionPoint(shifted, pos, *table, *field, ColumnAt(FSortColumn),
                                                  FSortOrder == Qt::DescendingOrder);
    FOrder.InsertRow(static_cast<int>(view), pos, rows);
    return true;
}

void TQmGridModel::RowInserted(int pos) {
    TMemTable* table = Table();
    if (!table || !table->Active()) return Reload();
    beginResetModel();
    FFilter.RowInserted(pos, [this](int p) { return RowFilterText(p); });
    FKeys.RowInserted(pos);
    if (!FOrder.Identity() && !PlaceNewRow(pos)) RebuildOrder(true);
    Announce();
}

void TQmGridModel::RowRemoved(int pos) {
    TMemTable* table = Table();
    if (!table || !table->Active()) return Reload();
    beginResetModel();
    FFilter.RowRemoved(pos);
    FKeys.RowRemoved(pos);
    // A hidden row may have held changes the status counts: those are counted again.
    if (!FOrder.Identity() && !FOrder.RemoveRow(pos, table->RecordCount())) RebuildOrder(true);
    Announce();
}

void TQmGridModel::RecordChanged(TField* /*field*/) {
    TMemTable* table = Table();
    if (!table) return;
    FFilter.RowChanged(table->RecNo() - 1, [this](int pos) { return RowFilterText(pos); });
    FKeys.RowChanged(table->RecNo() - 1);
    const int row = ViewRow(table->RecNo() - 1);
    if (row < 0 || row >= rowCount()) return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void TQmGridModel::DataSetScrolled(int /*distance*/) {
    RefreshRowMarker();
    emit CurrentRowChanged();
}

void TQmGridModel::EditingChanged() {
    RefreshRowMarker();
    emit TableStateChanged();
}

void TQmGridModel::RowsComing(int count) {
    // Under a filter, which of them will show is not known yet.
    TMemTable* table = Table();
    if (table && !table->Filtered() && FNeedle.empty()) FGrid.PrepareRows(count);
}

// Only the current row's header shows the marker: the row that had it and the row that has it now
// are announced, not every row, which would cost a walk over the header per move.
void TQmGridModel::RefreshRowMarker() {
    TMemTable* table = Table();
    const int current = table && table->Active() ? ViewRow(table->RecNo() - 1) : -1;
    const int rows = rowCount();
    if (FMarkedRow >= 0 && FMarkedRow < rows && FMarkedRow != current)
        emit headerDataChanged(Qt::Vertical, FMarkedRow, FMarkedRow);
    if (current >= 0 && current < rows) emit headerDataChanged(Qt::Vertical, current, current);
    FMarkedRow = current;
}

} // namespace qm
