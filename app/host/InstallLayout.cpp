#include "app/host/InstallLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

// The install paths relative to the program's folder (bin/), from the build's install
// rules; without them (a build that installs nothing) the usual prefix layout.
#ifndef SHOPPROC_RELATIVE_LIBDIR
#define SHOPPROC_RELATIVE_LIBDIR "../lib/shopproc"
#endif
#ifndef SHOPPROC_RELATIVE_DATADIR
#define SHOPPROC_RELATIVE_DATADIR "../share/shopproc"
#endif

namespace sp::host {

InstallLayout InstallLayout::Of(const QString& programFolder) {
    const QDir program(programFolder);
    const QString libraries = QDir::cleanPath(program.filePath(QStringLiteral(SHOPPROC_RELATIVE_LIBDIR)));
    // A build has no library folder of its own beside bin/.
    if (!QFileInfo(libraries).isDir())
        return {program.absolutePath(), program.absolutePath(), QString()};
    const QString data = QDir::cleanPath(program.filePath(QStringLiteral(SHOPPROC_RELATIVE_DATADIR)));
    return {libraries, data, data + QStringLiteral("/translations")};
}

InstallLayout InstallLayout::OfThisProgram() { return Of(QCoreApplication::applicationDirPath()); }

}  // namespace sp::host
