// qmhost: the host shell of the income-level module.
#include "host/host_app.h"
#include "host/settings.h"

#include <QApplication>

#include <iostream>
#include <stdexcept>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("qmhost");
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        qm::host::Options options = qm::host::ParseArguments(args);
        qm::host::ApplySettings(options, qm::host::SettingsPath()); // the command line wins
        qm::host::FillDefaults(options);
        return qm::host::RunHost(options);
    } catch (const std::invalid_argument& e) {
        std::cerr << "qmhost: " << e.what();
        return 2;
    }
}
