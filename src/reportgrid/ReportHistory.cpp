#include "src/reportgrid/ReportHistory.h"

#include <algorithm>
#include <utility>

#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "src/common/ErrorLog.h"
#include "src/common/IgnoreErrors.h"
#include "src/common/LoadProgress.h"
#include "src/controls/GridModel.h"
#include "src/controls/RedrawOff.h"
#include "src/entry/HostServices.h"
#include "src/reportgrid/ReportCells.h"
#include "src/reportgrid/ReportGrid.h"
#include "src/reportgrid/ReportLookupCells.h"
#include "src/reportgrid/ReportRowLocks.h"
#include "src/reportgrid/Texts.h"
#include "src/reportgrid/frmInfoFilter.h"
#include "src/state/WorkbenchState.h"

namespace sp {

namespace {

constexpr int kNewModeRows = 11;  // header and 10 empty rows

}  // namespace

ReportHistory::ReportHistory(WorkbenchState& state) : state_(state) {}

QString ReportHistory::HistoryFilterText(const DictionaryPtr& result) {
    QString filter;
    if (!result)
        return filter;
    const double serial = Basic::Val(result->Item(QStringLiteral("FSerial")));
    if (serial > 0)
        filter = QStringLiteral(" PR.FSerial = ") + Basic::BlankNumber(serial);
    const QString memo = Basic::Text(result->Item(QStringLiteral("FMemo")));
    if (!memo.isEmpty()) {
        // The blank before OR keeps "3OR" from reaching servers that refuse a number
        // glued to a word.
        if (!filter.isEmpty())
            filter += QStringLiteral(" OR");
        // "%" and "_" typed in the memo stay wildcards. The escape character is named, and
        // itself doubled in the memo, because PostgreSQL would otherwise take a backslash as
        // its escape where SQLite takes it as text: so a backslash matches a backslash on both.
        QString pattern = memo;
        pattern.replace(QLatin1Char('!'), QStringLiteral("!!"));
        filter += QStringLiteral("  PR.FMemo Like '%") + pattern + QStringLiteral("%' ESCAPE '!'");
    }
    return filter;
}

QString ReportHistory::HistoryCondition(const QString& workBillNo, const QString& filterText) {
    QString condition = QStringLiteral("'") + Basic::SqlQuote(workBillNo) + QStringLiteral("'");
    if (!filterText.isEmpty())
        condition += QStringLiteral(" And (") + filterText + QStringLiteral(")");
    return condition;
}

std::vector<std::optional<ReportCode>> ReportHistory::ColumnCodes() const {
    const int cols = state_.vlgProc->Cols();
    std::vector<std::optional<ReportCode>> codes(static_cast<size_t>(std::max(cols - 1, 0)));
    // A column's code is the first of the lookup order placed on it (as
    // GetReportColumnCode answers), so the order is walked from its end.
    const ReportCells cells(state_);
    const auto& order = ReportCodeLookupOrder();
    for (auto code = order.rbegin(); code != order.rend(); ++code)
        if (const int col = cells.Column(*code))
            codes[static_cast<size_t>(col - 2)] = *code;
    return codes;
}

QString ReportHistory::SelectList() const {
    QStringList expressions;
    for (const std::optional<ReportCode>& c : ColumnCodes()) {
        // A column without a code still takes its place, so field j stays column j + 2.
        expressions << (c ? ReportSourceExpression(*c) : QStringLiteral("Null"));
    }
    return expressions.join(QLatin1Char(','));
}

QString ReportHistory::AskRecordFilter() {
    if (filterDialog_)
        return HistoryFilterText(filterDialog_());
    frmInfoFilter dialog;
    state_.host->Screen().ShowModal(dialog);
    return HistoryFilterText(dialog.Result());
}

void ReportHistory::LoadReportHistory(int showFilter) {
    GridModel& grid = *state_.vlgProc;
    ReportRowLocks locks(state_);
    locks.ReleaseAllRowLocks();
    // The work bill shown again keeps its task while it is held (across a network a
    // release and a take are two round trips, the stamp a third); one lost is given
    // back and taken anew with the load, as any other.
    const bool keepTask =
        state_.editMode && state_.historyTaskId != 0 && !state_.currentWorkBillNo.isEmpty() &&
        state_.currentWorkBillNo == state_.historyWorkBillNo &&
        ValueOrEmpty<bool>([&] { return state_.host->TaskStillHeld(state_.historyTaskId); });
    if (state_.historyTaskId != 0 && !keepTask)
        IgnoreErrors([&] {
            qint32 task = state_.historyTaskId;
            state_.historyTaskId = 0;
            state_.host->EndFunc(task);
        });

    // The filter is about the stored reports of a work bill; new mode, and edit mode
    // without a work bill (as while a list reload passes over its header), have none.
    QString filterText;
    if (showFilter == 1 && state_.editMode && !state_.currentWorkBillNo.trimmed().isEmpty())
        filterText = ValueOrEmpty<QString>([&] { return AskRecordFilter(); });

    WaitCursor wait(state_.host->Screen());
    // The half second before the progress shows counts from here, after the record
    // filter, which the clerk may have taken a while over.
    LoadProgress progress(state_.host->Screen(), LoadPane::History, state_.loadClock);
    const ReportCells cells(state_);
    IgnoreErrors([&] { grid.SetRows(grid.FixedRows()); });

    if (!state_.editMode) {
        IgnoreErrors([&] {
            grid.SetRows(kNewModeRows);
            state_.rowLocks.fill(0, kNewModeRows + 1);
            if (const int col = cells.Column(ReportCode::GPH))
                grid.SetColumnVisible(col, true);
        });
    }
    Loaded loaded = Loaded::Rows;
    QString failure;
    if (state_.editMode) {
        IgnoreErrors([&] {
            if (const int col = cells.Column(ReportCode::GPH))
                grid.SetColumnVisible(col, false);
        });
        loaded = LoadRecords(filterText, failure, progress);
    }
    progress.Done();
    if (loaded == Loaded::Cancelled)
        state_.loadCancelled = true;
    // What each row holds as stored: nothing for new rows, the loaded values otherwise.
    const int entries = grid.Rows() + 1;
    state_.storedRows.fill(state_.editMode, entries);
    state_.storedReceive.fill(0, entries);
    state_.storedHandOver.fill(0, entries);
    if (state_.editMode) {
        for (int r = grid.FixedRows() + 1; r <= grid.Rows(); ++r) {
            state_.storedReceive[r] = Basic::Dbl(cells.Value(r, ReportCode::JSS));
            state_.storedHandOver[r] = Basic::Dbl(cells.Value(r, ReportCode::YJS));
        }
    }

    if (grid.Rows() <= grid.FixedRows()) {
        state_.procGridVisible = false;
        // A work bill held by another user may well have reports: the label says why
        // none are shown rather than that there are none, and so does a failed read.
        state_.lblProcText = state_.currentWorkBillNo.isEmpty() ? ReportTexts::NoWorkBillSelected()
                             : loaded == Loaded::InUse          ? ReportTexts::WorkBillInUse()
                             : loaded == Loaded::Failed         ? ReportTexts::HistoryLoadFailed() + failure
                             : loaded == Loaded::Cancelled      ? LoadProgress::CancelledText()
                                                                : ReportTexts::NoHistory();
    } else {
        IgnoreErrors([&] { ReportGrid(state_).PaintReportGrid(); });
        state_.procGridVisible = true;
        IgnoreErrors([&] {
            if (const int col = cells.Column(ReportCode::HBXH))
                grid.SelectCell(grid.FixedRows() + 1, col);
        });
    }

    state_.modified = false;
    IgnoreErrors([&] {
        if (state_.updateCommandStates)
            state_.updateCommandStates();
    });
    IgnoreErrors([&] {
        if (state_.updateStatusText)
            state_.updateStatusText();
    });
}

// The host's properties and one middle-tier object, taken when a cell first needs them
// and kept for the rest of the load: thousands of rows ask for them. What could not be
// had is asked again by the next cell that needs it.
class ReportHistory::MiddleTier {
  public:
    explicit MiddleTier(HostServices& host) : host_(host) {}
    const QString& Props() {
        if (!haveProps_) {
            props_ = host_.PropsString();
            haveProps_ = true;
        }
        return props_;
    }
    IMShopProc& Service() {
        if (!service_)
            service_ = host_.NewMShopProc();
        return *service_;
    }

