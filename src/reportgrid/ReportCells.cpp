#include "src/reportgrid/ReportCells.h"

#include "src/controls/GridModel.h"
#include "src/state/WorkbenchState.h"

namespace sp {

ReportCells::ReportCells(const WorkbenchState& state) : state_(state), grid_(state.vlgProc) {}

int ReportCells::Column(ReportCode code) const {
    const int i = Index(code);
    if (!grid_ || i < 0 || i >= kReportCodeCount)
        return 0;
    const int col = state_.reportColumnPos[static_cast<size_t>(i)];
    return col >= 2 && col <= grid_->Cols() ? col : 0;
}

QString ReportCells::Text(int row, ReportCode code) const {
    const int col = Column(code);
    return col ? grid_->CellText(row, col) : QString();
}

void ReportCells::SetText(int row, ReportCode code, const QString& text) const {
    if (const int col = Column(code))
        grid_->SetCellText(row, col, text);
}

QString ReportCells::Key(int row, ReportCode code) const {
    const int col = Column(code);
    return col ? grid_->CellKey(row, col) : QString();
}

void ReportCells::SetKey(int row, ReportCode code, const QString& key) const {
    if (const int col = Column(code))
        grid_->SetCellKey(row, col, key);
}

QVariant ReportCells::Value(int row, ReportCode code) const {
    const int col = Column(code);
    return col ? grid_->CellValue(row, col) : QVariant();
}

void ReportCells::SetValue(int row, ReportCode code, const QVariant& value) const {
    if (const int col = Column(code))
        grid_->SetCellValue(row, col, value);
}

void ReportCells::SetFormat(int row, ReportCode code, const QString& format) const {
    if (const int col = Column(code))
        grid_->SetCellFormat(row, col, format);
}

}  // namespace sp
