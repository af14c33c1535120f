// The flat group box: a caption over a client area for other controls, inside the flat look's
// frame. The group shows the focused look while one of its controls has the focus.
#pragma once

#include <optional>
#include <string>

#include "controls/flat_look.h"

class QLabel;

namespace qm {

class TQmFlatGroupBox : public TQmFlatControl {
    Q_OBJECT
public:
    explicit TQmFlatGroupBox(QWidget* parent = nullptr);

    std::string Caption() const;
    void SetCaption(const std::string& caption);

    // Where the grouped controls go. Its colour is the group's look colour, so children with
    // ParentColor follow the group.
    QWidget* ClientArea() const { return client_; }

protected:
    void ApplyLookColor(TColor color) override;
    // ReadOnly passes to every flat control in the group.
    void ApplyReadOnly(bool readOnly) override;

private:
    QLabel* caption_ = nullptr;
    QWidget* client_ = nullptr;
    std::optional<TColor> clientColor_;
};

} // namespace qm
