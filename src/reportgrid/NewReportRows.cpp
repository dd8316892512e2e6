#include "src/reportgrid/NewReportRows.h"

#include <QStringList>

#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "src/common/IgnoreErrors.h"
#include "src/common/Ui.h"
#include "src/controls/GridModel.h"
#include "src/entry/HostServices.h"
#include "src/entry/Rights.h"
#include "src/reportgrid/ReportCellRules.h"
#include "src/reportgrid/ReportCells.h"
#include "src/reportgrid/ReportGrid.h"
#include "src/reportgrid/ReportLookupCells.h"
#include "src/reportgrid/ReportRowLocks.h"
#include "src/state/WorkbenchState.h"

namespace sp {

namespace {

using C = ReportCode;

// The fields of the service's proposal for the next report of a work bill.
enum Proposal {
    Serial = 0,
    StartDate = 1,
    FinishDate = 2,
    TimeUnit = 3,
    Received = 4,
    Reported = 5,
    HandedOver = 6,
    TeamId = 7,
    WorkerId = 8,
    DeviceId = 9,
    UnitFee = 10,
    InterId = 11,
    OperId = 12,
    ProposedReceive = 13,
};

}  // namespace

NewReportRows::NewReportRows(WorkbenchState& state) : state_(state) {}

void NewReportRows::PrepareNewReportRow(int row) {
    HostServices& host = *state_.host;
    const ReportCells cells(state_);
    const QString number = cells.Text(row, C::GPH).trimmed();
    const QStringList fields = ValueOrEmpty<QString>([&] {
                                   const QString props = host.PropsString();
                                   return host.NewMShopProc()->GetWorkProcRptNew(props, number);
                               }).split(QChar(9));
    const auto field = [&](Proposal p) { return fields.value(p); };

    // The next serial stays above every serial the grid already holds for the work bill.
    IgnoreErrors([&] {
        qint32 serial = Basic::Long(field(Serial));
        for (int r = state_.vlgProc->FixedRows() + 1; r <= state_.vlgProc->Rows(); ++r) {
            if (r == row || cells.Text(r, C::GPH).trimmed().compare(number, Qt::CaseInsensitive) != 0)
                continue;
            const qint32 other = Basic::Long(cells.Text(r, C::HBXH));
            if (other >= serial)
                serial = other + 1;
        }
        cells.SetText(row, C::HBXH, QString::number(serial));
    });
    // The making date is the server's date, which the proposal's finish date already is.
    IgnoreErrors([&] {
        const QDate today = Basic::ToDate(field(FinishDate));
        cells.SetValue(row, C::ZDRQ, today.isValid() ? today : host.ServerDate());
    });
    IgnoreErrors([&] {
        cells.SetText(row, C::ZDR, host.UserName());
        cells.SetKey(row, C::ZDR, QString::number(state_.userId));
    });
    IgnoreErrors([&] {
        cells.SetValue(row, C::SJKGRQ, Basic::ToDate(field(StartDate)));
        cells.SetValue(row, C::SJWGRQ, Basic::ToDate(field(FinishDate)));
        cells.SetText(row, C::SJDW, field(TimeUnit));
        cells.SetValue(row, C::LJJSSL, Basic::Dbl(field(Received)));
        cells.SetValue(row, C::LJHBSL, Basic::Dbl(field(Reported)));
        cells.SetValue(row, C::LJYJSL, Basic::Dbl(field(HandedOver)));
        cells.SetValue(row, C::DWCB, Basic::Dbl(field(UnitFee)));
        cells.SetText(row, C::GPZH, field(InterId));
        cells.SetText(row, C::GXH, field(OperId));
    });
    for (C code : {C::SZS, C::HGS, C::DSS, C::FXS, C::FXHGS, C::YGBFS, C::YLBFS, C::YJS, C::SZGS, C::ZBGS,
                   C::TDGS, C::JXGS, C::DLGS, C::DJGS, C::FY})
        IgnoreErrors([&] { cells.SetValue(row, code, 0.0); });
    IgnoreErrors([&] {
        const QString props = host.PropsString();
        const qint32 interId = host.NewMShopProc()->GetWorkBillInterID(props, number);
        const QString format = ReportGrid(state_).QuantityFormat(interId);
        for (C code : QuantityCodes()) cells.SetFormat(row, code, format);
    });
    IgnoreErrors([&] { cells.SetValue(row, C::JSS, Basic::Dbl(field(ProposedReceive))); });

    // The work bill's team, worker and device; an id nobody answers to is kept.
    ReportLookupCells lookups(state_);
    IgnoreErrors([&] { lookups.ShowStored(row, C::BZ, Basic::Long(field(TeamId))); });
    IgnoreErrors([&] { lookups.ShowStored(row, C::CZG, Basic::Long(field(WorkerId))); });
    IgnoreErrors([&] { lookups.ShowStored(row, C::SYSB, Basic::Long(field(DeviceId))); });

    state_.modified = true;
    IgnoreErrors([&] {
        if (state_.updateCommandStates)
            state_.updateCommandStates();
    });
}

bool NewReportRows::TakeWorkBill(int row, qint32 interId) {
    try {
        ReportRowLocks(state_).SwitchRowLock(row, interId);
        return true;
    } catch (const ComError& e) {
        IgnoreErrors([&] { ShowInfo(state_.host->Screen(), e.Description()); });
        return false;
    }
}

bool NewReportRows::PutWorkBill(int row, const QString& workBillNo) {
    const qint32 interId = ValueOrEmpty<qint32>([&] {
        const QString props = state_.host->PropsString();
        return state_.host->NewMShopProc()->GetWorkBillInterID(props, workBillNo);
    });
    if (interId == 0 || !TakeWorkBill(row, interId))
        return false;
    ReportCells(state_).SetText(row, C::GPH, workBillNo);
    PrepareNewReportRow(row);
    // The caller asked whether the work bill takes reports before it was put.
    IgnoreErrors([&] { ReportCellRules(state_).KeepSettings(row, workBillNo); });
    return true;
}

bool NewReportRows::StartReportForWorkBill(const QString& workBillNo, qint32 interId) {
    if (!ValueOrEmpty<bool>([&] { return state_.host->AccessCheck(Rights::NewReports); }))
        return false;
    GridModel& grid = *state_.vlgProc;
    const ReportCells cells(state_);
    int row = 0;
    for (int r = grid.FixedRows() + 1; r <= grid.Rows() && row == 0; ++r)
        if (cells.Text(r, C::GPH).trimmed().isEmpty())
            row = r;
    if (row == 0) {
        AddEmptyRow();
        row = grid.Rows();
    }
    if (!TakeWorkBill(row, interId))
        return false;
    cells.SetText(row, C::GPH, workBillNo);
    PrepareNewReportRow(row);
    IgnoreErrors([&] {
        if (const int col = cells.Column(C::GPH))
            grid.SelectCell(row, col);
    });
    // There is always an empty row to type the next report into.
    if (!cells.Text(grid.Rows(), C::GPH).trimmed().isEmpty())
        AddEmptyRow();
    return true;
}

void NewReportRows::AddEmptyRow() {
    GridModel& grid = *state_.vlgProc;
    grid.AddRow();
    const int entries = grid.Rows() + 1;
    if (state_.rowLocks.size() < entries)
        state_.rowLocks.resize(entries);
    if (state_.storedRows.size() < entries)
        state_.storedRows.resize(entries);
    IgnoreErrors([&] { ReportGrid(state_).PaintReportGrid(); });
}

}  // namespace sp
