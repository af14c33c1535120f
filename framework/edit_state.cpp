// The edit state, the read-only walk over the form's panels, and the value checks before a save.
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

std::string TrimControl(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32)
        --e;
    return std::string(text.substr(b, e - b));
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

// Puts the cursor back on the remembered row on every path. The attached views sit the walk out
// and follow the table once, afterwards: a grid that moved with every row would cost far more than
// the check itself.
class CursorKeeper {
public:
    explicit CursorKeeper(TMemTable& table) : FTable(table), FMark(table.GetBookmark()) {
        FTable.DisableControls();
    }
    ~CursorKeeper() {
        try {
            if (FMark && FTable.BookmarkValid(FMark)) FTable.GotoBookmark(FMark);
        } catch (...) {
        }
        FTable.EnableControls();
    }
    CursorKeeper(const CursorKeeper&) = delete;
    CursorKeeper& operator=(const CursorKeeper&) = delete;

private:
    TMemTable& FTable;
    TBookmark FMark;
};
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
                                                         const std::string& list) {
    if (!dataset || (mode != 0 && mode != 1)) return {};
    std::vector<TField*> fields;
    for (const std::string& name : SplitList(list))
        if (TField* field = dataset->FindField(name)) fields.push_back(field);
    if (fields.empty()) return {};

    auto fault = [dataset](TField* field) {
        return TFieldFault{field->DisplayLabel(), field->FieldName(), dataset->RecNo()};
    };
    CursorKeeper keeper(*dataset);
    if (mode == 1) { // required values: rows outside, fields inside
        for (dataset->First(); !dataset->Eof(); dataset->Next()) {
            ProcessMessages();
            for (TField* field : fields)
                if (TrimControl(field->AsString()).empty()) return fault(field);
        }
        return {};
    }
    // Unique values: whole trimmed values, one map per field. Of two rows that share a value the
    // one the user changed is named: the other may be a row nobody touched.
    for (TField* field : fields) {
        std::unordered_map<std::string, std::pair<int, bool>> seen; // value: row number, changed
        seen.reserve(static_cast<std::size_t>(dataset->RecordCount()));
        for (dataset->First(); !dataset->Eof(); dataset->Next()) {
            ProcessMessages();
            const bool changed = dataset->UpdateStatus() != usUnmodified;
            const auto [at, added] =
                seen.try_emplace(TrimControl(field->AsString()), dataset->RecNo(), changed);
            if (added) continue;
            TFieldFault found = fault(field);
            if (!changed && at->second.second) found.RecNo = at->second.first;
            return found;
        }
    }
    return {};
}

} // namespace qm
