#include "platform/db/Database.h"

#include <algorithm>
#include <atomic>

#include "platform/db/DatabaseInternals.h"

// The fault a test plants: the n-th statement from now on fails as a refused one would.

namespace sp::platform {
namespace {

// The statements still to run before an injected fault; 0: none is injected.
std::atomic<int> statementsBeforeFault{0};

}  // namespace

namespace detail {

void InjectedFault(const QString& sql) {
    int left = statementsBeforeFault.load();
    while (left > 0 && !statementsBeforeFault.compare_exchange_weak(left, left - 1)) {
    }
    if (left == 1)
        Fail(QStringLiteral("Injected fault [%1]").arg(sql.simplified().left(120)));
}

}  // namespace detail

int Database::FailStatementAfter(int n) { return statementsBeforeFault.exchange(std::max(n, 0)); }

}  // namespace sp::platform
