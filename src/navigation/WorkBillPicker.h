#pragma once

#include <QString>

namespace sp {

class HostServices;

// The list of reportable work bills (list 601 of the host's list selection) that the
// lookup command opens on a work bill cell.
class WorkBillPicker {
  public:
    explicit WorkBillPicker(HostServices& host);

    // The picked work bill's number; "" when the list was cancelled, nothing was picked
    // or the picked entry names no work bill.
    QString PickWorkBillNumber();

    // Only work bills of released, open, running production tasks are offered.
    static QString ListFilter() {
        return QStringLiteral(
            " (u1.FCancellation = 0 and u1.FStatus=1 And t3.Fstatus in (1,2) and t3.Fsuspend=0 ) ");
    }

  private:
    HostServices& host_;
};

}  // namespace sp
