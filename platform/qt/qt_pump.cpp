#include "platform/qt/qt_pump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QWidget>

namespace qm {
namespace {

// Queued onto the application object, so delivery happens on the GUI thread whoever posted.
void ScheduleDelivery() {
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            app, [] { DeliverPostedMessages(); }, Qt::QueuedConnection);
}

void QtPump() {
    DeliverPostedMessages();
    if (!QCoreApplication::instance()) return;
    QCoreApplication::processEvents(OperationRunning() ? QEventLoop::ExcludeUserInputEvents
                                                       : QEventLoop::AllEvents);
}

} // namespace

void InstallQtPump() {
    if (CurrentPump()) return;
    SetPump(&QtPump);
    SetPostNotifier(&ScheduleDelivery);
    if (PendingMessageCount() > 0) ScheduleDelivery(); // posted before anyone listened
}

QWidget* WidgetOfHandle(HWND handle) {
    return static_cast<QWidget*>(NativeWindow(handle));
}

HWND HandleOfWidget(QWidget* widget) {
    return HandleOfNative(widget);
}

} // namespace qm
