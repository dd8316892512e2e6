#include "src/common/ErrorLog.h"

#include <QDebug>
#include <QMutex>

namespace sp {
namespace {
QMutex sinkMutex;
ErrorLog::Sink& CurrentSink() {
    static ErrorLog::Sink sink;
    return sink;
}
}  // namespace

void ErrorLog::SetSink(Sink sink) {
    QMutexLocker lock(&sinkMutex);
    CurrentSink() = std::move(sink);
}

void ErrorLog::Write(const QString& source, const QString& text) {
    Sink sink;
    {
        QMutexLocker lock(&sinkMutex);
        sink = CurrentSink();
    }
    if (sink)
        sink(source, text);
    else
        qWarning().noquote() << source << ":" << text;
}

}  // namespace sp
