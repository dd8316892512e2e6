#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <functional>
#include <string>

#include "platform/db/Database.h"
#include "src/common/ErrorLog.h"

namespace sp::test {

// Fails every statement of a command in turn, BEGIN and COMMIT included, through the
// database layer's fault hook: a run either leaves what `snapshot` reads as it was, or
// the fault came where the command survives it and `undo` (given only then) takes the
// work back so that the next statement can fail. What the faults write to the
// application log is kept here instead of reaching the log.
class StatementFaults {
  public:
    explicit StatementFaults(std::function<QString()> snapshot) : snapshot_(std::move(snapshot)) {
        ErrorLog::SetSink(
            [this](const QString& source, const QString& text) { logged << source + u'|' + text; });
    }
    ~StatementFaults() { ErrorLog::SetSink(nullptr); }
    StatementFaults(const StatementFaults&) = delete;
    StatementFaults& operator=(const StatementFaults&) = delete;

    // One run of the command: whether the failing statement was reached (the command ran
    // to its end before it came otherwise), and whether the snapshot changed.
    struct Run {
        bool reached;
        bool changed;
        bool done() const { return !reached || changed; }
    };

    // prepare (no fault) puts things where the command starts; check sees each run.
    void Drive(const std::string& name, const std::function<void()>& prepare,
               const std::function<void()>& command, const std::function<void(const Run&)>& check,
               const std::function<void()>& undo = {}) {
        for (int n = 1; n < 1000; ++n) {
            SCOPED_TRACE(name + " with statement " + std::to_string(n) + " failing");
            prepare();
            if (::testing::Test::HasFatalFailure())
                return;
            const QString before = snapshot_();
            logged.clear();
            platform::Database::FailStatementAfter(n);
            command();
            const bool reached = platform::Database::FailStatementAfter(0) == 0;
            const Run run{reached, snapshot_() != before};
            check(run);
            if (!reached || ::testing::Test::HasFatalFailure())
                return;
            ++injected;
            if (!run.changed)
                continue;
            if (!undo) {
                ADD_FAILURE() << "half-written, or done although a statement failed";
                return;
            }
            ++survived;
            undo();
            ASSERT_EQ(snapshot_(), before) << "the work is not taken back";
        }
        ADD_FAILURE() << name << " never ran to its end";
    }
    QStringList logged;  // source|text of what this run logged
    int injected = 0, survived = 0;

  private:
    std::function<QString()> snapshot_;
};

}  // namespace sp::test
