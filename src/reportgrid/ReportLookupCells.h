#pragma once

#include <QString>
#include <QtGlobal>

#include "src/reportgrid/ReportColumns.h"

namespace sp {

struct WorkbenchState;

// The team, worker and device cells of the record grid (BZ, CZG, SYSB): the number in
// the key, the name in the text, found through the workbench's caches.
//
// A stored id that no record answers to any more is never dropped: the cell's text
// shows the id as a number, its key stays empty and its value holds the id. As long as
// that text is left as it is the cell keeps the id, and a save writes it back; only a
// changed text is resolved again.
class ReportLookupCells {
  public:
    explicit ReportLookupCells(WorkbenchState& state);

    static bool IsLookupCode(ReportCode code) {
        return code == ReportCode::BZ || code == ReportCode::CZG || code == ReportCode::SYSB;
    }

    // Fills the cell from a stored id (0: empty cell). Middle-tier failures raise, and
    // the cell then keeps the id as above.
    void ShowStored(int row, ReportCode code, qint32 id);
    // True while the cell shows a kept id that nobody changed.
    bool ShowsKeptId(int row, ReportCode code) const;
    // The id a save stores for the cell: its record's id by the key's number, else the
    // kept id, else 0.
    qint32 StoredId(int row, ReportCode code) const;
    // Empties text, key and kept id.
    void Clear(int row, ReportCode code) const;
    // The cell names a record of the cache: key = its number, text = its name.
    void Show(int row, ReportCode code, const QString& number, const QString& name) const;

  private:
    void KeepId(int row, ReportCode code, qint32 id) const;

    WorkbenchState& state_;
};

}  // namespace sp
