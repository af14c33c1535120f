// The grid's columns: which field each shows and how it is titled, coloured, edited and listed.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/component.h"
#include "dataset/field.h"
#include "metadata/tb_field.h"
#include "platform/platform.h"

namespace qm {

class TDataSource;

struct TQmColumnTitle {
    std::string Caption; // empty: the field's display label
    TAlignment Alignment = taLeftJustify;
};

enum class TQmEditButtonStyle { ebsEllipsis };
using enum TQmEditButtonStyle;

// A button at the right end of a column's editor.
struct TQmEditButton {
    TQmEditButtonStyle Style = ebsEllipsis;
    bool Visible = true;
    TButtonClickEvent OnClick;
};

class TQmColumn : public TCollectionItem {
public:
    explicit TQmColumn(TCollection* collection) : TCollectionItem(collection) {}

    std::string FieldName;
    TQmColumnTitle Title;
    TColor Color = clNone; // clNone: the grid's even and odd row colours
    TAlignment Alignment = taLeftJustify;
    bool AlignmentSet = false; // otherwise the field's own alignment
    bool ReadOnly = false;
    bool Visible = true;
    int Width = 0; // pixels; 0: from the field's display width
    TUpdateDataEvent OnUpdateData;
    std::vector<TQmEditButton> EditButtons;
    // A value found in KeyList shows as the PickList entry at the same position; choosing an
    // entry stores the KeyList value there. Without a KeyList the entries are the values.
    std::vector<std::string> KeyList;
    std::vector<std::string> PickList;
    // Check-box presentation. Boolean fields store true and false; others these texts.
    bool Checkboxes = false;
    std::string CheckedValue = "1";
    std::string UncheckedValue = "0";

    void SetAlignment(TAlignment alignment) {
        Alignment = alignment;
        AlignmentSet = true;
    }
    TQmEditButton& AddEditButton() { return EditButtons.emplace_back(); }

    // The bound field in the grid's table; null when there is none of that name.
    TField* Field() const;
    TAlignment EffectiveAlignment() const;
    std::string TitleCaption() const;
    // The text shown for a stored value (pick-list translation applied).
    std::string DisplayFor(const std::string& value) const;
    // The value to store for an entry chosen or typed in the editor.
    std::string ValueFor(const std::string& shown) const;
    bool HasPickList() const { return !PickList.empty(); }
    bool HasEllipsis() const;

    std::string DisplayName() const override { return FieldName.empty() ? GetNamePath() : FieldName; }
};

// The grid's column collection; adding or clearing tells the grid to lay its columns out again.
class TQmColumns : public TCollection {
public:
    TQmColumns(TObject* owner, std::function<TDataSource*()> source, std::function<void()> changed);

    TQmColumn* Add();
    void Clear();
    void Delete(int index);
    TQmColumn* Items(int index) const { return static_cast<TQmColumn*>(TCollection::Items(index)); }
    TQmColumn* operator[](int index) const { return Items(index); }
    TDataSource* DataSource() const { return FSource ? FSource() : nullptr; }

private:
    std::function<TDataSource*()> FSource;
    std::function<void()> FChanged;
};

} // namespace qm
