#include "app/host/AppLogFile.h"

#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <QTextStream>
#include <cstdio>

#include "platform/db/Database.h"
#include "src/common/ErrorLog.h"

namespace sp::host {

namespace {
constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
}  // namespace

void AppLogFile::Install(const QString& path) {
    // The log may name databases, users and what went wrong with them: the owner's only,
    // a log left readable by an earlier version included.
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Append, kOwnerOnly))
            file.setPermissions(kOwnerOnly);
    }
    // Masked before any sink sees a line, so a sink a test or a later version installs
    // cannot leak a password either.
    ErrorLog::SetMask(&platform::DatabaseUrl::Masked);
    auto mutex = std::make_shared<QMutex>();
    ErrorLog::SetSink([path, mutex](const QString& source, const QString& text) {
        const QString line = QStringLiteral("%1 [%2] %3\n")
                                 .arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs), source, text);
        QMutexLocker lock(mutex.get());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Append, kOwnerOnly))
            file.write(line.toUtf8());
        else
            std::fputs(line.toLocal8Bit().constData(), stderr);
    });
}

}  // namespace sp::host
