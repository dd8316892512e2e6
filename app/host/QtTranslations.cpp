#include "app/host/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QStringList>
#include <QTranslator>

#include "app/host/InstallLayout.h"
#include "app/host/Texts.h"
#include "src/common/ErrorLog.h"

namespace sp::host {

bool InstallQtTranslations(const QString& locale) {
    // An installed program brings its own copy; Qt's folder is the fallback.
    QStringList folders;
    const QString own = InstallLayout::OfThisProgram().translationsFolder;
    if (!own.isEmpty())
        folders << own;
    folders << QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(QCoreApplication::instance());
    for (const QString& folder : std::as_const(folders)) {
        if (translator->load(QStringLiteral("qtbase_") + locale, folder)) {
            QCoreApplication::installTranslator(translator);
            return true;
        }
    }
    delete translator;
    ErrorLog::Write(QStringLiteral("erp-host"),
                    Texts::QtTextsMissing(locale, folders.join(QStringLiteral(" or "))));
    return false;
}

}  // namespace sp::host
