#include "src/common/ErrorLog.h"

#include <QDebug>
#include <QMutex>

#include "src/common/ComError.h"

namespace sp {
namespace {
QMutex sinkMutex;
ErrorLog::Sink& CurrentSink() {
    static ErrorLog::Sink sink;
    return sink;
}
ErrorLog::Mask& CurrentMask() {
    static ErrorLog::Mask mask;
    return mask;
}
}  // namespace

void ErrorLog::SetSink(Sink sink) {
    QMutexLocker lock(&sinkMutex);
    CurrentSink() = std::move(sink);
}

void ErrorLog::SetMask(Mask mask) {
    QMutexLocker lock(&sinkMutex);
    CurrentMask() = std::move(mask);
}

void ErrorLog::Write(const QString& source, const QString& text) {
    Sink sink;
    Mask mask;
    {
        QMutexLocker lock(&sinkMutex);
        sink = CurrentSink();
        mask = CurrentMask();
    }
    const QString shownSource = mask ? mask(source) : source;
    const QString shownText = mask ? mask(text) : text;
    if (sink)
        sink(shownSource, shownText);
    else
        qWarning().noquote() << shownSource << ":" << shownText;
}

void ErrorLog::Write(const ComError& error) {
    Write(error.Source(), QStringLiteral("%1: %2").arg(error.Number()).arg(error.Description()));
}

}  // namespace sp
