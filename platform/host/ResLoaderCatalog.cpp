#include "platform/host/ResLoaderCatalog.h"

#include <QFile>
#include <QStringList>

namespace sp::platform {

ResLoaderCatalog ResLoaderCatalog::Load(const QString& folder, const QString& language) {
    QFile file(folder + u'/' + language + QStringLiteral(".ini"));
    if (language.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    return Parse(QString::fromUtf8(file.readAll()));
}

ResLoaderCatalog ResLoaderCatalog::Parse(const QString& text) {
    ResLoaderCatalog catalog;
    const QStringList lines = text.split(u'\n');
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'['))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        catalog.texts_.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return catalog;
}

}  // namespace sp::platform
