#pragma once

#include <QHash>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "platform/db/Database.h"
#include "platform/host/UsageLog.h"
#include "src/entry/HostInterfaces.h"

namespace sp::platform {

// NXCGLView.GLData over the rights, usage log and employee tables.
class GLData : public IGLData {
  public:
    // clock: milliseconds on a steady clock; empty for the process's own. usageLog: the
    // session's writer of usage lines; empty: one of its own.
    GLData(std::shared_ptr<Database> db, qint32 userId, QString computerName,
           std::function<qint64()> clock = {}, std::shared_ptr<UsageLog> usageLog = {});

    // True when the user's mask for (subsystem, function) holds every bit asked for.
    // The mask read is kept RightsKeptMs: the record grid asks for every cell the
    // cursor enters, and a right granted or taken away shows a few seconds later.
    bool AccessCheck(qint32 subsystem, qint16 function, qint32 rightMask) override;
    // Through the session's UsageLog: on PostgreSQL the command does not wait for it.
    void WriteLog(const QString& functionCode, qint16 action) override;
    // Employees (class 3) by long or short number, letter case ignored, detail entries
    // only; nullptr for other classes.
    BaseItemPtr GetItem(qint32 itemClass, const QVariant& optional, const QString& number) override;

    static constexpr qint32 EmployeeClass = 3;
    static constexpr qint64 RightsKeptMs = 5000;

  private:
    std::shared_ptr<Database> db_;
    qint32 userId_;
    QString computerName_;
    std::function<qint64()> clock_;
    std::shared_ptr<UsageLog> usageLog_;
    struct KeptRights {
        std::optional<quint32> granted;  // none: no rights row
        std::optional<qint64> readAt;    // none: never read
    };
    QHash<std::pair<qint32, qint32>, KeptRights> rights_;  // by subsystem and function
};

}  // namespace sp::platform
