#pragma once

#include <QString>
#include <exception>

#include "src/common/ComError.h"
#include "src/common/ErrorLog.h"

namespace sp {

// Where a Qt slot or event handler enters component code: an exception must never
// unwind through Qt's event loop, so it is written to the application log and the
// window goes on. Returns false when the call failed.
template <class F>
bool CatchBoundary(const QString& where, F&& call) noexcept {
    try {
        call();
        return true;
    } catch (const ComError& e) {
        ErrorLog::Write(where,
                        QStringLiteral("%1 (%2): %3").arg(e.Number()).arg(e.Source(), e.Description()));
    } catch (const std::exception& e) {
        ErrorLog::Write(where, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ErrorLog::Write(where, QStringLiteral("unknown error"));
    }
    return false;
}

}  // namespace sp
