// One column description (TTbField) and the ordered collection of them (TTbFields).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <variant>

#include "base/component.h"
#include "dataset/field.h"
#include "dataset/field_defs.h"
#include "platform/platform.h"

namespace qm {

// Editor button of a grid column.
enum class TQmGridButtonStyle { gbsNone, gbsButton, gbsDropDown, gbsCheckbox };
using enum TQmGridButtonStyle;

// A value of any type, as a grid column's update-data handler sees it; monostate is null.
using TQmValue = std::variant<std::monostate, std::string, std::int64_t, double, bool, TDateTime>;

// Click on a column's ellipsis button.
using TButtonClickEvent = std::function<void(TObject* Sender, bool& Handled)>;
// A grid column's update-data event.
using TUpdateDataEvent =
    std::function<void(TObject* Sender, std::string& Text, TQmValue& Value, bool& UseText, bool& Handled)>;

class TTbFields;

class TTbField : public TCollectionItem {
public:
    explicit TTbField(TCollection* collection);

    TAlignment Alignment = taLeftJustify;
    std::string DisplayLabel;
    std::int32_t DisplayWidth = 0;
    std::string FieldName;
    TFieldType DataType = ftUnknown;
    std::string Hint;
    std::int32_t FieldWidth = 0;
    bool IsKey = false;
    bool ReadOnly = false;
    bool Visible = true;
    bool NotNull = false;
    std::int32_t NumPrec = 0;
    TQmGridButtonStyle ButtonStyle = gbsNone;
    bool IsJoin = false;
    bool IsFK = false;
    std::string FKTable;
    TButtonClickEvent OnButtonClick;
    TFieldNotifyEvent OnChange;
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;
    TFieldNotifyEvent OnValidate;
    TUpdateDataEvent OnUpdateData;
    std::int32_t DropDownTag = 0;

    // Copies every property from another TTbField; any other source raises the generic
    // assignment error.
    void Assign(const TCollectionItem& source) override;
    // FieldName, or the class name while the item has no name.
    std::string GetDisplayName() const;
    std::string DisplayName() const override { return GetDisplayName(); }
};

// The ordered column descriptions; the order is the order of dataset fields and grid columns.
class TTbFields : public TCollection {
public:
    explicit TTbFields(TObject* owner);

    TTbField* Add() { return static_cast<TTbField*>(TCollection::Add()); }
    TTbField* Items(int index) const { return static_cast<TTbField*>(TCollection::Items(index)); }
    TTbField* operator[](int index) const { return Items(index); }

protected:
    // A new item without a name gets the first free "Field<n>".
    void Notify(TCollectionItem* item) override;
};

} // namespace qm
