#pragma once

#include <QString>
#include <memory>

#include "platform/db/Database.h"

namespace sp::platform {

// Running totals of one work bill's reports by serial, for the history's cumulative
// columns. A history of n reports asks for 3n cumulative figures right after loading;
// summing afresh each time would make the load quadratic. The totals of a work bill
// are read once and kept for a moment: every write of this process drops them, and
// another workstation cannot write the same work bill meanwhile because the history
// holds the work bill's function-conflict task. The short lifetime bounds what a
// stale entry could show if that guard were bypassed.
class CumulativeCache {
  public:
    struct Totals {
        double reported = 0;  // worked (finished) quantity
        double received = 0;
        double handedOver = 0;
    };

    // Totals over the work bill's reports (audited and unaudited) with a serial up to
    // and including `serial`.
    static Totals UpTo(Database& db, const QString& workBillNo, qint64 serial);
    // After any write of reports.
    static void Invalidate();
};

}  // namespace sp::platform
