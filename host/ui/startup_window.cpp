#include "host/ui/startup_window.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

namespace qm::host {

QWidget* NewStartupFailureWindow(const std::string& reason) {
    auto* window = new QWidget;
    window->setObjectName("startupFailure");
    window->setWindowTitle(QString::fromUtf8("收入级别维护 - 业务管理客户端"));
    auto* column = new QVBoxLayout(window);
    column->setContentsMargins(20, 18, 20, 14);
    auto* title = new QLabel(QString::fromUtf8("程序无法启动"), window);
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    title->setFont(bold);
    auto* text = new QLabel(QString::fromStdString(reason), window);
    text->setObjectName("startupReason");
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* close = new QPushButton(QString::fromUtf8("关闭"), window);
    close->setDefault(true);
    QObject::connect(close, &QPushButton::clicked, window, &QWidget::close);
    column->addWidget(title);
    column->addWidget(text, 1);
    column->addWidget(close, 0, Qt::AlignRight);
    window->resize(620, 200);
    return window;
}

void ShowStartupFailure(const std::string& reason) {
    std::unique_ptr<QWidget> window(NewStartupFailureWindow(reason));
    window->show();
    QApplication::exec();
}

} // namespace qm::host
