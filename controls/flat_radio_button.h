// The flat radio button. Radio buttons with the same parent form one group: checking one
// unchecks the others.
#pragma once

#include <functional>
#include <string>

#include "controls/flat_look.h"

class QRadioButton;

namespace qm {

class TQmFlatRadioButton : public TQmFlatControl {
    Q_OBJECT
public:
    explicit TQmFlatRadioButton(QWidget* parent = nullptr);

    std::string Caption() const;
    void SetCaption(const std::string& caption);
    bool Checked() const;
    void SetChecked(bool value); // from code: works while ReadOnly too

    QRadioButton* RadioEditor() const { return radio_; }

    std::function<void()> OnClick;  // the user checked the button
    std::function<void()> OnChange; // checked or unchecked, by the user or by code

signals:
    void changed();

protected:
    void ApplyReadOnly(bool readOnly) override;

private:
    void UncheckSiblings();

    QRadioButton* radio_ = nullptr;
};

} // namespace qm
