#pragma once

#include <chrono>

#include <QHash>

#include <QString>
#include <QtGlobal>
#include <vector>

#include "src/common/Dictionary.h"
#include "src/middletier/MiddleTierInterfaces.h"

namespace sp {

struct WorkbenchState;

// The commands that store what the record grid shows: save, audit, unaudit and delete,
// each through the service's update component. A save sends the grid's unaudited rows as
// one call (all or nothing); the other commands call once per record, so a command over
// several rows may succeed for some and lists the rest. Afterwards the grid shows what
// the database holds.
class ReportCommands {
  public:
    enum class Kind { Audit, UnAudit, Delete };

    explicit ReportCommands(WorkbenchState& state);

    // Checks the quantities, builds one record per unaudited row and saves them. True when
    // the service stored them (the modified flag is then cleared).
    bool Save();
    // Audit, unaudit or delete the current row or the selected rows.
    void Run(Kind kind);

    // The record of a grid row as the service takes it; null, with the message for the
    // clerk in `refusal`, when a worker, device or team shown cannot be identified. The
    // service's errors reach the caller.
    DictionaryPtr RecordOf(int row, QString& refusal) const;

  private:
    // The column of the first worker, device or team cell of the row that is not identified.
    int UnidentifiedColumn(int row) const;
    // True when every task guarding the rows to save still holds its work bill; else
    // tells the clerk which work bill's hold was lost (the rows stay as typed).
    // commandBegan: when the save began (its reads may have proved the holds).
    bool HoldsStillGuard(const QVector<int>& rows, std::chrono::steady_clock::time_point commandBegan) const;
    // The row's work bill id and serial, for the per-record calls.
    bool Identify(int row, qint32& interId, qint32& serial) const;
    // Identifies the row's record and runs the command on it; message says why not.
    bool RunOn(Kind kind, int row, QString& message) const;
    bool CallService(Kind kind, qint32 interId, qint32 serial, QString& message) const;
    // The command on several reports in one call; an outcome per report, in their order.
    std::vector<IMShopProcSet::Outcome> CallService(Kind kind,
                                                    const std::vector<IMShopProcSet::Report>& reports) const;
    // The row as the service now holds it.
    void ShowAudited(int row, const QString& date) const;
    void ShowUnaudited(int row) const;
    void RemoveRow(int row) const;
    void AfterCursorRules(int row) const;
    void Tell(const QString& text) const;
    void Log(const QString& code) const;
    // The work bill id of a number, asked of the service once per command.
    qint32 InterIdOf(const QString& workBillNo) const;

    WorkbenchState& state_;
    // Work bill ids of the command that runs; emptied when a command starts.
    mutable QHash<QString, qint32> interIds_;
};

}  // namespace sp
