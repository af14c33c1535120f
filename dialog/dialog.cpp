// dialog.dll: the host application's message box, and the answer queue for automated runs.
#include <QAbstractButton>
#include <QApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QSpacerItem>
#include <QWidget>

#include "dialog/answer_queue.h"
#include "dialog/dialog_api.h"
#include "platform/qt/qt_pump.h"

namespace qm::dialog {

AnswerQueue& AnswerQueue::Instance() {
    static AnswerQueue queue;
    return queue;
}

namespace {

// A box that only deliberate keys answer: a letter typed on from the form never does, while
// Alt+letter (the buttons' mnemonics), Enter, Space and Esc still do.
class Box : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool chord = event->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier);
        const QString text = event->text();
        if (!chord && !text.isEmpty() && text.front().isPrint() && !text.front().isSpace()) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
};

// While it lives, no key or click reaches any widget.
class InputDrain : public QObject {
public:
    InputDrain() { QCoreApplication::instance()->installEventFilter(this); }
    ~InputDrain() override { QCoreApplication::instance()->removeEventFilter(this); }
    InputDrain(const InputDrain&) = delete;
    InputDrain& operator=(const InputDrain&) = delete;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            event->accept(); // taken here, so that no shortcut runs for it either
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::InputMethod:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return true;
        default:
            return false;
        }
    }
};

// Takes in and throws away the input the window system still holds: keys and clicks sent before
// the box was there were meant for the form, never an answer.
void DropQueuedInput() {
    InputDrain drain;
    QGuiApplication::sync();
}

// The program speaks Chinese whatever locale the machine has: the buttons are named directly.
void NameButtons(QMessageBox& box) {
    struct Name {
        QMessageBox::StandardButton Button;
        const char* Text;
    };
    for (const Name& n :
         {Name{QMessageBox::Yes, "是(&Y)"}, Name{QMessageBox::No, "否(&N)"}, Name{QMessageBox::Ok, "确定"}})
        if (QAbstractButton* b = box.button(n.Button)) b->setText(QString::fromUtf8(n.Text));
}

// A box is at least as wide as its title with the frame's buttons, so the title is never cut.
void FitTitle(QMessageBox& box, const QString& caption) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    const int width = box.fontMetrics().horizontalAdvance(caption) + 120;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(),
                  0, 1, grid->columnCount());
}

int ShowBox(std::uint32_t owner, const QString& caption, const QString& text, int flags) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
    DropQueuedInput();
    Box box(WidgetOfHandle(owner));
    box.setWindowTitle(caption);
    box.setText(text);
    box.setWindowModality(Qt::ApplicationModal);
    // A question or a notice: nothing to minimise or maximise.
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint);
    const int kind = flags & kKindMask;
    if (kind == kYesNo) {
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(flags & kDefaultSecond ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setIcon(kind == kWarning ? QMessageBox::Warning : QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok);
    }
    NameButtons(box);
    FitTitle(box, caption);
    const int clicked = box.exec();
    if (kind == kYesNo) return clicked == QMessageBox::Yes ? 6 : 7;
    return 1;
}

} // namespace
} // namespace qm::dialog

using qm::dialog::AnswerQueue;

QM_DIALOG_EXPORT int QmMessageBox(std::uint32_t owner, const char* caption, const char* text, int flags) {
    try {
        const std::string cap = caption ? caption : "";
        const std::string txt = text ? text : "";
        if (auto answer = AnswerQueue::Instance().Answer({cap, txt, flags})) return *answer;
        return qm::dialog::ShowBox(owner, QString::fromStdString(cap), QString::fromStdString(txt), flags);
    } catch (...) {
        return 0;
    }
}

QM_DIALOG_EXPORT void QmDialogQueueAnswer(int answer) {
    try {
        AnswerQueue::Instance().Push(answer);
    } catch (...) {
    }
}

QM_DIALOG_EXPORT void QmDialogClearQueue() {
    AnswerQueue::Instance().Clear();
}
QM_DIALOG_EXPORT void QmDialogSetStrict(int strict) {
    AnswerQueue::Instance().SetStrict(strict != 0);
}
QM_DIALOG_EXPORT int QmDialogCallCount() {
    return static_cast<int>(AnswerQueue::Instance().Calls().size());
}

namespace {
const qm::dialog::RecordedCall* CallAt(int index) {
    const auto& calls = AnswerQueue::Instance().Calls();
    return index >= 0 && static_cast<std::size_t>(index) < calls.size()
               ? &calls[static_cast<std::size_t>(index)]
               : nullptr;
}
} // namespace

QM_DIALOG_EXPORT const char* QmDialogCallCaption(int index) {
    const auto* call = CallAt(index);
    return call ? call->Caption.c_str() : nullptr;
}
QM_DIALOG_EXPORT const char* QmDialogCallText(int index) {
    const auto* call = CallAt(index);
    return call ? call->Text.c_str() : nullptr;
}
QM_DIALOG_EXPORT int QmDialogCallFlags(int index) {
    const auto* call = CallAt(index);
    return call ? call->Flags : -1;
}
QM_DIALOG_EXPORT int QmDialogRunFailed() {
    return AnswerQueue::Instance().Failed() ? 1 : 0;
}
QM_DIALOG_EXPORT int QmDialogPendingAnswers() {
    return AnswerQueue::Instance().Pending();
}
