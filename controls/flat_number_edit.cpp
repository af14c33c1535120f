#include "controls/flat_number_edit.h"

#include <QEvent>
#include <QLineEdit>
#include <QValidator>

namespace qm {

namespace {

bool IsNumber(const std::string& text) {
    double v = 0;
    return TryStrToFloat(text, v);
}

// Lets through what can still become a number: sign, digits, one separator, a limit on the
// digits after it. Letters, spaces and a second separator are refused as they are typed or pasted.
class NumberValidator : public QValidator {
public:
    explicit NumberValidator(const int* decimals, QObject* parent)
        : QValidator(parent), decimals_(decimals) {}

    State validate(QString& input, int&) const override {
        const char sep = FormatSettings().DecimalSeparator;
        qsizetype i = 0;
        if (i < input.size() && (input[i] == u'+' || input[i] == u'-')) ++i;
        int digits = 0;
        int afterSep = -1;
        bool exponent = false;
        for (; i < input.size(); ++i) {
            const QChar c = input[i];
            if (c >= u'0' && c <= u'9') {
                ++digits;
                if (afterSep >= 0 && !exponent) ++afterSep;
            } else if (c == QLatin1Char(sep) && afterSep < 0 && !exponent) {
                afterSep = 0;
            } else if ((c == u'e' || c == u'E') && !exponent && digits > 0 && *decimals_ < 0) {
                // Values from code can come in exponent form; the user may keep editing them.
                exponent = true;
                if (i + 1 < input.size() && (input[i + 1] == u'+' || input[i + 1] == u'-')) ++i;
            } else {
                return Invalid;
            }
        }
        if (afterSep >= 0 && (*decimals_ == 0 || (*decimals_ > 0 && afterSep > *decimals_))) return Invalid;
        return input.isEmpty() || IsNumber(input.toStdString()) ? Acceptable : Intermediate;
    }

private:
    const int* decimals_;
};

} // namespace

TQmFlatNumberEdit::TQmFlatNumberEdit(QWidget* parent) : TQmFlatEdit(parent) {
    LineEditor()->setValidator(new NumberValidator(&decimalPlaces_, LineEditor()));
    LineEditor()->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(LineEditor(), &QLineEdit::editingFinished, this, [this] { Commit(); });
}

void TQmFlatNumberEdit::SetText(const std::string& text) {
    if (!text.empty() && !IsNumber(text)) throw EInvalidNumber("\"" + text + "\" is not a number");
    committed_ = text;
    TQmFlatEdit::SetText(text);
}

std::optional<double> TQmFlatNumberEdit::Value() const {
    double v = 0;
    if (!TryStrToFloat(Text(), v)) return std::nullopt;
    return v;
}

void TQmFlatNumberEdit::SetValue(double value) {
    SetText(FloatToStr(value));
}

void TQmFlatNumberEdit::SetValue(std::optional<double> value) {
    SetText(value ? FloatToStr(*value) : std::string());
}

void TQmFlatNumberEdit::SetDecimalPlaces(int value) {
    decimalPlaces_ = std::max(-1, value);
}

void TQmFlatNumberEdit::Commit() {
    const std::string text = Text();
    if (text.empty() || IsNumber(text)) {
        committed_ = text;
        return;
    }
    TQmFlatEdit::SetText(committed_);
}

bool TQmFlatNumberEdit::eventFilter(QObject* watched, QEvent* e) {
    // Leaving with a half-typed number ("-", "."): the line edit reports no finished edit then.
    if (watched == LineEditor() && e->type() == QEvent::FocusOut) Commit();
    return TQmFlatEdit::eventFilter(watched, e);
}

} // namespace qm
