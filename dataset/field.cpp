#include "dataset/field.h"

#include <bit>
#include <cmath>
#include <limits>

#include "dataset/errors.h"
#include "dataset/mem_table.h"
#include "platform/platform.h"

namespace qm {

namespace {

bool IsIntegerType(TFieldType t) {
    return t == ftInteger || t == ftLargeint;
}
bool IsDateType(TFieldType t) {
    return t == ftDate || t == ftDateTime || t == ftTime;
}
bool IsFloatSlot(TFieldType t) {
    return t == ftFloat || IsDateType(t);
}

std::int64_t SlotInt(std::uint64_t slot) {
    return static_cast<std::int64_t>(slot);
}
double SlotFloat(std::uint64_t slot) {
    return std::bit_cast<double>(slot);
}
std::uint64_t IntSlot(std::int64_t v) {
    return static_cast<std::uint64_t>(v);
}
std::uint64_t FloatSlot(double v) {
    return std::bit_cast<std::uint64_t>(v);
}

// Values from a store can be huge; a message quotes only their start.
std::string Quoted(std::string_view text) {
    return "'" + Excerpt(text) + "'";
}

[[noreturn]] void CannotRead(const TField& f, const char* as) {
    throw EConvertError("Cannot read field '" + f.FieldName() + "' (" + FieldTypeName(f.DataType()) +
                        ") as " + as);
}
[[noreturn]] void CannotWrite(const TField& f, const char* as) {
    throw EConvertError("Cannot assign " + std::string(as) + " to field '" + f.FieldName() + "' (" +
                        FieldTypeName(f.DataType()) + ")");
}

} // namespace

std::string record::FormatSlot(TFieldType type, std::uint64_t slot, std::string_view text) {
    switch (type) {
    case ftString:
        return std::string(text);
    case ftInteger:
    case ftLargeint:
        return IntToStr(SlotInt(slot));
    case ftFloat:
        return FloatToStr(SlotFloat(slot));
    case ftDate:
        return DateToStr(TDateTime(SlotFloat(slot)));
    case ftDateTime:
        return DateTimeToStr(TDateTime(SlotFloat(slot)));
    case ftTime:
        return TimeToStr(TDateTime(SlotFloat(slot)));
    case ftBoolean:
        return slot ? "True" : "False";
    case ftUnknown:
        break;
    }
    return {};
}

namespace {

std::string FormatValue(TFieldType type, std::uint64_t slot, std::string_view text) {
    return record::FormatSlot(type, slot, text);
}

bool ParseBoolean(std::string_view text, bool& out) {
    std::string t = UpperCase(Trim(text));
    if (t == "TRUE" || t == "T" || t == "YES" || t == "Y" || t == "1") return out = true, true;
    if (t == "FALSE" || t == "F" || t == "NO" || t == "N" || t == "0") return out = false, true;
    return false;
}

// A plain decimal integer: an optional minus and 1 to 18 digits, nothing else. Such a text reads
// the same through the general conversion; anything else is left to it.
bool ReadPlainInteger(std::string_view text, std::int64_t& out) {
    const bool negative = !text.empty() && text[0] == '-';
    const std::size_t digits = text.size() - (negative ? 1 : 0);
    if (digits == 0 || digits > 18) return false;
    std::int64_t v = 0;
    for (std::size_t i = negative ? 1 : 0; i < text.size(); ++i) {
        const unsigned d = static_cast<unsigned char>(text[i]) - unsigned{'0'};
        if (d > 9) return false;
        v = v * 10 + d;
    }
    out = negative ? -v : v;
    return true;
}

// Exactly "yyyy-mm-dd", the short date form; other texts are left to the general conversion.
bool ReadPlainDate(std::string_view text, TDateTime& out) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    int value[3] = {0, 0, 0};
    const std::size_t from[3] = {0, 5, 8}, to[3] = {4, 7, 10};
    for (int p = 0; p < 3; ++p)
        for (std::size_t i = from[p]; i < to[p]; ++i) {
            const unsigned d = static_cast<unsigned char>(text[i]) - unsigned{'0'};
            if (d > 9) return false;
            value[p] = value[p] * 10 + static_cast<int>(d);
        }
    return TryEncodeDateTime(value[0], value[1], value[2], 0, 0, 0, 0, out);
}

std::int32_t ToInt32(const TField& f, std::int64_t v) {
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        throw EConvertError(IntToStr(v) + " is out of the integer range of field '" + f.FieldName() + "'");
    return static_cast<std::int32_t>(v);
}

std::int64_t RoundToInt64(const TField& f, double v) {
    if (!std::isfinite(v) || std::fabs(v) >= 9.2e18)
        throw EConvertError(FloatToStr(v) + " is out of the integer range of field '" + f.FieldName() + "'");
    return std::llround(v);
}

} // namespace

