// The data-aware edit controls: flat edit, memo and combo box bound to a field of a data source.
#pragma once

#include <functional>
#include <string>

#include "controls/flat_combo_box.h"
#include "controls/flat_edit.h"
#include "grid/field_link.h"

namespace qm {

// What the read-only walk of a form needs of every data control.
class TQmDBControl {
public:
    virtual ~TQmDBControl() = default;
    virtual TDataSource* DataSource() const = 0;
    virtual void SetDataSource(TDataSource* source) = 0;
    virtual const std::string& DataField() const = 0;
    virtual void SetDataField(const std::string& name) = 0;
    virtual bool DataReadOnly() const = 0;
    virtual void SetDataReadOnly(bool readOnly) = 0;
};

// A flat control bound through a field link: the data-source side all data controls share.
template <class Base> class TQmDBControlOf : public Base, public TQmDBControl {
public:
    TDataSource* DataSource() const override { return FLink.Source(); }
    void SetDataSource(TDataSource* source) override { FLink.SetSource(source); }
    const std::string& DataField() const override { return FLink.DataField(); }
    void SetDataField(const std::string& name) override { FLink.SetDataField(name); }
    bool DataReadOnly() const override { return this->ReadOnly(); }
    void SetDataReadOnly(bool readOnly) override { this->SetReadOnly(readOnly); }
    TField* Field() const { return FLink.Field(); }

protected:
    // show puts the field's text into the control.
    TQmDBControlOf(QWidget* parent, std::function<void(const std::string&)> show)
        : Base(parent), FLink(std::move(show)) {}
    TQmFieldLink FLink;
};

class TQmDBEdit : public TQmDBControlOf<TQmFlatEdit> {
    Q_OBJECT
public:
    explicit TQmDBEdit(QWidget* parent = nullptr);

protected:
    void Change() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Show(const std::string& text);
};

class TQmDBMemo : public TQmDBControlOf<TQmFlatMemo> {
    Q_OBJECT
public:
    explicit TQmDBMemo(QWidget* parent = nullptr);

protected:
    void Change() override;
};

class TQmDBComboBox : public TQmDBControlOf<TQmFlatComboBox> {
    Q_OBJECT
public:
    explicit TQmDBComboBox(QWidget* parent = nullptr);

protected:
    void Change() override;
};

} // namespace qm
