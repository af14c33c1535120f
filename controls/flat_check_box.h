// The flat check box: a check box with a caption inside the flat look's frame.
#pragma once

#include <functional>
#include <string>

#include "controls/flat_look.h"

class QCheckBox;

namespace qm {

namespace detail {

// A check box or radio button that the user cannot change while it is locked; code still can.
template <class Button> class LockableButton : public Button {
public:
    bool locked = false;
    bool neverUncheck = false; // a radio button is unchecked only by checking another
    std::function<void()> onUserToggle;

protected:
    void nextCheckState() override {
        if (locked || (neverUncheck && this->isChecked())) return;
        Button::nextCheckState();
        if (onUserToggle) onUserToggle();
    }
};

} // namespace detail

enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TQmFlatCheckBox : public TQmFlatControl {
    Q_OBJECT
public:
    explicit TQmFlatCheckBox(QWidget* parent = nullptr);

    std::string Caption() const;
    void SetCaption(const std::string& caption);
    bool Checked() const { return State() == TCheckBoxState::cbChecked; }
    void SetChecked(bool value);
    TCheckBoxState State() const;
    void SetState(TCheckBoxState value); // from code: works while ReadOnly too
    // Whether a click cycles through the grayed state as well.
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool value);

    QCheckBox* CheckEditor() const { return box_; }

    std::function<void()> OnClick;  // the user changed the state
    std::function<void()> OnChange; // the state changed, by the user or by code

signals:
    void changed();

protected:
    void ApplyReadOnly(bool readOnly) override;

private:
    bool allowGrayed_ = false;
    QCheckBox* box_ = nullptr;
};

} // namespace qm