TField::TField(TMemTable* table, int index, const TFieldDef& def)
    : FTable(table), FIndex(index), FName(def.Name), FType(def.DataType), FSize(def.Size),
      FRequired(def.Required) {}

// ---------------------------------------------------------------- storing

void TField::Clear() {
    Store(true, 0, {});
}

void TField::Store(bool null, std::uint64_t slot, std::string_view text) {
    TEditBuffer& b = FTable->Buffer();
    const auto i = static_cast<std::size_t>(FIndex);
    const bool isText = FType == ftString;
    if (FTable->FQuietStore) {
        b.Nulls[i] = null;
        b.Slots[i] = null ? 0 : slot;
        if (isText) b.Texts[i].assign(null ? std::string_view() : text);
        return;
    }
    FTable->CheckWritable();
    if (OnValidate) {
        const bool oldNull = b.Nulls[i] != 0;
        const std::uint64_t oldSlot = b.Slots[i];
        std::string oldText = isText ? b.Texts[i] : std::string();
        b.Nulls[i] = null;
        b.Slots[i] = null ? 0 : slot;
        if (isText) b.Texts[i].assign(null ? std::string_view() : text);
        try {
            OnValidate(this);
        } catch (...) {
            b.Nulls[i] = oldNull;
            b.Slots[i] = oldSlot;
            if (isText) b.Texts[i] = std::move(oldText);
            throw;
        }
    } else {
        b.Nulls[i] = null;
        b.Slots[i] = null ? 0 : slot;
        if (isText) {
            if (null)
                b.Texts[i].clear();
            else
                b.Texts[i].assign(text.data(), text.size());
        }
    }
    FTable->FieldChanged(this);
    if (OnChange) OnChange(this);
}

void TField::SetAsString(std::string_view text) {
    if (FType == ftString) return Store(false, 0, text);
    // The texts a search answer is made of, without the general conversion.
    if (FType == ftLargeint || FType == ftInteger) {
        std::int64_t v;
        if (ReadPlainInteger(text, v) && (FType == ftLargeint || (v >= INT32_MIN && v <= INT32_MAX)))
            return Store(false, IntSlot(v), {});
    } else if (FType == ftDate || FType == ftDateTime) {
        TDateTime v;
        if (ReadPlainDate(text, v)) return SetAsDateTime(v);
    }
    std::string t = Trim(text);
    if (t.empty()) return Clear();
    switch (FType) {
    case ftInteger: {
        std::int32_t v;
        if (!TryStrToInt(t, v)) throw EConvertError(Quoted(text) + " is not a valid integer value");
        return Store(false, IntSlot(v), {});
    }
    case ftLargeint: {
        std::int64_t v;
        if (!TryStrToInt64(t, v)) throw EConvertError(Quoted(text) + " is not a valid integer value");
        return Store(false, IntSlot(v), {});
    }
    case ftFloat: {
        double v;
        if (!TryStrToFloat(t, v)) throw EConvertError(Quoted(text) + " is not a valid floating point value");
        return Store(false, FloatSlot(v), {});
    }
    case ftDate:
    case ftDateTime:
    case ftTime: {
        TDateTime v;
        bool ok = FType == ftTime ? TryStrToTime(t, v) || TryStrToDateTime(t, v) : TryStrToDateTime(t, v);
        if (!ok) throw EConvertError(Quoted(text) + " is not a valid date and time");
        return SetAsDateTime(v);
    }
    case ftBoolean: {
        bool v;
        if (!ParseBoolean(t, v)) throw EConvertError(Quoted(text) + " is not a valid boolean value");
        return Store(false, v ? 1 : 0, {});
    }
    default:
        CannotWrite(*this, "text");
    }
}

void TField::SetAsInteger(std::int32_t value) {
    SetAsLargeInt(value);
}

