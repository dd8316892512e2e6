#include "app/host/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "src/common/ErrorLog.h"

namespace sp::host {

bool InstallQtTranslations(const QString& locale) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qtbase_") + locale, folder)) {
        delete translator;
        ErrorLog::Write(
            QStringLiteral("erp-host"),
            QStringLiteral("Qt's %1 texts are not installed in %2; dialog buttons stay in English.")
                .arg(locale, folder));
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

}  // namespace sp::host
