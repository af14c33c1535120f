#include "host/script/key_input.h"

#include <QGuiApplication>
#include <QKeySequence>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QWindow>

namespace qm::host {

namespace {

// Names a keyboard tool or a person would write, where the key sequence's own differ.
QString CanonicalKey(const QString& name) {
    struct Alias {
        const char* From;
        const char* To;
    };
    static const Alias kAliases[] = {
        {"escape", "Esc"},       {"page_up", "PgUp"},    {"pageup", "PgUp"},    {"prior", "PgUp"},
        {"page_down", "PgDown"}, {"pagedown", "PgDown"}, {"pgdn", "PgDown"},    {"next", "PgDown"},
        {"delete", "Del"},       {"insert", "Ins"},      {"kp_enter", "Enter"},
    };
    for (const Alias& a : kAliases)
        if (name.compare(QLatin1String(a.From), Qt::CaseInsensitive) == 0) return QLatin1String(a.To);
    return name;
}

QString CanonicalModifier(const QString& name) {
    const QString lower = name.toLower();
    if (lower == "ctrl" || lower == "control") return "Ctrl";
    if (lower == "shift") return "Shift";
    if (lower == "alt") return "Alt";
    if (lower == "meta" || lower == "super") return "Meta";
    return {};
}

// The text a key press carries with no modifier but Shift, as a keyboard layout gives it.
QString KeyText(QKeyCombination key) {
    const Qt::KeyboardModifiers mods = key.keyboardModifiers();
    if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return {};
    const int code = key.key();
    switch (code) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return QStringLiteral("\t");
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QStringLiteral("\r");
    case Qt::Key_Backspace:
        return QStringLiteral("\b");
    case Qt::Key_Escape:
        return QStringLiteral("\x1b");
    default:
        break;
    }
    if (code >= Qt::Key_A && code <= Qt::Key_Z)
        return QChar(mods & Qt::ShiftModifier ? code : code - Qt::Key_A + 'a');
    if (code >= Qt::Key_Space && code <= Qt::Key_AsciiTilde) return QChar(code);
    return {};
}

} // namespace

std::optional<QKeyCombination> ParseKeyName(std::string_view name) {
    const QStringList parts = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).split('+');
    if (parts.isEmpty() || parts.back().isEmpty()) return std::nullopt;
    QStringList canonical;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const QString modifier = CanonicalModifier(parts[i]);
        if (modifier.isEmpty()) return std::nullopt;
        canonical << modifier;
    }
    canonical << CanonicalKey(parts.back());
    const QKeySequence sequence = QKeySequence::fromString(canonical.join('+'), QKeySequence::PortableText);
    if (sequence.count() != 1 || sequence[0].key() == Qt::Key_unknown) return std::nullopt;
    // The keyboard sends Shift+Tab as a back-tab.
    if (sequence[0].key() == Qt::Key_Tab && (sequence[0].keyboardModifiers() & Qt::ShiftModifier))
        return QKeyCombination(sequence[0].keyboardModifiers(), Qt::Key_Backtab);
    return sequence[0];
}

void SendKey(QKeyCombination key, QWindow* window) {
    const auto code = static_cast<Qt::Key>(key.key());
    const Qt::KeyboardModifiers mods = key.keyboardModifiers();
    // The press may close the window (Esc on a dialog): the release then goes nowhere.
    const QPointer<QWindow> target(window ? window : QGuiApplication::focusWindow());
    if (!target) return;
    QTest::sendKeyEvent(QTest::Press, target, code, KeyText(key), mods);
    if (target) QTest::sendKeyEvent(QTest::Release, target, code, KeyText(key), mods);
}

void SendText(const QString& text, QWindow* window) {
    for (const char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        if (c >= 0x20 && c < 0x7f) {
            const bool upper = c >= 'A' && c <= 'Z';
            const int code = c >= 'a' && c <= 'z' ? int(c - 'a' + Qt::Key_A) : int(c);
            SendKey(QKeyCombination(Qt::KeyboardModifiers(upper ? Qt::ShiftModifier : Qt::NoModifier),
                                    static_cast<Qt::Key>(code)),
                    window);
        } else {
            const QPointer<QWindow> target(window ? window : QGuiApplication::focusWindow());
            if (!target) return;
            QTest::sendKeyEvent(QTest::Press, target, Qt::Key_unknown, one, Qt::NoModifier);
            if (target) QTest::sendKeyEvent(QTest::Release, target, Qt::Key_unknown, one, Qt::NoModifier);
        }
    }
}

} // namespace qm::host