void TField::SetAsLargeInt(std::int64_t value) {
    switch (FType) {
    case ftInteger:
        return Store(false, IntSlot(ToInt32(*this, value)), {});
    case ftLargeint:
        return Store(false, IntSlot(value), {});
    case ftFloat:
        return Store(false, FloatSlot(static_cast<double>(value)), {});
    case ftString:
        return Store(false, 0, IntToStr(value));
    case ftBoolean:
        return Store(false, value != 0 ? 1 : 0, {});
    default:
        CannotWrite(*this, "an integer");
    }
}

void TField::SetAsFloat(double value) {
    switch (FType) {
    case ftInteger:
    case ftLargeint:
        return SetAsLargeInt(RoundToInt64(*this, value));
    case ftFloat:
        return Store(false, FloatSlot(value), {});
    case ftDate:
    case ftDateTime:
    case ftTime:
        return SetAsDateTime(TDateTime(value));
    case ftString:
        return Store(false, 0, FloatToStr(value));
    case ftBoolean:
        return Store(false, value != 0 ? 1 : 0, {});
    default:
        CannotWrite(*this, "a number");
    }
}

void TField::SetAsDateTime(TDateTime value) {
    switch (FType) {
    case ftDate:
        return Store(false, FloatSlot(DateOf(value).Value), {});
    case ftTime:
        return Store(false, FloatSlot(TimeOf(value).Value), {});
    case ftDateTime:
    case ftFloat:
        return Store(false, FloatSlot(value.Value), {});
    case ftString:
        return Store(false, 0, DateTimeToStr(value));
    default:
        CannotWrite(*this, "a date");
    }
}

void TField::SetAsBoolean(bool value) {
    switch (FType) {
    case ftBoolean:
        return Store(false, value ? 1 : 0, {});
    case ftInteger:
    case ftLargeint:
        return SetAsLargeInt(value ? 1 : 0);
    case ftFloat:
        return SetAsFloat(value ? 1 : 0);
    case ftString:
        return Store(false, 0, value ? "True" : "False");
    default:
        CannotWrite(*this, "a boolean");
    }
}

void TField::Assign(const TField& source) {
    if (source.IsNull()) return Clear();
    const TFieldType st = source.FType;
    if (st == FType) {
        if (FType == ftString) {
            // The source text may live in a buffer this store reuses.
            std::string copy(source.FTable->ValueText(source.FIndex));
            return Store(false, 0, copy);
        }
        return Store(false, source.FTable->ValueSlot(source.FIndex), {});
    }
    if (FType != ftString && (IsIntegerType(st) || st == ftFloat || st == ftBoolean)) {
        if (IsIntegerType(FType) && IsIntegerType(st)) return SetAsLargeInt(source.AsLargeInt());
        if (FType == ftBoolean) return SetAsBoolean(source.AsBoolean());
        if (!IsDateType(FType)) return SetAsFloat(source.AsFloat());
    }
    if (IsDateType(FType) && IsDateType(st)) return SetAsDateTime(source.AsDateTime());
    SetAsString(source.AsString());
}

// ---------------------------------------------------------------- reading

bool TField::IsNull() const {
    return FTable->ValueIsNull(FIndex);
}

std::string TField::AsString() const {
    if (IsNull()) return {};
    return FormatValue(FType, FTable->ValueSlot(FIndex), FTable->ValueText(FIndex));
}

std::int32_t TField::AsInteger() const {
    if (IsNull()) return 0;
    if (FType == ftString) {
        std::int32_t v = 0;
        return TryStrToInt(Trim(FTable->ValueText(FIndex)), v) ? v : 0;
    }
    return ToInt32(*this, AsLargeInt());
}

std::int64_t TField::AsLargeInt() const {
    if (IsNull()) return 0;
    const std::uint64_t slot = FTable->ValueSlot(FIndex);
    switch (FType) {
    case ftInteger:
    case ftLargeint:
    case ftBoolean:
        return SlotInt(slot);
    case ftFloat:
        return RoundToInt64(*this, SlotFloat(slot));
    case ftString: {
        std::string_view text = FTable->ValueText(FIndex);
        std::int64_t v;
        if (!TryStrToInt64(Trim(text), v))
            throw EConvertError(Quoted(text) + " is not a valid integer value");
        return v;
    }
    default:
        CannotRead(*this, "an integer");
    }
}

