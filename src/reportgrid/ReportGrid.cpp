#include "src/reportgrid/ReportGrid.h"

#include <QFontMetricsF>

#include "src/common/Basic.h"
#include "src/common/IgnoreErrors.h"
#include "src/controls/GridModel.h"
#include "src/controls/RedrawOff.h"
#include "src/entry/HostServices.h"
#include "src/reportgrid/ReportCells.h"
#include "src/reportgrid/ReportRowLocks.h"
#include "src/reportgrid/Texts.h"
#include "src/settings/ColumnLayout.h"
#include "src/settings/SaveColumnWidth.h"
#include "src/state/WorkbenchState.h"

namespace sp {

namespace {

constexpr int kGridCols = 37;
constexpr int kSetupRows = 10;
constexpr double kDateWidthPadding = 360;  // twips around the date text
constexpr double kTwipsPerPixel = 15;

}  // namespace

ReportGrid::ReportGrid(WorkbenchState& state) : state_(state) {}

double ReportGrid::TextWidthTwips(const QFont& font, const QString& text) {
    return QFontMetricsF(font).horizontalAdvance(text) * kTwipsPerPixel;
}

QString ReportGrid::QuantityFormat(qint32 interId) {
    const QString props = state_.host->PropsString();
    return DecimalsFormat(state_.host->NewMShopProc()->GetQtyDecimal(props, interId));
}

void ReportGrid::SetupReportColumns(const TextWidth& textWidth) {
    GridModel& grid = *state_.vlgProc;
    const QString props = state_.host->PropsString();
    RecordsetPtr layout = state_.host->NewMShopProc()->GetReportTitle(props, state_.userId);

    // A new layout starts from nothing: no rows, no codes, no headers left over. Rows
    // that still hold tasks let them go first, or the tasks would outlive their rows.
    ReportRowLocks(state_).ReleaseAllRowLocks();
    grid.SetRows(1);
    grid.SetFixedRows(1);
    grid.SetCols(kGridCols);
    grid.SetRows(kSetupRows);
    grid.SetFrozenCols(1);  // the selection column stays at the left
    // The selection and work bill columns stay first; the clerk may drag the others.
    grid.SetFirstMovableCol(3);
    grid.SetRowHeight(1, grid.DefaultRowHeight() * 2);
    for (int col = 1; col <= kGridCols; ++col) {
        grid.SetCellText(1, col, QString());
        grid.SetCellKey(1, col, QString());
    }
    grid.SetCellText(1, 1, ReportTexts::SelectionHeader());
    state_.rowLocks.fill(0, kSetupRows + 1);
    state_.storedRows.fill(false, kSetupRows + 1);
    state_.storedReceive.fill(0, kSetupRows + 1);
    state_.storedHandOver.fill(0, kSetupRows + 1);
    state_.reportColumnPos.fill(0);

    QVector<bool> coded(kGridCols + 1, false);
    int col = 2;
    for (; layout && !layout->Eof() && col <= kGridCols; layout->MoveNext(), ++col) {
        const QString field = Basic::Text(layout->Field(QStringLiteral("Ffield")));
        const std::optional<ReportCode> code = ReportCodeFromName(field);
        if (!code)
            continue;
        coded[col] = true;
        state_.reportColumnPos[static_cast<size_t>(Index(*code))] = col;
        grid.SetCellText(1, col, Basic::Text(layout->Field(QStringLiteral("Fname"))));
        grid.SetCellKey(1, col, field);
        const bool alwaysHidden = *code == ReportCode::GPZH || *code == ReportCode::GXH;
        grid.SetColumnVisible(
            col, !alwaysHidden && ColumnLayout::StoredShown(layout->Field(QStringLiteral("Fshow"))));
        double width = ColumnLayout::StoredWidth(layout->Field(QStringLiteral("Fwidth")));
        if (width == 0) {
            const bool actualDate = *code == ReportCode::SJKGRQ || *code == ReportCode::SJWGRQ;
            width = actualDate && textWidth ? textWidth(ReportTexts::SampleDate()) + kDateWidthPadding
                                            : grid.DefaultColumnWidth();
        }
        grid.SetColumnWidth(col, width);
    }
    // Columns that hold no code have nothing to show or edit.
    for (int c = 2; c <= kGridCols; ++c)
        if (!coded[c])
            grid.SetColumnVisible(c, false);

    ApplyColumnAttributes();
    grid.SetCellText(1, 1, ReportTexts::SelectionHeader());
    PaintReportGrid();
}

void ReportGrid::ApplyColumnAttributes() {
    GridModel& grid = *state_.vlgProc;
    const ReportCells cells(state_);
    for (ReportCode code : AllReportCodes()) {
        const int col = cells.Column(code);
        if (!col)
            continue;
        const ReportColumnAttributes a = ReportColumnAttributesOf(code);
        grid.SetColumnReadOnly(col, a.readOnly);
        grid.SetColumnKind(col, a.kind);
        if (a.hasRange)
            grid.SetColumnRange(col, a.min, a.max);
        grid.SetColumnFormat(col, a.format);
        // Quantities, hours and fees read best right-aligned, as in the work bill list;
        // the header cell stays centred.
        if (a.kind == CellKind::Number) {
            grid.SetColumnAlignment(col, CellAlign::Right);
            for (int r = 1; r <= grid.FixedRows(); ++r) grid.SetCellAlignment(r, col, CellAlign::Center);
        }
    }
}

void ReportGrid::PaintReportGrid() {
    GridModel* grid = state_.vlgProc;
    if (!grid)
        return;
    const int rows = grid->Rows();
    const int cols = grid->Cols();
    const int first = grid->FixedRows() + 1;
    if (rows < first || cols < 1)
        return;
    const ReportCells cells(state_);
    const QColor white(Qt::white);
    RedrawOff quiet(*grid);
    // An audited record (checker filled) is shown in the read-only colour across the row.
    for (int r = first; r <= rows; ++r)
        grid->SetRangeBackground(r, 1, r, cols,
                                 cells.Text(r, ReportCode::SHR).isEmpty() ? white : ReadOnlyColor());
    for (ReportCode code : AllReportCodes())
        if (IsPaintedReadOnly(code))
            if (const int col = cells.Column(code))
                grid->SetRangeBackground(first, col, rows, col, ReadOnlyColor());
}

void ReportGrid::ReportColumnsMoved() {
    GridModel& grid = *state_.vlgProc;
    state_.reportColumnPos.fill(0);
    for (int col = 2; col <= grid.Cols(); ++col)
        if (const std::optional<ReportCode> code = ReportCodeFromName(grid.CellKey(1, col)))
            state_.reportColumnPos[static_cast<size_t>(Index(*code))] = col;
}

QString ReportGrid::GetReportColumnCode(int col) const {
    if (col < 2)
        return QString();
    const ReportCells cells(state_);
    for (ReportCode code : ReportCodeLookupOrder())
        if (cells.Column(code) == col)
            return ReportCodeName(code);
    return QString();
}

}  // namespace sp

namespace sp {

void ReportGrid::SaveReportColumnWidth(int col) {
    IgnoreErrors([&] {
        const QString code = GetReportColumnCode(col);
        if (code.isEmpty())
            return;
        SaveColumnWidth(*state_.host, state_.userId, QStringLiteral("Proc"), code,
                        state_.vlgProc->ColumnWidth(col));
    });
}

}  // namespace sp
