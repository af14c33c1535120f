// The flat edit control: single line, or multi-line with wanted returns, word wrap, scroll
// bars and its text as a list of lines.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "controls/flat_look.h"

class QLineEdit;
class QPlainTextEdit;

namespace qm {

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TQmFlatEdit : public TQmFlatControl {
    Q_OBJECT
public:
    explicit TQmFlatEdit(QWidget* parent = nullptr);

    std::string Text() const;
    virtual void SetText(const std::string& text);
    int MaxLength() const { return maxLength_; } // characters typed into a single line; 0 is no limit
    void SetMaxLength(int value);

    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool value);
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool value);
    // Whether a multi-line edit takes the Tab key into its text instead of passing the focus on.
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle value);
    // The text as lines (multi-line mode; a single-line edit has one line).
    std::vector<std::string> Lines() const;
    void SetLines(const std::vector<std::string>& lines);

    QLineEdit* LineEditor() const { return line_; }
    QPlainTextEdit* TextEditor() const { return text_; }

    std::function<void()> OnChange;

signals:
    void changed();

protected:
    // Runs after the text changed by typing or by code.
    virtual void Change();
    void ApplyLookColor(TColor color) override;
    void ApplyReadOnly(bool readOnly) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Rebuild();
    void ApplyMultiLineOptions();

    bool multiLine_ = false;
    bool wantReturns_ = true;
    bool wantTabs_ = false;
    bool wordWrap_ = true;
    TScrollStyle scrollBars_ = TScrollStyle::ssNone;
    int maxLength_ = 0;
    QLineEdit* line_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    QWidget* corner_ = nullptr;
};

// The multi-line flat edit.
class TQmFlatMemo : public TQmFlatEdit {
    Q_OBJECT
public:
    explicit TQmFlatMemo(QWidget* parent = nullptr);
};

} // namespace qm
