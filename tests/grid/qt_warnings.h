// Records the warnings Qt logs while it lives, so a test can fail on them.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace qm::gridtest {

class QtWarnings {
public:
    QtWarnings() : FPrevious(qInstallMessageHandler(&Record)) { Log().clear(); }
    ~QtWarnings() { qInstallMessageHandler(FPrevious); }
    QtWarnings(const QtWarnings&) = delete;
    QtWarnings& operator=(const QtWarnings&) = delete;

    const QStringList& All() const { return Log(); }
    QString Joined() const { return Log().join(QLatin1Char('\n')); }

private:
    static QStringList& Log() {
        static QStringList log;
        return log;
    }
    static void Record(QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg && type != QtInfoMsg) Log().append(text);
    }

    QtMessageHandler FPrevious;
};

} // namespace qm::gridtest
