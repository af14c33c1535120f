// Docking forms onto pages of the control, and taking them off again.
#include <QEvent>
#include <QVBoxLayout>

#include "controls/page_control.h"

namespace qm {

namespace {
constexpr const char* kDockClient = "qmDockClient";

std::string FirstLine(const QString& text) {
    const std::string all = text.toStdString();
    return all.substr(0, all.find_first_of("\r\n"));
}
} // namespace

TQmTabSheet* TQmPageControl::DockPageOf(const QWidget* client) const {
    if (!client) return nullptr;
    for (TQmTabSheet* page : pages_) {
        if (page->property(kDockClient).value<QObject*>() != client) continue;
        if (page->findChild<QWidget*>(QString(), Qt::FindDirectChildrenOnly) == client) return page;
    }
    return nullptr;
}

TQmTabSheet* TQmPageControl::DockClient(QWidget* client) {
    if (!client || !CanDock(client)) return nullptr;
    const bool visible = !client->isHidden();
    auto* page = new TQmTabSheet(static_cast<QWidget*>(nullptr));
    newDockPage_ = page;
    try {
        if (client->isWindow()) page->SetCaption(FirstLine(client->windowTitle()));
        AttachPage(page);
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        client->setParent(page, Qt::Widget);
        layout->addWidget(client);
        page->setProperty(kDockClient, QVariant::fromValue<QObject*>(client));
        page->SetTabVisible(visible);
        if (visible) {
            client->show();
            SetActivePage(page);
        }
        client->installEventFilter(this);
    } catch (...) {
        newDockPage_ = nullptr;
        if (client->parentWidget() == page) client->setParent(nullptr);
        delete page;
        throw;
    }
    newDockPage_ = nullptr;
    return page;
}

void TQmPageControl::UndockClient(QWidget* client, bool floating, QPoint floatPos) {
    TQmTabSheet* page = DockPageOf(client);
    if (!page) return;
    undockingPage_ = page;
    client->removeEventFilter(this);
    page->setProperty(kDockClient, QVariant());
    if (page->layout()) page->layout()->removeWidget(client);
    client->setParent(nullptr, floating ? Qt::Window : Qt::Widget);
    if (floating) {
        client->move(floatPos);
        client->show();
    }
    if (!destroying_) {
        StepActivePage(true);
        if (undockingPage_) delete undockingPage_;
    }
    undockingPage_ = nullptr;
}

bool TQmPageControl::eventFilter(QObject* watched, QEvent* event) {
    auto* client = qobject_cast<QWidget*>(watched);
    if (TQmTabSheet* page = client ? DockPageOf(client) : nullptr) {
        switch (event->type()) {
        case QEvent::WindowTitleChange:
            page->SetCaption(FirstLine(client->windowTitle()));
            break;
        case QEvent::ShowToParent:
            page->SetTabVisible(true);
            break;
        case QEvent::HideToParent:
            page->SetTabVisible(false);
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace qm
