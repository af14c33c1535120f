// dialog.dll: the host application's message box, and the answer queue for automated runs.
#include <QApplication>
#include <QMessageBox>
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

constexpr int kYesNo = 4;
constexpr int kWarning = 2;

int ShowBox(std::uint32_t owner, const QString& caption, const QString& text, int flags) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
    QMessageBox box(WidgetOfHandle(owner));
    box.setWindowTitle(caption);
    box.setText(text);
    box.setWindowModality(Qt::ApplicationModal);
    if (flags == kYesNo) {
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? 6 : 7;
    }
    box.setIcon(flags == kWarning ? QMessageBox::Warning : QMessageBox::Information);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return 1;
}

}  // namespace
}  // namespace qm::dialog

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

QM_DIALOG_EXPORT void QmDialogClearQueue() { AnswerQueue::Instance().Clear(); }
QM_DIALOG_EXPORT void QmDialogSetStrict(int strict) { AnswerQueue::Instance().SetStrict(strict != 0); }
QM_DIALOG_EXPORT int QmDialogCallCount() { return static_cast<int>(AnswerQueue::Instance().Calls().size()); }

namespace {
const qm::dialog::RecordedCall* CallAt(int index) {
    const auto& calls = AnswerQueue::Instance().Calls();
    return index >= 0 && static_cast<std::size_t>(index) < calls.size() ? &calls[static_cast<std::size_t>(index)]
                                                                        : nullptr;
}
}  // namespace

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
QM_DIALOG_EXPORT int QmDialogRunFailed() { return AnswerQueue::Instance().Failed() ? 1 : 0; }
QM_DIALOG_EXPORT int QmDialogPendingAnswers() { return AnswerQueue::Instance().Pending(); }
