#include "host/ui/qt_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace qm::host {

bool TranslateQtDialogs() {
    static QTranslator* installed = nullptr;
    if (installed) return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

} // namespace qm::host
