#include "platform/qt/qt_pump.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>

namespace qm {
namespace {

// Queued onto the application object, so delivery happens on the GUI thread whoever posted.
void ScheduleDelivery() {
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            app, [] { DeliverPostedMessages(); }, Qt::QueuedConnection);
}

bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

// Keys and clicks that come while an operation lets messages run are dropped. Held back, they all
// fired at once when it ended, on rows the clerk had not yet seen. A box or a menu opened meanwhile
// still gets its own input.
class DropInputDuringOperations : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!OperationRunning() || !IsUserInput(event->type())) return QObject::eventFilter(watched, event);
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) &&
            (QApplication::activeModalWidget() || QApplication::activePopupWidget()))
            return false;
        // Taken by the focus widget as far as shortcuts go, so that none fires either.
        if (event->type() == QEvent::ShortcutOverride) event->accept();
        return true;
    }
};

void FilterInput() {
    static QPointer<QObject> filter;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || filter) return;
    filter = new DropInputDuringOperations;
    filter->setParent(app);
    app->installEventFilter(filter);
}

void QtPump() {
    DeliverPostedMessages();
    if (!QCoreApplication::instance()) return;
    FilterInput();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace

void InstallQtPump() {
    if (CurrentPump()) return;
    SetPump(&QtPump);
    SetPostNotifier(&ScheduleDelivery);
    FilterInput();
    if (PendingMessageCount() > 0) ScheduleDelivery(); // posted before anyone listened
}

QWidget* WidgetOfHandle(HWND handle) {
    return static_cast<QWidget*>(NativeWindow(handle));
}

HWND HandleOfWidget(QWidget* widget) {
    return HandleOfNative(widget);
}

} // namespace qm
