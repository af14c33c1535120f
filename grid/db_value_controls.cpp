#include "grid/db_value_controls.h"

#include <QEvent>
#include <QLineEdit>

#include "platform/platform.h"
#include "plugin/message_box.h"

namespace qm {

namespace {

// Leaving the control writes what the field could not take while typing, or says why not.
void FlushOnFocusOut(TQmFieldLink& link, QEvent* event) {
    if (event->type() != QEvent::FocusOut) return;
    std::string error;
    if (!link.Flush(error)) CallMessageBox("提示：", error, MB_NOTICE);
}

bool IsTimeField(const TField* field) {
    return field && field->DataType() == ftTime;
}

} // namespace

// ---------------------------------------------------------------- date edit

TQmDBDateEdit::TQmDBDateEdit(QWidget* parent)
    : TQmDBControlOf(parent, [this](const std::string& text) { Show(text); }) {}

void TQmDBDateEdit::Show(const std::string& text) {
    SetKind(IsTimeField(FLink.Field()) ? TDateTimeKind::dtkTime : TDateTimeKind::dtkDate);
    try {
        SetText(text);
    } catch (const EInvalidDate&) {
        // A value the edit cannot read is not shown rather than replaced.
        SetDateTime(std::nullopt);
    }
}

void TQmDBDateEdit::Change() {
    TQmFlatDateEdit::Change();
    if (FLink.Loading()) return;
    const std::string text = Text();
    TDateTime typed;
    const bool whole =
        Kind() == TDateTimeKind::dtkTime ? TryStrToTime(text, typed) : TryStrToDate(text, typed);
    if (text.empty() || !whole || !DateTime()) {
        FLink.Modified(text);
        return;
    }
    // The part this edit does not show comes from the value it was showing.
    int y, mo, d, h, mi, s, ms, y2, mo2, d2, h2, mi2, s2, ms2;
    DecodeDateTime(*DateTime(), y, mo, d, h, mi, s, ms);
    DecodeDateTime(typed, y2, mo2, d2, h2, mi2, s2, ms2);
    const TDateTime merged = Kind() == TDateTimeKind::dtkDate ? EncodeDateTime(y2, mo2, d2, h, mi, s, ms)
                                                              : EncodeDateTime(y, mo, d, h2, mi2, s2, ms2);
    FLink.Modified(FormatDateTime("yyyy-mm-dd hh:nn:ss", merged));
}

bool TQmDBDateEdit::eventFilter(QObject* watched, QEvent* event) {
    const bool handled = TQmFlatDateEdit::eventFilter(watched, event);
    if (watched == LineEditor()) FlushOnFocusOut(FLink, event);
    return handled;
}

// ---------------------------------------------------------------- number edit

TQmDBNumberEdit::TQmDBNumberEdit(QWidget* parent)
    : TQmDBControlOf(parent, [this](const std::string& text) { Show(text); }) {}

void TQmDBNumberEdit::Show(const std::string& text) {
    const TField* field = FLink.Field();
    const bool whole = field && (field->DataType() == ftInteger || field->DataType() == ftLargeint);
    SetDecimalPlaces(whole ? 0 : -1);
    try {
        SetText(text);
    } catch (const EInvalidNumber&) {
        SetValue(std::nullopt);
    }
}

void TQmDBNumberEdit::Change() {
    TQmFlatNumberEdit::Change();
    if (!FLink.Loading()) FLink.Modified(Text());
}

bool TQmDBNumberEdit::eventFilter(QObject* watched, QEvent* event) {
    const bool handled = TQmFlatNumberEdit::eventFilter(watched, event);
    if (watched == LineEditor()) FlushOnFocusOut(FLink, event);
    return handled;
}

// ---------------------------------------------------------------- check box

TQmDBCheckBox::TQmDBCheckBox(QWidget* parent)
    : TQmDBControlOf(parent, [this](const std::string& text) { Show(text); }) {
    connect(this, &TQmFlatCheckBox::changed, this, [this] {
        if (!FLink.Loading()) Write();
    });
}

void TQmDBCheckBox::SetValueChecked(const std::string& value) {
    FValueChecked = value;
    FLink.Reload();
}

void TQmDBCheckBox::SetValueUnchecked(const std::string& value) {
    FValueUnchecked = value;
    FLink.Reload();
}

void TQmDBCheckBox::Show(const std::string& text) {
    const TField* field = FLink.Field();
    TCheckBoxState state = TCheckBoxState::cbGrayed;
    if (!field || text.empty()) {
        state = field ? TCheckBoxState::cbGrayed : TCheckBoxState::cbUnchecked;
    } else if (field->DataType() == ftBoolean) {
        state = field->AsBoolean() ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked;
    } else if (SameText(text, FValueChecked)) {
        state = TCheckBoxState::cbChecked;
    } else if (SameText(text, FValueUnchecked)) {
        state = TCheckBoxState::cbUnchecked;
    }
    SetState(state);
}

void TQmDBCheckBox::Write() {
    const TField* field = FLink.Field();
    const bool boolean = field && field->DataType() == ftBoolean;
    switch (State()) {
    case TCheckBoxState::cbChecked:
        FLink.Modified(boolean ? "True" : FValueChecked);
        break;
    case TCheckBoxState::cbUnchecked:
        FLink.Modified(boolean ? "False" : FValueUnchecked);
        break;
    case TCheckBoxState::cbGrayed:
        FLink.Modified(std::string());
        break;
    }
}

} // namespace qm
