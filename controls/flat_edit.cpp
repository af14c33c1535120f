#include "controls/flat_edit.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

namespace qm {

TQmFlatEdit::TQmFlatEdit(QWidget* parent) : TQmFlatControl(parent) {
    Rebuild();
}

void TQmFlatEdit::Rebuild() {
    const std::string keep = line_ || text_ ? Text() : std::string();
    line_ = nullptr;
    text_ = nullptr;
    corner_ = nullptr;
    if (multiLine_) {
        text_ = new QPlainTextEdit();
        text_->setFrameShape(QFrame::NoFrame);
        corner_ = new QWidget();
        corner_->setAutoFillBackground(true);
        text_->setCornerWidget(corner_);
        text_->setPlainText(QString::fromStdString(keep));
        connect(text_, &QPlainTextEdit::textChanged, this, [this] { Change(); });
        SetEditor(text_);
        ApplyMultiLineOptions();
    } else {
        line_ = new QLineEdit();
        line_->setFrame(false);
        if (maxLength_ > 0) line_->setMaxLength(maxLength_);
        line_->setText(QString::fromStdString(keep));
        connect(line_, &QLineEdit::textChanged, this, [this] { Change(); });
        SetEditor(line_);
    }
}

void TQmFlatEdit::ApplyMultiLineOptions() {
    if (!text_) return;
    text_->setTabChangesFocus(!wantTabs_);
    text_->setLineWrapMode(wordWrap_ ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    const bool h = scrollBars_ == TScrollStyle::ssHorizontal || scrollBars_ == TScrollStyle::ssBoth;
    const bool v = scrollBars_ == TScrollStyle::ssVertical || scrollBars_ == TScrollStyle::ssBoth;
    text_->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    text_->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    Redraw();
}

std::string TQmFlatEdit::Text() const {
    if (text_) return text_->toPlainText().toStdString();
    if (line_) return line_->text().toStdString();
    return {};
}

void TQmFlatEdit::SetText(const std::string& text) {
    // A value from code is kept whole, whatever MaxLength says.
    if (text_) {
        text_->setPlainText(QString::fromStdString(text));
    } else if (line_) {
        line_->setMaxLength(32767);
        line_->setText(QString::fromStdString(text));
        if (maxLength_ > 0) line_->setMaxLength(std::max(maxLength_, static_cast<int>(line_->text().size())));
    }
}

void TQmFlatEdit::SetMaxLength(int value) {
    maxLength_ = std::max(0, value);
    if (line_)
        line_->setMaxLength(maxLength_ > 0 ? std::max(maxLength_, static_cast<int>(line_->text().size()))
                                           : 32767);
}

void TQmFlatEdit::SetMultiLine(bool value) {
    if (multiLine_ == value) return;
    multiLine_ = value;
    Rebuild();
}

void TQmFlatEdit::SetWantReturns(bool value) {
    wantReturns_ = value;
}

void TQmFlatEdit::SetWantTabs(bool value) {
    wantTabs_ = value;
    if (text_) text_->setTabChangesFocus(!value);
}

void TQmFlatEdit::SetWordWrap(bool value) {
    wordWrap_ = value;
    ApplyMultiLineOptions();
}

void TQmFlatEdit::SetScrollBars(TScrollStyle value) {
    scrollBars_ = value;
    ApplyMultiLineOptions();
}

std::vector<std::string> TQmFlatEdit::Lines() const {
    std::vector<std::string> out;
    const QString all = text_ ? text_->toPlainText() : (line_ ? line_->text() : QString());
    if (all.isEmpty()) return out;
    for (const QString& line : all.split(QLatin1Char('\n')))
        out.push_back(line.toStdString());
    return out;
}

void TQmFlatEdit::SetLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) joined += '\n';
        joined += lines[i];
    }
    SetText(joined);
}

void TQmFlatEdit::Change() {
    if (OnChange) OnChange();
    emit changed();
}

void TQmFlatEdit::ApplyLookColor(TColor color) {
    TQmFlatControl::ApplyLookColor(color);
    if (corner_) {
        // The square where both scroll bars meet takes the look's colour.
        QPalette pal = corner_->palette();
        pal.setColor(QPalette::Window, QColor::fromRgb(ToQRgb(color)));
        corner_->setPalette(pal);
    }
}

void TQmFlatEdit::ApplyReadOnly(bool readOnly) {
    if (line_) line_->setReadOnly(readOnly);
    if (text_) text_->setReadOnly(readOnly);
}

bool TQmFlatEdit::eventFilter(QObject* watched, QEvent* e) {
    // Without WantReturns the Return key belongs to the form (default button), not the text.
    if (watched == text_ && e->type() == QEvent::KeyPress && !wantReturns_) {
        const auto* key = static_cast<QKeyEvent*>(e);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & Qt::ControlModifier)) {
            e->ignore();
            return true;
        }
    }
    return TQmFlatControl::eventFilter(watched, e);
}

TQmFlatMemo::TQmFlatMemo(QWidget* parent) : TQmFlatEdit(parent) {
    resize(185, 89);
    SetMultiLine(true);
}

} // namespace qm
