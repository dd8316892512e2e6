#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

#include "platform/db/Database.h"

namespace sp::platform {

// What an audit posts: each report quantity (SHProcRpt) and the work bill column
// (SHWorkBillEntry) that holds its posted total. Audit adds, unaudit subtracts, and the
// consistency check compares the totals with the sums of the audited reports.
struct PostedColumn {
    const char* report;
    const char* workBill;
};
const std::vector<PostedColumn>& PostedColumns();

// The quantities of one operation of a production task as the limits see them.
// "Previous" and "next" are the neighbouring work bills of the same task in routing
// order (FEntryID); the first operation receives from the plan, the last hands over
// to nobody.
struct OperationState {
    qint32 wbInterId = 0;
    qint32 interId = 0;
    qint32 operId = 0;
    QString workBillNo;
    double available = 0;              // previous operation's posted handover, or the plan
    double received = 0;               // this operation's posted receive
    double handedOver = 0;             // this operation's posted handover
    double nextReceived = 0;           // next operation's posted receive, 0 for the last
    double draftNegativeReceive = 0;   // |sum| of unaudited negative receipts
    double draftPositiveHandOver = 0;  // sum of unaudited positive handovers
    // The system switch SH/SHOPPROC_CONTROLRECEIVE, read as the host reads it: missing
    // or NULL means on, otherwise its Boolean value ("0" is off). The service applies its
    // own limits only while it is on. Read with the state so a posting asks once.
    bool controlReceive = true;
};

// Reads operation states and applies the quantity rules (docs/quantity-rules.md).
class OperationLedger {
  public:
    explicit OperationLedger(Database& db) : db_(db) {}

    // False when no work bill matches.
    bool LoadByWorkBill(qint32 wbInterId, OperationState& state);
    bool LoadByOperation(qint32 interId, qint32 operId, OperationState& state);
    // LoadByOperation, its answer kept a few seconds (KeptAnswers): the workbench asks for
    // both limits of an operation, one after the other, before every save and audit.
    // Every report write of this process drops what is kept (ReportsWritten).
    bool LoadKept(qint32 interId, qint32 operId, OperationState& state);
    static void ReportsWritten();

    // PostgreSQL: locks the work bills of the task the work bill belongs to, for the
    // transaction, so that two audits on neighbouring operations cannot both pass their
    // checks on stale totals; load the state after it. SQLite already serialises writers
    // at BEGIN, so there it does nothing.
    void LockTaskOfWorkBill(qint32 wbInterId);

    // An expression of what the operation of the work bill row `alias` may receive in
    // all: the previous operation's posted handover, or the plan for the first.
    static QString AvailableSql(const QString& alias);

    // The limits handed to the client. They are loosened by the unaudited reports in
    // the one direction that would otherwise refuse deleting or editing a draft.
    static double ReceiveMaximum(const OperationState& s);
    static double HandOverMinimum(const OperationState& s);

    // The service's own checks when a report with these quantities is posted
    // (sign +1, audit) or reversed (sign -1, unaudit). Empty when allowed, otherwise
    // the reason. Only a change that makes a total worse is refused, so an operation
    // already out of line can still be put right.
    static QString CheckPosting(const OperationState& s, double receive, double handOver, int sign);

    // Adds (sign +1) or subtracts (sign -1) the report's quantities to its work bill.
    void Post(qint32 wbInterId, qint32 serial, int sign);

  private:
    // aheadOfCommand: read as a save or an audit begins (LoadKept).
    bool Load(const QString& where, const QVariantList& params, OperationState& state,
              bool aheadOfCommand = false);
    Database& db_;
};

}  // namespace sp::platform
