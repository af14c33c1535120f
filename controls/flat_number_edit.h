// The flat number edit: a single-line flat edit that takes only a number from the user (an
// optional sign, digits and the system decimal separator). An empty edit holds no value.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "controls/flat_edit.h"

namespace qm {

// Raised when code hands a number edit a text that is not a number.
class EInvalidNumber : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

class TQmFlatNumberEdit : public TQmFlatEdit {
    Q_OBJECT
public:
    explicit TQmFlatNumberEdit(QWidget* parent = nullptr);

    // Empty, or a number; anything else throws EInvalidNumber and leaves the edit as it was.
    void SetText(const std::string& text) override;
    std::optional<double> Value() const; // empty while there is no number
    void SetValue(double value);
    void SetValue(std::optional<double> value);

    // Digits the user may type after the separator: 0 for whole numbers, -1 for any.
    int DecimalPlaces() const { return decimalPlaces_; }
    void SetDecimalPlaces(int value);

    // A number edit is one line only.
    void SetMultiLine(bool) = delete;

    // Ends an edit: a text that is not (yet) a number goes back to the last number.
    void Commit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int decimalPlaces_ = -1;
    std::string committed_;
};

} // namespace qm
