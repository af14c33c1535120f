// The toolbar built from the command sets a form announces. The sets are read in place through
// the addresses of the form's fields, every time: the form may replace their items.
#pragma once

#include "framework/commands.h"

#include <QKeySequence>
#include <QObject>
#include <QStyle>

#include <functional>
#include <string>
#include <string_view>

class QAction;
class QToolBar;

namespace qm::host {

// The host's own look for one of the ten standard commands.
struct StandardCommand {
    const char* Name;
    const char* Caption;
    QKeySequence::StandardKey Key; // QKeySequence::UnknownKey when none
    int ExtraKey;                  // a key with its modifiers when no standard one fits, 0 for none
    QStyle::StandardPixmap Icon;
    const char* Picture; // the style's file name of the icon's pictures
};
const StandardCommand* FindStandardCommand(std::string_view name);

// A 16-bit command shortcut (key code with 0x2000 shift, 0x4000 ctrl, 0x8000 alt) for Qt.
QKeySequence ShortCutToKeySequence(std::uint16_t shortcut);

class CommandBar : public QObject {
public:
    // Called with the text of a command that failed; the bar never lets an error escape.
    using ErrorSink = std::function<void(const std::string&)>;

    CommandBar(QToolBar* bar, ErrorSink onError);

    void SetBaseSet(TChildCommand* const* field);
    void SetOwnSet(TChildCommand* const* field);
    void Clear(); // forgets both sets and empties the bar

    // Runs the named command (base set first); false when no announced set has it.
    bool Run(std::string_view name);
    bool Has(std::string_view name) const;
    // Told the name of every command once it has run, whether by a click, a key or a script.
    void SetOnRan(std::function<void(std::string_view)> onRan) { FOnRan = std::move(onRan); }
    // Told the same just before it runs.
    void SetOnStart(std::function<void(std::string_view)> onStart) { FOnStart = std::move(onStart); }
    QList<QAction*> Actions() const;

private:
    void Rebuild();
    bool RunCommand(TCommand* command, std::string_view name);
    TCommand* Find(std::string_view name) const;
    void AddSet(TChildCommand* const* field);

    QToolBar* FBar;
    ErrorSink FOnError;
    std::function<void(std::string_view)> FOnRan;
    std::function<void(std::string_view)> FOnStart;
    TChildCommand* const* FBase = nullptr;
    TChildCommand* const* FOwn = nullptr;
};

} // namespace qm::host
