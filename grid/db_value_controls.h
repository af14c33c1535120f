// The data-aware date-time edit, number edit and check box: flat controls bound to a field.
#pragma once

#include <string>

#include "controls/flat_check_box.h"
#include "controls/flat_date_edit.h"
#include "controls/flat_number_edit.h"
#include "grid/db_controls.h"

namespace qm {

// Shows a date or time field; a date typed over a date-and-time value keeps its time of day.
class TQmDBDateEdit : public TQmDBControlOf<TQmFlatDateEdit> {
    Q_OBJECT
public:
    explicit TQmDBDateEdit(QWidget* parent = nullptr);

protected:
    void Change() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Show(const std::string& text);
};

// Shows a number field; whole-number fields take no decimal separator.
class TQmDBNumberEdit : public TQmDBControlOf<TQmFlatNumberEdit> {
    Q_OBJECT
public:
    explicit TQmDBNumberEdit(QWidget* parent = nullptr);

protected:
    void Change() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Show(const std::string& text);
};

// Shows a field as checked, unchecked or, for a null or unknown value, grayed. A Boolean field
// is read as such; any other field is compared with ValueChecked and ValueUnchecked.
class TQmDBCheckBox : public TQmDBControlOf<TQmFlatCheckBox> {
    Q_OBJECT
public:
    explicit TQmDBCheckBox(QWidget* parent = nullptr);

    const std::string& ValueChecked() const { return FValueChecked; }
    void SetValueChecked(const std::string& value);
    const std::string& ValueUnchecked() const { return FValueUnchecked; }
    void SetValueUnchecked(const std::string& value);

private:
    void Show(const std::string& text);
    void Write();

    std::string FValueChecked = "True";
    std::string FValueUnchecked = "False";
};

} // namespace qm