  private:
    HostServices& host_;
    QString props_;
    bool haveProps_ = false;
    std::shared_ptr<IMShopProc> service_;
};

ReportHistory::Loaded ReportHistory::LoadRecords(const QString& filterText, QString& failure,
                                                 LoadProgress& progress) {
    // Without a work bill there is nothing to load and no task to take: asking would
    // take the function-conflict task for no work bill at all.
    const QString number = state_.currentWorkBillNo;
    if (number.isEmpty())
        return Loaded::Rows;
    GridModel& grid = *state_.vlgProc;
    HostServices& host = *state_.host;
    const QString selectList = ValueOrEmpty<QString>([&] { return SelectList(); });
    // A read that fails is said so, never shown as a work bill without reports.
    const auto failed = [&](const ComError& e) {
        ErrorLog::Write(e);
        failure = e.Description();
        return Loaded::Failed;
    };

    qint32 interId = 0;
    try {
        const QString props = host.PropsString();
        interId = host.NewMShopProc()->GetWorkBillInterID(props, number);
    } catch (const ComError& e) {
        return failed(e);
    }
    // Records shown without the work bill's task would not be guarded against another
    // user, so an unknown work bill shows none.
    if (interId == 0) {
        IgnoreErrors([&] {
            if (qint32 task = std::exchange(state_.historyTaskId, 0))
                host.EndFunc(task);
        });
        return Loaded::Rows;
    }
    try {
        if (state_.historyTaskId == 0) {
            state_.historyTaskId =
                host.ExecFunc(ReportTexts::ConflictSubsystem, ReportTexts::ConflictFunction(), 0, 0,
                              QVariant(interId), WorkBillStamp(host, interId));
            state_.historyWorkBillNo = number;
        }
    } catch (const ComError& e) {
        IgnoreErrors([&] { ShowInfo(host.Screen(), e.Description()); });
        return Loaded::InUse;
    }

    QString history;
    try {
        const QString props = host.PropsString();
        history =
            host.NewMShopProc()->GetWorkProcRptHis(props, HistoryCondition(number, filterText), selectList);
    } catch (const ComError& e) {
        // No rows are shown, so none need guarding.
        IgnoreErrors([&] {
            if (qint32 task = std::exchange(state_.historyTaskId, 0))
                host.EndFunc(task);
        });
        return failed(e);
    }
    const QStringList records = history.isEmpty() ? QStringList() : history.split(QChar(13));

    const QString format = ValueOrEmpty<QString>([&] { return ReportGrid(state_).QuantityFormat(interId); });
    const ReportCells cells(state_);
    // A format that cannot be read leaves the quantities unformatted: never in the
    // format of the work bill shown before.
    for (ReportCode code : QuantityCodes())
        if (const int col = cells.Column(code))
            IgnoreErrors([&] { grid.SetColumnFormat(col, format); });

    // Which code each column shows is asked once per load, not for each of its cells.
    const std::vector<std::optional<ReportCode>> codes = ColumnCodes();
    const int serialIndex = cells.Column(ReportCode::HBXH) - 2;
    RedrawOff quiet(grid);
    grid.ReserveRows(grid.Rows() + static_cast<int>(records.size()));
    MiddleTier middleTier(host);
    // The service hands all records over as one text; the time of a long history goes
    // into the rows (names and running totals asked per record), so that is where the
    // rows are counted and where the clerk may cancel, between one row and the next.
    progress.SetTotal(static_cast<int>(records.size()));
    int filled = 0;
    for (const QString& record : records) {
        if (!IgnoreErrors([&] { grid.AddRow(); }))
            break;
        const QStringList fields = record.split(QChar(9));
        const QString serial = serialIndex >= 0 ? fields.value(serialIndex) : QString();
        FillRow(grid.Rows(), codes, fields, serial, middleTier);
        if (!progress.Step(++filled)) {
            // Rows not shown need no guarding: the work bill's task goes with them.
            IgnoreErrors([&] { grid.SetRows(grid.FixedRows()); });
            IgnoreErrors([&] {
                if (qint32 task = std::exchange(state_.historyTaskId, 0))
                    host.EndFunc(task);
            });
            return Loaded::Cancelled;
        }
    }
    return Loaded::Rows;
}

void ReportHistory::FillRow(int row, const std::vector<std::optional<ReportCode>>& codes,
                            const QStringList& fields, const QString& serial, MiddleTier& middleTier) {
    GridModel& grid = *state_.vlgProc;
    const QString number = state_.currentWorkBillNo;
    const qsizetype count = std::min(fields.size(), static_cast<qsizetype>(codes.size()));
    for (qsizetype j = 0; j < count; ++j) {
        const int col = static_cast<int>(j) + 2;
        const QString& field = fields[j];
        const std::optional<ReportCode> code = codes[static_cast<size_t>(j)];
        if (!code)
            continue;
        IgnoreErrors([&] {
            switch (*code) {
                case ReportCode::CZG:
                case ReportCode::SYSB:
                case ReportCode::BZ:
                    ReportLookupCells(state_).ShowStored(row, *code, Basic::Long(field));
                    break;
                case ReportCode::ZDR:
                case ReportCode::SHR:
                    if (Basic::Val(field) != 0) {
                        grid.SetCellKey(row, col, field);
                        const QString& props = middleTier.Props();
                        grid.SetCellText(row, col, middleTier.Service().GetUserName(props, field));
                    }
                    break;
                case ReportCode::SHBZ:
                    grid.SetCellText(row, col,
                                     Basic::Val(field) != 0 ? ReportTexts::AuditedMark() : QString());
                    break;
                case ReportCode::SHRQ:
                    grid.SetCellText(row, col,
                                     field.isEmpty() ? QString() : Basic::DateText(Basic::ToDate(field)));
                    break;
                case ReportCode::GPH:
                case ReportCode::HBXH:
                case ReportCode::SJDW:
                case ReportCode::MEMO:
                    grid.SetCellText(row, col, field);
                    break;
                case ReportCode::LJHBSL:
                case ReportCode::LJJSSL:
                case ReportCode::LJYJSL: {
                    const QString& props = middleTier.Props();
                    IMShopProc& mt = middleTier.Service();
                    const double qty =
                        *code == ReportCode::LJHBSL   ? mt.GetWorkProcRptQty(props, number, serial)
                        : *code == ReportCode::LJJSSL ? mt.GetWorkProcReceiveQty(props, number, serial)
                                                      : mt.GetWorkProcHandOverQty(props, number, serial);
                    grid.SetCellValue(row, col, qty);
                    break;
                }
                default:
                    // Numbers and dates go in as their typed value, so formats apply.
                    grid.SetCellText(row, col, field);
                    break;
            }
        });
    }
}

}  // namespace sp
