#include "controls/flat_date_edit.h"

#include <QEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QValidator>

namespace qm {

namespace {

bool ParseKind(TDateTimeKind kind, const std::string& text, TDateTime& out) {
    return kind == TDateTimeKind::dtkDate ? TryStrToDate(text, out) : TryStrToTime(text, out);
}

// Lets through what can still become a date (or time): digits and separators in their places.
class DateValidator : public QValidator {
public:
    DateValidator(const TDateTimeKind* kind, QObject* parent) : QValidator(parent), kind_(kind) {}

    State validate(QString& input, int&) const override {
        if (input.isEmpty()) return Acceptable;
        const QRegularExpression& shape = *kind_ == TDateTimeKind::dtkDate ? DateShape() : TimeShape();
        if (!shape.match(input).hasMatch()) return Invalid;
        TDateTime v;
        return ParseKind(*kind_, input.toStdString(), v) ? Acceptable : Intermediate;
    }

private:
    static const QRegularExpression& DateShape() {
        static const QRegularExpression re(
            QStringLiteral("^\\d{0,4}([%1/]\\d{0,2}([%1/]\\d{0,2})?)?$")
                .arg(QRegularExpression::escape(QString(QLatin1Char(FormatSettings().DateSeparator)))));
        return re;
    }
    static const QRegularExpression& TimeShape() {
        static const QRegularExpression re(
            QStringLiteral("^\\d{0,2}(%1\\d{0,2}(%1\\d{0,2})?)?$")
                .arg(QRegularExpression::escape(QString(QLatin1Char(FormatSettings().TimeSeparator)))));
        return re;
    }

    const TDateTimeKind* kind_;
};

} // namespace

TQmFlatDateEdit::TQmFlatDateEdit(QWidget* parent) : TQmFlatEdit(parent) {
    LineEditor()->setValidator(new DateValidator(&kind_, LineEditor()));
    connect(LineEditor(), &QLineEdit::editingFinished, this, [this] { Commit(); });
}

std::string TQmFlatDateEdit::Format(TDateTime value) const {
    const auto& f = FormatSettings();
    return FormatDateTime(kind_ == TDateTimeKind::dtkDate ? f.ShortDateFormat : f.LongTimeFormat, value);
}

void TQmFlatDateEdit::Show() {
    TQmFlatEdit::SetText(value_ ? Format(*value_) : std::string());
}

void TQmFlatDateEdit::SetKind(TDateTimeKind value) {
    kind_ = value;
    Show();
}

void TQmFlatDateEdit::SetDateTime(std::optional<TDateTime> value) {
    value_ = value;
    Show();
}

void TQmFlatDateEdit::SetText(const std::string& text) {
    if (text.find_first_not_of(" \t") == std::string::npos) return SetDateTime(std::nullopt);
    TDateTime v;
    if (!TryStrToDateTime(text, v)) throw EInvalidDate("\"" + text + "\" is not a date");
    SetDateTime(v);
}

void TQmFlatDateEdit::Commit() {
    const std::string text = Text();
    if (text.empty()) {
        value_.reset();
        return;
    }
    TDateTime typed;
    if (ParseKind(kind_, text, typed)) {
        // The part the edit does not show stays as it was.
        int y, mo, d, h, mi, sec, ms, y2, mo2, d2, h2, mi2, sec2, ms2;
        DecodeDateTime(value_.value_or(TDateTime()), y, mo, d, h, mi, sec, ms);
        DecodeDateTime(typed, y2, mo2, d2, h2, mi2, sec2, ms2);
        value_ = kind_ == TDateTimeKind::dtkDate ? EncodeDateTime(y2, mo2, d2, h, mi, sec, ms)
                                                 : EncodeDateTime(y, mo, d, h2, mi2, sec2, ms2);
    }
    Show();
}

bool TQmFlatDateEdit::eventFilter(QObject* watched, QEvent* e) {
    // Leaving with a half-typed date: the line edit reports no finished edit then.
    if (watched == LineEditor() && e->type() == QEvent::FocusOut) Commit();
    return TQmFlatEdit::eventFilter(watched, e);
}

} // namespace qm
