// Ties one control to one field of its data source: shows the current row's value and writes
// edits back.
#pragma once

#include <functional>
#include <string>

#include "dataset/data_source.h"

namespace qm {

class TQmFieldLink : private TDataLink {
public:
    // show: put this text into the control (the field's text, empty without a row).
    explicit TQmFieldLink(std::function<void(const std::string&)> show);

    TDataSource* Source() const { return DataSource(); }
    void SetSource(TDataSource* source);
    const std::string& DataField() const { return FFieldName; }
    void SetDataField(const std::string& name);
    TField* Field() const; // null without a table or a field of that name
    bool CanModify() const;

    // The user changed the text: the table goes into edit state and the field takes the text.
    // A text the field cannot hold yet (typing is under way) is remembered, not reported.
    void Modified(const std::string& text);
    // The user left the control: a remembered text is written now. False, with the reason, when
    // the field refuses it.
    bool Flush(std::string& error);
    // Shows the field's value again.
    void Reload();
    bool Loading() const { return FLoading; }

private:
    void ActiveChanged() override { Reload(); }
    void DataSetChanged() override { Reload(); }
    void RecordChanged(TField* field) override;
    void DataSetScrolled(int) override { Reload(); }

    std::function<void(const std::string&)> FShow;
    std::string FFieldName;
    bool FLoading = false;
    bool FWriting = false;
    bool FPending = false;
    std::string FPendingText;
};

} // namespace qm
