// The flat combo box: a drop-down list, editable or not, in the flat look.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "controls/flat_look.h"

class QComboBox;

namespace qm {

enum class TComboBoxStyle { csDropDown, csDropDownList };

class TQmFlatComboBox : public TQmFlatControl {
    Q_OBJECT
public:
    explicit TQmFlatComboBox(QWidget* parent = nullptr);

    std::vector<std::string> Items() const;
    void SetItems(const std::vector<std::string>& items);
    int ItemIndex() const; // -1 when none
    void SetItemIndex(int index);
    std::string Text() const;
    virtual void SetText(const std::string& text);
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle value);
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int value);

    QComboBox* ComboEditor() const { return combo_; }

    std::function<void()> OnChange;

signals:
    void changed();

protected:
    virtual void Change();
    void ApplyReadOnly(bool readOnly) override;

private:
    TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
    int dropDownCount_ = 8;
    QComboBox* combo_ = nullptr;
};

} // namespace qm
