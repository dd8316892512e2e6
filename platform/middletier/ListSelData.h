#pragma once

#include <memory>

#include "platform/db/Database.h"
#include "src/entry/HostInterfaces.h"

namespace sp::platform {

// Q8Host.ListSelData: the host's selection lists 601 (reportable work bills) and 36
// (production tasks). Filters arrive as SQL text in the list's own aliases (601: t3
// the work bill, u1 and v1 its production task; 36: v1 the production task) and are
// appended as the caller wrote them; the search text is bound.
class ListSelData : public IListSelData {
  public:
    static constexpr qint32 WorkBills = 601;
    static constexpr qint32 ProductionTasks = 36;

    explicit ListSelData(std::shared_ptr<Database> db) : db_(std::move(db)) {}

    bool Open(const QString& baseInfo, const QString& localCnn) override;
    QString ListName(qint32 listId) override;
    // Fields "FField" (the row field) and "FTitle" (the column title).
    Recordset Columns(qint32 listId) override;
    // The shown fields, then FInterID (and for 601 FEntryID); FInterID of list 601 is
    // the work bill's FWBInterID.
    RecordsetPtr Rows(qint32 listId, const QString& filter, const QString& searchText, int maxRows) override;

  private:
    std::shared_ptr<Database> db_;
};

}  // namespace sp::platform