double TField::AsFloat() const {
    if (IsNull()) return 0;
    const std::uint64_t slot = FTable->ValueSlot(FIndex);
    if (IsFloatSlot(FType)) return SlotFloat(slot);
    if (IsIntegerType(FType) || FType == ftBoolean) return static_cast<double>(SlotInt(slot));
    if (FType == ftString) {
        std::string_view text = FTable->ValueText(FIndex);
        double v;
        if (!TryStrToFloat(Trim(text), v))
            throw EConvertError(Quoted(text) + " is not a valid floating point value");
        return v;
    }
    CannotRead(*this, "a number");
}

TDateTime TField::AsDateTime() const {
    if (IsNull()) return TDateTime();
    const std::uint64_t slot = FTable->ValueSlot(FIndex);
    if (IsFloatSlot(FType)) return TDateTime(SlotFloat(slot));
    if (IsIntegerType(FType)) return TDateTime(static_cast<double>(SlotInt(slot)));
    if (FType == ftString) {
        std::string_view text = FTable->ValueText(FIndex);
        TDateTime v;
        if (!TryStrToDateTime(Trim(text), v))
            throw EConvertError(Quoted(text) + " is not a valid date and time");
        return v;
    }
    CannotRead(*this, "a date");
}

bool TField::AsBoolean() const {
    if (IsNull()) return false;
    const std::uint64_t slot = FTable->ValueSlot(FIndex);
    if (FType == ftBoolean || IsIntegerType(FType)) return SlotInt(slot) != 0;
    if (FType == ftFloat) return SlotFloat(slot) != 0;
    if (FType == ftString) {
        std::string_view text = FTable->ValueText(FIndex);
        bool v;
        if (!ParseBoolean(text, v)) throw EConvertError(Quoted(text) + " is not a valid boolean value");
        return v;
    }
    CannotRead(*this, "a boolean");
}

std::string TField::Text() const {
    std::string t = AsString();
    if (OnGetText) OnGetText(const_cast<TField*>(this), t, false);
    return t;
}

std::string TField::DisplayText() const {
    std::string t = AsString();
    if (OnGetText) OnGetText(const_cast<TField*>(this), t, true);
    return t;
}

void TField::SetText(std::string_view text) {
    if (OnSetText)
        OnSetText(this, std::string(text));
    else
        SetAsString(text);
}

std::optional<std::string> TField::OldValue() const {
    if (FTable->OldIsNull(FIndex)) return std::nullopt;
    return FormatValue(FType, FTable->OldSlot(FIndex), FTable->OldText(FIndex));
}

// ---------------------------------------------------------------- presentation

void TField::LayoutChanged() {
    FTable->Notify(TDataEvent::deLayoutChanged);
}

void TField::SetDisplayLabel(std::string_view label) {
    if (label == FDisplayLabel) return;
    FDisplayLabel = label;
    LayoutChanged();
}

int TField::DisplayWidth() const {
    if (FDisplayWidth >= 0) return FDisplayWidth;
    switch (FType) {
    case ftString:
        return FSize > 0 ? FSize : 20;
    case ftInteger:
        return 10;
    case ftLargeint:
        return 15;
    case ftFloat:
        return 10;
    case ftDate:
        return 10;
    case ftDateTime:
        return 18;
    case ftTime:
        return 8;
    case ftBoolean:
        return 5;
    case ftUnknown:
        break;
    }
    return 10;
}

void TField::SetDisplayWidth(int width) {
    if (width == FDisplayWidth) return;
    FDisplayWidth = width;
    LayoutChanged();
}

void TField::SetVisible(bool visible) {
    if (visible == FVisible) return;
    FVisible = visible;
    LayoutChanged();
}

void TField::SetReadOnly(bool readOnly) {
    if (readOnly == FReadOnly) return;
    FReadOnly = readOnly;
    LayoutChanged();
}

TAlignment TField::Alignment() const {
    if (FAlignment) return *FAlignment;
    return IsIntegerType(FType) || FType == ftFloat ? taRightJustify : taLeftJustify;
}

void TField::SetAlignment(TAlignment alignment) {
    FAlignment = alignment;
    LayoutChanged();
}

bool TField::CanModify() const {
    return !FReadOnly && FTable->Active();
}

} // namespace qm
