#pragma once

#include <QString>
#include <QVector>
#include <QtGlobal>

namespace sp {

struct WorkbenchState;

// The quantity checks run before reports are saved, audited, unaudited or deleted:
// per operation the received quantity against what the service still allows to be
// received and the handed-over quantity against what must be handed over (only while the
// shop's receive control is on), and per row the parts of the worked quantity and the
// order of the dates.
class ReportQuantityChecks {
  public:
    enum Result {
        Passed = 0,
        PartsExceedWorked = 1,
        StartAfterEnd = 2,
        ReceiveExceeded = 3,
        HandOverShort = 4
    };

    explicit ReportQuantityChecks(WorkbenchState& state);

    // True when the check fails. Mode 0 compares the quantity with the receive maximum;
    // mode 1 (unaudit, delete: the quantity goes away) fails when quantity + maximum < 0.
    // Sets the workbench's receive maximum. The service's errors reach the caller.
    bool CheckReceiveLimit(double quantity, qint32 interId, qint32 operId, int mode);
    // The same for the handover minimum: mode 0 fails when quantity < minimum, mode 1 when
    // quantity + minimum > 0.
    bool CheckHandOverLimit(double quantity, qint32 interId, qint32 operId, int mode);

    // The checks of a save over the unaudited rows of the grid. For codes 1 and 2 `row`
    // names the offending grid row; for 3 and 4 it is left as it was. In new mode an
    // operation's limits are compared with the sums of its rows' quantities; in edit mode
    // with the sums of the rows' changes since they were last stored, since the service's
    // limits already count the stored drafts.
    Result CheckRowQuantities(int& row);

    // One operation's sums of the given rows, for the commands over a selection.
    struct OperationSums {
        QString key;  // internal id, tab, operation id
        double receive = 0;
        double handOver = 0;
    };
    // The limit check of a command over sums: 3 or 4 as above, or 0.
    Result CheckLimits(const QVector<OperationSums>& sums, int mode);
    // Adds a row's received and handed-over quantities (less `stored` ones) to the sums.
    void AddRow(QVector<OperationSums>& sums, int row, double storedReceive = 0,
                double storedHandOver = 0) const;

  private:
    WorkbenchState& state_;
};

}  // namespace sp
