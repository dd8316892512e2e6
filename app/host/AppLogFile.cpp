#include "app/host/AppLogFile.h"

#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <QTextStream>
#include <cstdio>

#include "src/common/ErrorLog.h"

namespace sp::host {

void AppLogFile::Install(const QString& path) {
    auto mutex = std::make_shared<QMutex>();
    ErrorLog::SetSink([path, mutex](const QString& source, const QString& text) {
        const QString line = QStringLiteral("%1 [%2] %3\n")
                                 .arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs), source, text);
        QMutexLocker lock(mutex.get());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Append))
            file.write(line.toUtf8());
        else
            std::fputs(line.toLocal8Bit().constData(), stderr);
    });
}

}  // namespace sp::host
