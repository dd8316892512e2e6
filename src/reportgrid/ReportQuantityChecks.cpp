#include "src/reportgrid/ReportQuantityChecks.h"

#include <algorithm>

#include "src/common/Basic.h"
#include "src/controls/GridModel.h"
#include "src/entry/HostServices.h"
#include "src/reportgrid/ReportCells.h"
#include "src/state/WorkbenchState.h"

namespace sp {

namespace {

using C = ReportCode;

// A tenth of the smallest step the worked quantity shows: "0.00" gives 0.001, "0" 0.1.
double Tolerance(const QString& format) {
    const qsizetype dot = format.indexOf(u'.');
    if (dot < 0)
        return 0.1;
    return Basic::Val(format + QStringLiteral("1"));
}

}  // namespace

ReportQuantityChecks::ReportQuantityChecks(WorkbenchState& state) : state_(state) {}

bool ReportQuantityChecks::CheckReceiveLimit(double quantity, qint32 interId, qint32 operId, int mode) {
    const QString props = state_.host->PropsString();
    state_.receiveMaximum = state_.host->NewMShopProc()->GetControlReceiveQty(props, interId, operId);
    return mode == 1 ? quantity + state_.receiveMaximum < 0 : quantity > state_.receiveMaximum;
}

bool ReportQuantityChecks::CheckHandOverLimit(double quantity, qint32 interId, qint32 operId, int mode) {
    const QString props = state_.host->PropsString();
    state_.handOverMinimum = state_.host->NewMShopProc()->GetControlHandOverQty(props, interId, operId);
    return mode == 1 ? quantity + state_.handOverMinimum > 0 : quantity < state_.handOverMinimum;
}

void ReportQuantityChecks::AddRow(QVector<OperationSums>& sums, int row, double storedReceive,
                                  double storedHandOver) const {
    const ReportCells cells(state_);
    const QString key = cells.Text(row, C::GPZH).trimmed() + QChar(9) + cells.Text(row, C::GXH).trimmed();
    auto it = std::find_if(sums.begin(), sums.end(), [&](const OperationSums& s) { return s.key == key; });
    if (it == sums.end())
        it = sums.insert(sums.end(), OperationSums{key, 0, 0});
    it->receive += Basic::Dbl(cells.Value(row, C::JSS)) - storedReceive;
    it->handOver += Basic::Dbl(cells.Value(row, C::YJS)) - storedHandOver;
}

ReportQuantityChecks::Result ReportQuantityChecks::CheckLimits(const QVector<OperationSums>& sums, int mode) {
    if (!state_.host->IsControlReceive())
        return Passed;
    for (const OperationSums& s : sums) {
        const QString interId = s.key.section(QChar(9), 0, 0);
        if (interId.isEmpty())
            continue;
        const qint32 operId = Basic::Long(s.key.section(QChar(9), 1));
        if (CheckReceiveLimit(s.receive, Basic::Long(interId), operId, mode))
            return ReceiveExceeded;
        if (CheckHandOverLimit(s.handOver, Basic::Long(interId), operId, mode))
            return HandOverShort;
    }
    return Passed;
}

ReportQuantityChecks::Result ReportQuantityChecks::CheckRowQuantities(int& row) {
    GridModel& grid = *state_.vlgProc;
    const ReportCells cells(state_);
    const int first = grid.FixedRows() + 1;
    QVector<OperationSums> sums;
    for (int r = first; r <= grid.Rows(); ++r) {
        if (!cells.Text(r, C::SHBZ).isEmpty())
            continue;
        // In edit mode only what changed since the row was stored counts against the limits.
        const bool stored = state_.editMode && r < state_.storedReceive.size();
        AddRow(sums, r, stored ? state_.storedReceive[r] : 0, stored ? state_.storedHandOver[r] : 0);
    }
    if (const Result limits = CheckLimits(sums, 0); limits != Passed)
        return limits;

    for (row = first; row <= grid.Rows(); ++row) {
        const QString number = cells.Text(row, C::GPH).trimmed();
        if (!state_.isExistWB || !state_.isExistWB(number, false))
            continue;
        const double parts = Basic::Dbl(cells.Value(row, C::HGS)) + Basic::Dbl(cells.Value(row, C::DSS)) +
                             Basic::Dbl(cells.Value(row, C::YGBFS)) + Basic::Dbl(cells.Value(row, C::YLBFS));
        const int worked = cells.Column(C::SZS);
        const QString format = worked ? grid.CellFormat(row, worked).isEmpty() ? grid.ColumnFormat(worked)
                                                                               : grid.CellFormat(row, worked)
                                      : QString();
        if (parts > Basic::Dbl(cells.Value(row, C::SZS)) + Tolerance(format))
            return PartsExceedWorked;
        const QDate start = Basic::ToDate(cells.Value(row, C::SJKGRQ));
        const QDate end = Basic::ToDate(cells.Value(row, C::SJWGRQ));
        if (start.isValid() && end.isValid() && start > end)
            return StartAfterEnd;
    }
    return Passed;
}

}  // namespace sp
