#pragma once

#include <QString>
#include <QVariant>

#include "src/reportgrid/ReportColumns.h"

namespace sp {

class GridModel;
struct WorkbenchState;

// The record grid's cells addressed by report column code through ReportColumnPos.
// A code the layout has no column for reads as empty and ignores writes: nothing
// ever lands in the selection column or fails because a code is missing.
class ReportCells {
  public:
    explicit ReportCells(const WorkbenchState& state);

    // Grid column of the code; 0 when it has none.
    int Column(ReportCode code) const;
    bool Has(ReportCode code) const { return Column(code) != 0; }

    QString Text(int row, ReportCode code) const;
    void SetText(int row, ReportCode code, const QString& text) const;
    QString Key(int row, ReportCode code) const;
    void SetKey(int row, ReportCode code, const QString& key) const;
    QVariant Value(int row, ReportCode code) const;
    void SetValue(int row, ReportCode code, const QVariant& value) const;
    void SetFormat(int row, ReportCode code, const QString& format) const;

  private:
    const WorkbenchState& state_;
    GridModel* grid_;
};

}  // namespace sp
