// One column of an in-memory table: reads and writes that column of the table's current row.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "dataset/field_defs.h"
#include "platform/platform.h"

#include "base/alignment.h"

namespace qm {

class TMemTable;
class TField;

using TFieldNotifyEvent = std::function<void(TField* Sender)>;
// text arrives holding the plain text of the value; the handler may replace it.
using TFieldGetTextEvent = std::function<void(TField* Sender, std::string& Text, bool DisplayText)>;
using TFieldSetTextEvent = std::function<void(TField* Sender, const std::string& Text)>;

// Owned by its table and valid while the table keeps its field layout. Reads with no current row
// (closed or empty table) give null. Writes need the table in edit or insert state
// (EDatabaseError otherwise). Size, Required, NotNull and ReadOnly are not enforced here: forms and
// controls judge them; a text longer than Size is kept whole.
class TField {
public:
    TField(TMemTable* table, int index, const TFieldDef& def);
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    TMemTable* DataSet() const { return FTable; }
    const std::string& FieldName() const { return FName; }
    TFieldType DataType() const { return FType; }
    int Size() const { return FSize; }
    int Index() const { return FIndex; }

    // ---- value of the current row
    bool IsNull() const;
    void Clear(); // sets null
    // Text through the format settings: "yyyy-mm-dd" dates, "." decimals, "True"/"False".
    std::string AsString() const;
    // An empty text on a non-text field sets null; a text the type cannot hold raises EConvertError.
    void SetAsString(std::string_view text);
    // Null reads 0; a text value that is not a decimal integer reads 0.
    std::int32_t AsInteger() const;
    void SetAsInteger(std::int32_t value);
    std::int64_t AsLargeInt() const;
    void SetAsLargeInt(std::int64_t value);
    double AsFloat() const;
    void SetAsFloat(double value);
    TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime value);
    bool AsBoolean() const;
    void SetAsBoolean(bool value);
    // Copies value and nullness from another field (converted through text when the types differ).
    void Assign(const TField& source);

    // Text for editing and for display: OnGetText when set, the plain text otherwise.
    std::string Text() const;
    std::string DisplayText() const;
    // Through OnSetText when set, SetAsString otherwise.
    void SetText(std::string_view text);

    // The value from before the pending edit (null while inserting); in browse state the value itself.
    std::optional<std::string> OldValue() const;

    // ---- presentation and flags
    const std::string& DisplayLabel() const { return FDisplayLabel.empty() ? FName : FDisplayLabel; }
    void SetDisplayLabel(std::string_view label);
    int DisplayWidth() const; // in characters; defaults from type and size
    void SetDisplayWidth(int width);
    bool Visible() const { return FVisible; }
    void SetVisible(bool visible);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool readOnly);
    TAlignment Alignment() const; // numbers default to right-justified
    void SetAlignment(TAlignment alignment);
    bool Required() const { return FRequired; }
    void SetRequired(bool required) { FRequired = required; }
    bool IsKey() const { return FIsKey; }
    void SetIsKey(bool value) { FIsKey = value; }
    bool IsJoin() const { return FIsJoin; }
    void SetIsJoin(bool value) { FIsJoin = value; }
    bool NotNull() const { return FNotNull; }
    void SetNotNull(bool value) { FNotNull = value; }
    // Whether a user may change the value now: not read-only and the table is open.
    bool CanModify() const;

    TFieldNotifyEvent OnChange;   // after a value was stored
    TFieldNotifyEvent OnValidate; // before a new value is kept; it may throw to refuse it
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

private:
    friend class TMemTable;
    void LayoutChanged();
    // Keeps a new value in the table's edit buffer: OnValidate may refuse it, OnChange follows.
    void Store(bool null, std::uint64_t slot, std::string_view text);

    TMemTable* FTable;
    int FIndex;
    std::string FName;
    TFieldType FType;
    int FSize;
    std::string FDisplayLabel;
    int FDisplayWidth = -1; // -1: from type and size
    std::optional<TAlignment> FAlignment;
    bool FVisible = true;
    bool FReadOnly = false;
    bool FRequired = false;
    bool FIsKey = false;
    bool FIsJoin = false;
    bool FNotNull = false;
};

} // namespace qm
