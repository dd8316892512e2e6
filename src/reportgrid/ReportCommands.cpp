#include "src/reportgrid/ReportCommands.h"

#include <QDate>
#include <QStringList>
#include <functional>

#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "src/common/ErrorLog.h"
#include "src/common/IgnoreErrors.h"
#include "src/common/Ui.h"
#include "src/controls/GridModel.h"
#include "src/entry/HostServices.h"
#include "src/entry/Rights.h"
#include "src/middletier/ReportRecordFields.h"
#include "src/reportgrid/ReportCellRules.h"
#include "src/reportgrid/ReportCells.h"
#include "src/reportgrid/ReportGrid.h"
#include "src/reportgrid/ReportLookupCells.h"
#include "src/reportgrid/ReportQuantityChecks.h"
#include "src/reportgrid/ReportRowLocks.h"
#include "src/reportgrid/Texts.h"
#include "src/state/WorkbenchState.h"

namespace sp {

namespace {

using C = ReportCode;
namespace T = ReportTexts;
namespace K = ReportRecord;

struct Field {
    QLatin1StringView key;
    C code;
};
// The cells of the record's quantity, hour and fee fields, before and after the memo.
// clang-format off
const Field kValueFields[] = {
    {K::Finished, C::SZS}, {K::Passed, C::HGS}, {K::Lost, C::DSS}, {K::Reworked, C::FXS},
    {K::ReworkPassed, C::FXHGS}, {K::ScrapByWork, C::YGBFS}, {K::ScrapByMaterial, C::YLBFS},
    {K::WorkHours, C::SZGS}, {K::ReadyHours, C::ZBGS}, {K::PowerCutHours, C::TDGS}, {K::RepairHours, C::JXGS},
    {K::WaitMaterialHours, C::DLGS}, {K::WaitToolHours, C::DJGS},
};
const Field kTailFields[] = {{K::Received, C::JSS}, {K::HandedOver, C::YJS}, {K::Fee, C::FY}};
// clang-format on

struct KindTexts {
    qint32 right;
    int mode;
    const char16_t* receive;
    const char16_t* handOver;
    const char16_t* success;
    const char16_t* failure;
    const char16_t* single;
    const char* log;
};

const KindTexts& TextsOf(ReportCommands::Kind kind) {
    // clang-format off
    static const KindTexts audit{Rights::Audit, 0, u"汇报记录：接收数 > 可接收的最大数量：", u"汇报记录：移交数 < 应移交的最小数量：",
                                 u"成功审核下列汇报记录：", u"审核下列汇报记录时出错：", u"审核汇报记录时出错——", "CJ1004"};
    static const KindTexts unaudit{Rights::Audit, 1, u"反审核后：接收数 > 当前可接收的最大数量：", u"反审核后：移交数 < 当前应移交的最小数量：",
                                   u"成功反审核下列汇报记录：", u"反审核下列汇报记录时出错：", u"反审核汇报记录时出错——", "CJ1005"};
    static const KindTexts remove{Rights::Delete, 1, u"删除后：接收数 > 当前可接收的最大数量：", u"删除后：移交数 < 当前应移交的最小数量：",
                                  u"成功删除下列汇报记录：", u"删除下列汇报记录时出错：", u"删除汇报记录时出错——", "CJ1003"};
    // clang-format on
    return kind == ReportCommands::Kind::Audit     ? audit
           : kind == ReportCommands::Kind::UnAudit ? unaudit
                                                   : remove;
}

QString Text(const char16_t* text) { return QString::fromUtf16(text); }

}  // namespace

ReportCommands::ReportCommands(WorkbenchState& state) : state_(state) {}

void ReportCommands::Tell(const QString& text) const {
    IgnoreErrors([&] { ShowInfo(state_.host->Screen(), text); });
}

void ReportCommands::Log(const QString& code) const {
    IgnoreErrors([&] { state_.host->WriteLog(code, 1); });
}

DictionaryPtr ReportCommands::RecordOf(int row, QString& refusal) const {
    const ReportCells cells(state_);
    ReportLookupCells lookups(state_);
    HostServices& host = *state_.host;
    auto record = NewDictionary();
    const QString props = host.PropsString();
    // The fields in the order of ReportRecord::kFields. A field that cannot be filled stops
    // the whole save: a record never goes without one.
    record->Set(K::WorkBillId, InterIdOf(cells.Text(row, C::GPH).trimmed()));
    record->Set(K::Serial, cells.Text(row, C::HBXH));
    record->Set(K::BillerId, state_.userId);
    record->Set(K::MakingDate, cells.Value(row, C::ZDRQ));
    // A worker, device or team shown but not identified is never sent as 0.
    for (const auto& [key, code] :
         {std::pair{K::WorkerId, C::CZG}, {K::DeviceId, C::SYSB}, {K::TeamId, C::BZ}}) {
        qint32 id = 0;
        try {
            id = lookups.StoredId(row, code);
        } catch (const ComError&) {
            id = -1;
        }
        const bool shown =
            !cells.Key(row, code).trimmed().isEmpty() || !cells.Text(row, code).trimmed().isEmpty();
        if (id < 0 || (id == 0 && shown)) {
            refusal = T::Checked(T::RowPosition(row - 1) + T::UnknownPerson());
            return nullptr;
        }
        record->Set(key, id);
    }
    record->Set(K::StartDate, cells.Value(row, C::SJKGRQ));
    record->Set(K::EndDate, cells.Value(row, C::SJWGRQ));
    for (const Field& f : kValueFields) record->Set(f.key, cells.Value(row, f.code));
    record->Set(K::Memo, cells.Text(row, C::MEMO).trimmed());
    for (const Field& f : kTailFields) record->Set(f.key, cells.Value(row, f.code));
    // A new row no earlier save stored may only be inserted: it never overwrites another
    // workstation's report of the same serial.
    if (!state_.editMode && !state_.RowStored(row))
        record->Set(K::IsNew, true);
    return record;
}

bool ReportCommands::Save() {
    const auto began = std::chrono::steady_clock::now();
    GridModel& grid = *state_.vlgProc;
    const ReportCells cells(state_);
    ReportQuantityChecks checks(state_);
    interIds_.clear();
    // Rows of one work bill ask once whether it takes reports: the answer cannot change
    // within the command that matters (the service asks again as it stores).
    const auto askService = state_.isExistWB;
    QHash<QString, bool> takesReports;
    if (askService)
        state_.isExistWB = [&](const QString& number, bool showMessage) {
            if (showMessage)
                return askService(number, showMessage);
            auto known = takesReports.constFind(number);
            if (known == takesReports.cend())
                known = takesReports.insert(number, askService(number, false));
            return *known;
        };
    struct Restore {
        WorkbenchState& state;
        std::function<bool(const QString&, bool)> isExistWB;
        ~Restore() { state.isExistWB = isExistWB; }
    } restore{state_, askService};

    int row = 0;
    ReportQuantityChecks::Result result = ReportQuantityChecks::Passed;
    try {
        result = checks.CheckRowQuantities(row);
    } catch (const ComError& e) {
        Tell(T::SaveFailed() + e.Description());
        return false;
    }
    if (result != ReportQuantityChecks::Passed) {
        QString first;
        C cell = C::SZS;
        switch (result) {
            case ReportQuantityChecks::PartsExceedWorked:
                first = T::RowPosition(row - 1) + T::PartsExceedWorked();
                break;
            case ReportQuantityChecks::StartAfterEnd:
                first = T::RowPosition(row - 1) + T::StartAfterEnd();
                cell = C::SJKGRQ;
                break;
            case ReportQuantityChecks::ReceiveExceeded:
                first = T::ReceiveExceeded() + Basic::NumberText(state_.receiveMaximum);
                break;
            default:
                first = T::HandOverShort() + Basic::NumberText(state_.handOverMinimum);
                break;
        }
        Tell(T::Checked(first));
        // The operation limits name no row: the selection stays.
        if (result == ReportQuantityChecks::PartsExceedWorked ||
            result == ReportQuantityChecks::StartAfterEnd)
            IgnoreErrors([&] { grid.SelectCell(row, cells.Column(cell)); });
        if (state_.focusReportGrid)
            state_.focusReportGrid();
        return false;
    }

    // New rows of a work bill that no longer takes reports are named, not sent.
    QStringList dropped;
    const int first = grid.FixedRows() + 1;
    if (!state_.editMode) {
        for (int r = first; r <= grid.Rows(); ++r) {
            const QString number = cells.Text(r, C::GPH).trimmed();
            if (number.isEmpty() || (state_.isExistWB && state_.isExistWB(number, false)))
                continue;
            // A "no" may be a question that failed: the service is asked once more, and an
            // error there stops the save with the rows as typed, never dropping their work bill.
            try {
                if (state_.host->NewMShopProc()->IsExistWB(state_.host->PropsString(), number))
                    continue;
            } catch (const ComError& e) {
                Tell(T::SaveFailed() + e.Description());
                return false;
            }
            dropped << number + QStringLiteral(" / ") + cells.Text(r, C::HBXH);
            IgnoreErrors([&] { ReportRowLocks(state_).ReleaseRowLock(r); });
            cells.SetText(r, C::GPH, QString());
        }
    }
    if (!dropped.isEmpty())
        Tell(T::NotReportableAnyMore() + QStringLiteral("\r\n") + dropped.join(QStringLiteral("\r\n")));

    ReportRecords records;
    QVector<int> sent;
    for (int r = first; r <= grid.Rows(); ++r) {
        if (cells.Text(r, C::GPH).trimmed().isEmpty() || !cells.Text(r, C::SHBZ).isEmpty())
            continue;
        // A record that cannot be built whole stops the save; nothing is stored.
        QString refusal;
        try {
            const DictionaryPtr record = RecordOf(r, refusal);
            if (record) {
                records.Add(record);
                sent << r;
            }
        } catch (const ComError& e) {
            refusal = T::SaveFailed() + e.Description();
        }
        if (!refusal.isEmpty()) {
            Tell(refusal);
            IgnoreErrors([&] { grid.SelectCell(r, UnidentifiedColumn(r)); });
            return false;
        }
    }
    if (records.Count() == 0) {
        Tell(T::NothingToSave());
        return false;
    }

    if (!HoldsStillGuard(sent, began))
        return false;

    QString message;
    bool saved = false;
    try {
        saved = state_.host->NewMShopProcSet()->SaveWorkProcRpt(state_.host->PropsString(), records, message);
    } catch (const ComError& e) {
        ErrorLog::Write(e);
        message = e.Description();
    }
    if (!saved) {
        Tell(T::SaveFailed() + message);
        return false;
    }
    Log(state_.editMode ? QStringLiteral("CJ1001") : QStringLiteral("CJ1002"));
    // What was sent is what the database holds now.
    const int entries = grid.Rows() + 1;
    for (QVector<double>* v : {&state_.storedReceive, &state_.storedHandOver})
        if (v->size() < entries)
            v->resize(entries);
    if (state_.storedRows.size() < entries)
        state_.storedRows.resize(entries);
    for (int r : sent) {
        state_.storedRows[r] = true;
        state_.storedReceive[r] = Basic::Dbl(cells.Value(r, C::JSS));
        state_.storedHandOver[r] = Basic::Dbl(cells.Value(r, C::YJS));
    }
    state_.modified = false;
    IgnoreErrors([&] { ReportRowLocks(state_).RestampAll(); });
    IgnoreErrors([&] {
        if (state_.updateCommandStates)
            state_.updateCommandStates();
    });
    return true;
}

bool ReportCommands::HoldsStillGuard(const QVector<int>& rows,
                                     std::chrono::steady_clock::time_point commandBegan) const {
    // A hold lost while the rows were typed (the connection was interrupted) may have
    // let another user change the work bill: what was typed against it is not saved.
    const ReportCells cells(state_);
    QSet<qint32> asked;
    for (const int r : rows) {
        const qint32 task = state_.editMode ? state_.historyTaskId : state_.rowLocks.value(r);
        if (task == 0 || asked.contains(task))
            continue;
        asked.insert(task);
        bool held = false;
        try {
            held = state_.host->TaskStillHeld(task, commandBegan);
        } catch (const ComError& e) {
            Tell(T::SaveFailed() + e.Description());
            return false;
        }
        if (!held) {
            const QString no = state_.editMode ? state_.currentWorkBillNo : cells.Text(r, C::GPH).trimmed();
            // Released by an administrator rather than lost with the connection: the clerk
            // should ask them, not look for a network fault.
            const bool released = ValueOrEmpty<bool>([&] { return state_.host->TaskReleased(task); });
            Tell(released ? T::ReleasedByAdministrator(no) : T::HoldLost(no));
            return false;
        }
    }
    return true;
}

int ReportCommands::UnidentifiedColumn(int row) const {
    const ReportCells cells(state_);
    ReportLookupCells lookups(state_);
    for (C code : {C::CZG, C::SYSB, C::BZ}) {
        const bool ok = ValueOrEmpty<bool>([&] {
            return lookups.StoredId(row, code) != 0 ||
                   (cells.Key(row, code).trimmed().isEmpty() && cells.Text(row, code).trimmed().isEmpty());
        });
        if (!ok && cells.Column(code))
            return cells.Column(code);
    }
    return cells.Column(C::GPH) ? cells.Column(C::GPH) : 2;
}

bool ReportCommands::Identify(int row, qint32& interId, qint32& serial) const {
    const ReportCells cells(state_);
    interId = InterIdOf(cells.Text(row, C::GPH).trimmed());
    serial = Basic::Long(cells.Text(row, C::HBXH));
    return interId != 0;
}

qint32 ReportCommands::InterIdOf(const QString& workBillNo) const {
    if (const auto known = interIds_.constFind(workBillNo); known != interIds_.cend())
        return *known;
    const qint32 id = state_.host->NewMShopProc()->GetWorkBillInterID(state_.host->PropsString(), workBillNo);
    // An unknown number is asked again: it may be one being created.
    if (id != 0)
        interIds_.insert(workBillNo, id);
    return id;
}

bool ReportCommands::RunOn(Kind kind, int row, QString& message) const {
    qint32 interId = 0, serial = 0;
    try {
        Identify(row, interId, serial);
    } catch (const ComError& e) {
        message = e.Description();
        return false;
    }
    return CallService(kind, interId, serial, message);
}

bool ReportCommands::CallService(Kind kind, qint32 interId, qint32 serial, QString& message) const {
    try {
        const auto service = state_.host->NewMShopProcSet();
        const QString props = state_.host->PropsString();
        switch (kind) {
            case Kind::Audit:
                return service->AuditWorkProcRpt(props, interId, serial, state_.userId, message);
            case Kind::UnAudit:
                return service->UnAuditWorkProcRpt(props, interId, serial, message);
            case Kind::Delete:
                return service->DelWorkProcRpt(props, interId, serial, message);
        }
    } catch (const ComError& e) {
        ErrorLog::Write(e);
        message = e.Description();
    }
    return false;
}

std::vector<IMShopProcSet::Outcome> ReportCommands::CallService(
    Kind kind, const std::vector<IMShopProcSet::Report>& reports) const {
    const auto action = kind == Kind::Audit     ? IMShopProcSet::Action::Audit
                        : kind == Kind::UnAudit ? IMShopProcSet::Action::UnAudit
                                                : IMShopProcSet::Action::Delete;
    std::vector<IMShopProcSet::Outcome> outcomes;
    try {
        outcomes = state_.host->NewMShopProcSet()->ActOnWorkProcRpts(state_.host->PropsString(), action,
                                                                     reports, state_.userId);
        for (const IMShopProcSet::Outcome& o : outcomes)
            if (o.error)
                ErrorLog::Write(*o.error);
    } catch (const ComError& e) {
        // The service could not be reached: no report was done.
        ErrorLog::Write(e);
        outcomes.assign(reports.size(), IMShopProcSet::Outcome{false, e.Description(), {}});
    }
    return outcomes;
}

void ReportCommands::AfterCursorRules(int row) const {
    GridModel& grid = *state_.vlgProc;
    const int col = grid.CurrentCol();
    IgnoreErrors([&] { ReportCellRules(state_).OnCurrentCellChange(row, col, row, col); });
}

void ReportCommands::ShowAudited(int row, const QString& date) const {
    const ReportCells cells(state_);
    cells.SetText(row, C::SHBZ, T::AuditedMark());
    cells.SetText(row, C::SHRQ, date);
    IgnoreErrors([&] { cells.SetText(row, C::SHR, state_.host->UserName()); });
    cells.SetKey(row, C::SHR, QString::number(state_.userId));
}

void ReportCommands::ShowUnaudited(int row) const {
    const ReportCells cells(state_);
    cells.SetText(row, C::SHBZ, QString());
    cells.SetText(row, C::SHR, QString());
    cells.SetKey(row, C::SHR, QString());
    cells.SetText(row, C::SHRQ, QString());
}

void ReportCommands::RemoveRow(int row) const {
    IgnoreErrors([&] { ReportRowLocks(state_).ReleaseRowLock(row); });
    // The row lists move up with the rows below.
    for (auto* list : {&state_.storedReceive, &state_.storedHandOver})
        if (row < list->size())
            list->remove(row);
    if (row < state_.rowLocks.size())
        state_.rowLocks.remove(row);
    if (row < state_.storedRows.size())
        state_.storedRows.remove(row);
    state_.vlgProc->RemoveRow(row);
}

void ReportCommands::Run(Kind kind) {
    interIds_.clear();
    GridModel& grid = *state_.vlgProc;
    const ReportCells cells(state_);
    const KindTexts& texts = TextsOf(kind);
    // A right that cannot be read is an error to report, not a right the user lacks.
    bool allowed = false;
    try {
        allowed = state_.host->AccessCheck(texts.right);
    } catch (const ComError& e) {
        Tell(Text(texts.single) + e.Description());
        return;
    }
    if (!allowed) {
        Tell(T::NoRight());
        return;
    }
    const auto stored = [&](int r) { return !cells.Text(r, C::ZDR).trimmed().isEmpty(); };
    const auto audited = [&](int r) { return !cells.Text(r, C::SHBZ).isEmpty(); };
    const auto affected = [&](int r) {
        return stored(r) && (kind == Kind::UnAudit ? audited(r) : !audited(r));
    };

    const int firstSel = grid.SelRowCount() > 1 ? grid.SelStartRow() : grid.CurrentRow();
    const int lastSel = grid.SelRowCount() > 1 ? firstSel + grid.SelRowCount() - 1 : firstSel;
    if (firstSel <= grid.FixedRows())
        return;

    ReportQuantityChecks checks(state_);
    QVector<ReportQuantityChecks::OperationSums> sums;
    for (int r = firstSel; r <= lastSel; ++r)
        if (affected(r))
            checks.AddRow(sums, r);
    ReportQuantityChecks::Result limits = ReportQuantityChecks::Passed;
    try {
        limits = checks.CheckLimits(sums, texts.mode);
    } catch (const ComError& e) {
        Tell(Text(texts.single) + e.Description());
        return;
    }
    if (limits == ReportQuantityChecks::ReceiveExceeded) {
        Tell(T::Checked(Text(texts.receive) + Basic::NumberText(state_.receiveMaximum)));
        return;
    }
    if (limits == ReportQuantityChecks::HandOverShort) {
        Tell(T::Checked(Text(texts.handOver) + Basic::NumberText(state_.handOverMinimum)));
        return;
    }
    if (kind == Kind::Delete && !AskYesNo(state_.host->Screen(), T::DeleteQuestion()))
        return;

    const auto paint = [&] { IgnoreErrors([&] { ReportGrid(state_).PaintReportGrid(); }); };
    const auto commandStates = [&] {
        IgnoreErrors([&] { ReportRowLocks(state_).RestampAll(); });
        IgnoreErrors([&] {
            if (state_.updateCommandStates)
                state_.updateCommandStates();
        });
    };

    if (firstSel == lastSel) {
        const int row = firstSel;
        QString message;
        const bool done = RunOn(kind, row, message);
        if (done) {
            if (kind == Kind::Audit)
                ShowAudited(row, Basic::DateText(QDate::currentDate()));
            else if (kind == Kind::UnAudit)
                ShowUnaudited(row);
            else
                RemoveRow(row);
            if (kind != Kind::Delete)
                AfterCursorRules(row);
            Log(QString::fromLatin1(texts.log));
            commandStates();
        } else {
            Tell(Text(texts.single) + message);
        }
        if (kind != Kind::Delete)
            paint();
        return;
    }

    // Several rows: each record on its own; delete goes from the last row up, so removing
    // a row moves none still to be visited.
    QString successes, failures;
    const QString serverDate =
        ValueOrEmpty<QString>([&] { return Basic::DateText(state_.host->ServerDate()); });
    const bool upwards = kind == Kind::Delete;
    // The rows' reports go to the service in one call; each is still done on its own and
    // answered in the order of the rows.
    struct Pending {
        int row;
        QString line;
        bool identified = true;
        QString refusal;  // why the row's report could not be identified
    };
    std::vector<Pending> pending;
    std::vector<IMShopProcSet::Report> reports;
    for (int i = 0; i <= lastSel - firstSel; ++i) {
        const int row = upwards ? lastSel - i : firstSel + i;
        if (!affected(row))
            continue;
        Pending p{row,
                  QChar(13) + cells.Text(row, C::GPH).trimmed() + QChar(9) + cells.Text(row, C::HBXH),
                  true,
                  {}};
        qint32 interId = 0, serial = 0;
        try {
            Identify(row, interId, serial);
            reports.push_back({interId, serial});
        } catch (const ComError& e) {
            p.identified = false;
            p.refusal = e.Description();
        }
        pending.push_back(p);
    }
    const std::vector<IMShopProcSet::Outcome> outcomes = CallService(kind, reports);
    size_t next = 0;
    for (const Pending& p : pending) {
        IMShopProcSet::Outcome outcome{false, p.refusal, {}};
        if (p.identified && next < outcomes.size())
            outcome = outcomes[next++];
        if (outcome.done) {
            if (kind == Kind::Audit)
                ShowAudited(p.row, serverDate);
            else if (kind == Kind::UnAudit)
                ShowUnaudited(p.row);
            else
                RemoveRow(p.row);
            successes += p.line;
        } else {
            failures += p.line + QChar(13) + outcome.message;
        }
    }
    if (!successes.isEmpty()) {
        Tell(Text(texts.success) + QChar(13) + T::ListHeader() + successes);
        Log(QString::fromLatin1(texts.log));
        commandStates();
        paint();
    }
    if (!failures.isEmpty())
        Tell(Text(texts.failure) + QChar(13) + T::ListHeader() + failures);
}

}  // namespace sp
