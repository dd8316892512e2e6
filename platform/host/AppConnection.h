#pragma once

#include <memory>
#include <vector>

#include "platform/db/Database.h"
#include "src/entry/HostInterfaces.h"

namespace sp::platform {

// Q8Connection.AppConnection over the process's database. Cheap: it borrows the
// calling thread's pooled connection, so one object per statement costs nothing.
// Statements run as written, except the host's server-date query, which is
// answered in the database's own dialect. A transaction still open when the
// object dies is rolled back. Use an object on one thread.
class AppConnection : public IAppConnection {
  public:
    explicit AppConnection(std::shared_ptr<Database> db);
    ~AppConnection() override;

    RecordsetPtr Execute(const QString& sql) override;
    void BeginTrans() override;
    void CommitTrans() override;
    void RollbackTrans() override;

    // True for "Select Convert(varchar,GetDate(),101)" in any case and spacing.
    static bool IsServerDateQuery(const QString& sql);

  private:
    std::shared_ptr<Database> db_;
    std::vector<std::unique_ptr<Transaction>> transactions_;
};

}  // namespace sp::platform
