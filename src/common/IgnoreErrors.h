#pragma once

#include <exception>
#include <utility>

#include "src/common/ComError.h"
#include "src/common/ErrorLog.h"

namespace sp {

// Operations that go on when one of their steps fails say so step by step: each step
// that may fail is wrapped, a failure is written to the application log and the next
// step runs, leaving the step's target empty. Returns true when the step succeeded.
template <class F>
bool IgnoreErrors(F&& step) noexcept {
    try {
        std::forward<F>(step)();
        return true;
    } catch (const ComError& e) {
        ErrorLog::Write(e);
    } catch (const std::exception& e) {
        ErrorLog::Write(QStringLiteral("IgnoreErrors"), QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ErrorLog::Write(QStringLiteral("IgnoreErrors"), QStringLiteral("unknown error"));
    }
    return false;
}

// A step that produces a value: on failure the target gets the empty value, never a
// stale one.
template <class T, class F>
T ValueOrEmpty(F&& step) noexcept {
    T result{};
    if (!IgnoreErrors([&] { result = std::forward<F>(step)(); }))
        result = T{};
    return result;
}

}  // namespace sp
