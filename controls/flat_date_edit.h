// The flat date-time edit: a single-line flat edit that shows a date in the system's short date
// format ("yyyy-mm-dd") or a time in its long time format, and reads back what the user typed
// with the system's date conversion. An empty edit holds no value.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "controls/flat_edit.h"

namespace qm {

// Raised when code hands a date edit a text that is no date or time.
class EInvalidDate : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

enum class TDateTimeKind { dtkDate, dtkTime };

class TQmFlatDateEdit : public TQmFlatEdit {
    Q_OBJECT
public:
    explicit TQmFlatDateEdit(QWidget* parent = nullptr);

    TDateTimeKind Kind() const { return kind_; }
    void SetKind(TDateTimeKind value);

    // The whole value: the user's edit of the date keeps its time of day and the other way round.
    std::optional<TDateTime> DateTime() const { return value_; }
    void SetDateTime(std::optional<TDateTime> value);
    // Empty, or a date, a time or both; anything else throws EInvalidDate and changes nothing.
    void SetText(const std::string& text) override;

    // A date edit is one line only.
    void SetMultiLine(bool) = delete;

    // Ends an edit: a valid text becomes the value and is shown in the format; anything else
    // goes back to the value.
    void Commit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::string Format(TDateTime value) const;
    void Show();

    TDateTimeKind kind_ = TDateTimeKind::dtkDate;
    std::optional<TDateTime> value_;
};

} // namespace qm
