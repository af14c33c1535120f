#include "host/settings.h"

#include <QSettings>

namespace qm::host {

std::string SettingsPath() {
    // The native format here is the ini format, in a file named .conf.
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "qmclient", "qmhost")
        .fileName()
        .toStdString();
}

void ApplySettings(Options& o, const std::string& path) {
    const QSettings file(QString::fromStdString(path), QSettings::IniFormat);
    auto fill = [&](std::string& slot, const char* key) {
        if (!slot.empty()) return false;
        slot = file.value(key).toString().toStdString();
        return !slot.empty();
    };
    fill(o.DbPath, "db");
    if (fill(o.User, "user")) o.UserNamed = true;
    fill(o.Group, "group");
}

} // namespace qm::host
