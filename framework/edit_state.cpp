// The edit state, the read-only walk over the form's panels, and the value checks before a save.
#include <algorithm>
#include <numeric>
#include <unordered_map>
#include <utility>

#include "controls/page_control.h"
#include "dataset/data_source.h"
#include "dataset/mem_table.h"
#include "framework/child_form.h"
#include "framework/control_access.h"

namespace qm {

namespace {
// Tab controls list their pages in PageList order.
TfrmChildBase::PageLister gPageLister = &TQmPageControl::ListPages;

std::string_view TrimView(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32)
        --e;
    return text.substr(b, e - b);
}

std::string TrimControl(std::string_view text) {
    return std::string(TrimView(text));
}

// Looks values up by view, without a string made for each row.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

// False when the table's counts show that no row outside `changed` holds any of the values: the
// walk over the unchanged rows is then left out. Counts never come out too low, so true may still
// find nothing. A pending edit is not in the counts: then the rows are walked.
bool UnchangedRowsMayHold(TMemTable& dataset, const TField& field,
                          const std::unordered_map<std::string, int, TextHash, std::equal_to<>>& values,
                          const std::vector<int>& changed) {
    if (dataset.State() != dsBrowse) return true;
    std::unordered_map<std::string, int, TextHash, std::equal_to<>> changedHolding;
    for (int pos : changed)
        ++changedHolding[std::string(TrimView(dataset.TextAt(pos, field.Index())))];
    for (const auto& [value, first] : values)
        if (dataset.RowsHolding(field.Index(), &TrimView, value) > changedHolding[value]) return true;
    return false;
}

std::vector<std::string> SplitList(const std::string& list) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= list.size()) {
        const auto comma = list.find(',', start);
        const auto end = comma == std::string::npos ? list.size() : comma;
        names.push_back(list.substr(start, end - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return names;
}

} // namespace

void TfrmChildBase::SetPageLister(PageLister lister) {
    gPageLister = lister;
}

void TfrmChildBase::SetEditState(std::uint8_t state) {
    FEditState = state;
    if (FDataModule) {
        // A copy: a handler run while messages are processed must not invalidate the walk.
        const std::vector<TComponent*> components = FDataModule->ComponentList();
        for (TComponent* component : components) {
            ProcessMessages();
            auto* table = dynamic_cast<TMemTable*>(component);
            if (!table || (table->Tag != 255 && table->Tag != 256)) continue;
            if (table->State() == dsEdit || table->State() == dsInsert) table->Post();
            if (table->Tag == 256 && state == esBrowse && table->Active()) table->EmptyTable();
        }
    }
    if (state == esEdit || state == esInsert)
        SetControlsReadOnly(false, Panels);
    else if (state == esBrowse || state == esInitial)
        SetControlsReadOnly(true, Panels);
}

void TfrmChildBase::SetControlsReadOnly(bool readOnly, const std::vector<QWidget*>& containers) {
    auto walk = [readOnly](QWidget* container) {
        const auto children = container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (QWidget* child : children) {
            ProcessMessages();
            ApplyControlReadOnly(child, readOnly);
        }
    };
    for (QWidget* container : containers) {
        if (!container) continue;
        std::vector<QWidget*> pages;
        if (gPageLister && gPageLister(container, pages)) {
            for (QWidget* page : pages) {
                ProcessMessages();
                if (page) walk(page);
            }
        } else if (IsPanel(container)) {
            walk(container);
        }
    }
}

bool TfrmChildBase::FieldReadOnly(TDataSource* source, const std::string& name, bool readOnly) {
    if (!source || TrimControl(name).empty() || readOnly) return readOnly;
    try {
        TMemTable* table = source->DataSet();
        if (!table) return false;
        return table->FieldByName(name)->ReadOnly();
    } catch (...) {
        return false; // an unknown field leaves the control writable
    }
}

std::string TfrmChildBase::CheckFieldValues(std::uint8_t mode, TMemTable* dataset, const std::string& list) {
    return FindFieldFault(mode, dataset, list).Label;
}

TfrmChildBase::TFieldFault TfrmChildBase::FindFieldFault(std::uint8_t mode, TMemTable* dataset,
                                                         const std::string& list, bool changedRowsOnly) {
    if (!dataset || (mode != 0 && mode != 1)) return {};
    std::vector<TField*> fields;
    for (const std::string& name : SplitList(list))
        if (TField* field = dataset->FindField(name)) fields.push_back(field);
    if (fields.empty()) return {};

    // The rows are read where they stand: the cursor and the views stay where they are.
    const int count = dataset->RecordCount();
    auto changed = [dataset](int pos) { return dataset->StatusAt(pos) != usUnmodified; };
    auto value = [dataset](int pos, const TField* field) {
        return TrimControl(dataset->TextAt(pos, field->Index()));
    };
    auto fault = [](const TField* field, int pos) {
        return TFieldFault{field->DisplayLabel(), field->FieldName(), pos + 1};
    };
    std::vector<int> rows; // the rows a value must be checked in
    if (changedRowsOnly) {
        rows = dataset->ChangedPositions();
    } else {
        rows.resize(static_cast<std::size_t>(count));
        std::iota(rows.begin(), rows.end(), 0);
    }

    if (mode == 1) { // required values: rows outside, fields inside
        for (int pos : rows) {
            ProcessMessages();
            for (const TField* field : fields)
                if (value(pos, field).empty()) return fault(field, pos);
        }
        return {};
    }
    // Unique values: whole trimmed values, one field after the other. A repeat is found where the
    // later of the two rows stands, and the row named is the one the user changed: the other may be
    // a row nobody touched. With changedRowsOnly two rows that are both unchanged do not count.
    for (const TField* field : fields) {
        std::unordered_map<std::string, int, TextHash, std::equal_to<>>
            checked; // value: first row holding it
        checked.reserve(rows.size());
        int foundAt = count, named = 0;
        auto note = [&](int at, int name) {
            if (at < foundAt) foundAt = at, named = name;
        };
        for (int pos : rows) {
            ProcessMessages();
            const auto [first, added] = checked.try_emplace(value(pos, field), pos);
            if (added) continue;
            note(pos, !changed(pos) && changed(first->second) ? first->second : pos);
            break;
        }
        if (changedRowsOnly && !checked.empty() && UnchangedRowsMayHold(*dataset, *field, checked, rows)) {
            int holder = 0; // the checked row holding the value of the row found
            auto held = [&](std::string_view text) {
                const auto hit = checked.find(TrimView(text));
                if (hit == checked.end()) return false;
                holder = hit->second;
                return true;
            };
            for (int pos = 0; (pos = dataset->FindUnmodified(field->Index(), pos, foundAt, held)) >= 0; ++pos)
                note(std::max(pos, holder), holder);
        }
        if (foundAt < count) return fault(field, named);
    }
    return {};
}

} // namespace qm
