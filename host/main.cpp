// qmhost: the host shell of the income-level module.
#include "host/host_app.h"

#include <QApplication>

#include <iostream>
#include <stdexcept>

int main(int argc, char** argv) {
    if (auto info = qm::host::InfoRequested(std::vector<std::string>(argv + 1, argv + argc))) {
        std::cout << *info;
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("qmhost");
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return qm::host::RunHost(qm::host::ParseOptions(args));
    } catch (const std::invalid_argument& e) {
        std::cerr << "qmhost: " << e.what();
        return 2;
    }
}
