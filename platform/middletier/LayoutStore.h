#pragma once

#include <QString>

#include "platform/db/Database.h"
#include "src/common/Recordset.h"

namespace sp::platform {

// Per-user column layouts in SHRptDef ('WorkBill' for the work bill list, 'ProcRpt'
// for the report grid). A user without rows of a type gets the default layout
// stored first, so the column settings dialog finds rows to update.
class LayoutStore {
  public:
    explicit LayoutStore(Database& db) : db_(db) {}

    // Ffield, Fname, Fshow, Fwidth in display order (Forder, ties on FSeq).
    RecordsetPtr Title(const QString& type, qint32 userId);

    static QString WorkBillType() { return QStringLiteral("WorkBill"); }
    static QString ReportType() { return QStringLiteral("ProcRpt"); }

  private:
    RecordsetPtr Read(const QString& type, qint32 userId);
    // True when every row of the default went in.
    bool StoreDefault(const QString& type, qint32 userId);
    Database& db_;
};

}  // namespace sp::platform
