// qmhost: the host shell of the income-level module.
#include "host/host_app.h"
#include "host/settings.h"

#include <QApplication>

#include <iostream>
#include <stdexcept>

int main(int argc, char** argv) {
    if (auto info = qm::host::InfoRequested(std::vector<std::string>(argv + 1, argv + argc))) {
        std::cout << *info;
        return 0;
    }
    std::vector<std::string> args(argv + 1, argv + argc);
    qm::host::Options options;
    try {
        // Before Qt starts, so that a mistyped option is reported even without a display.
        options = qm::host::ParseArguments(args);
    } catch (const std::invalid_argument& e) {
        std::cerr << "qmhost: " << e.what();
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("qmhost");
    try {
        qm::host::ApplySettings(options, qm::host::SettingsPath()); // the command line wins
        qm::host::FillDefaults(options);
        return qm::host::RunHost(options);
    } catch (const std::invalid_argument& e) {
        std::cerr << "qmhost: " << e.what();
        return 2;
    }
}
