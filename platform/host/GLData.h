#pragma once

#include <memory>

#include "platform/db/Database.h"
#include "src/entry/HostInterfaces.h"

namespace sp::platform {

// NXCGLView.GLData over the rights, usage log and employee tables.
class GLData : public IGLData {
  public:
    GLData(std::shared_ptr<Database> db, qint32 userId, QString computerName);

    // True when the user's mask for (subsystem, function) holds every bit asked for.
    bool AccessCheck(qint32 subsystem, qint16 function, qint32 rightMask) override;
    void WriteLog(const QString& functionCode, qint16 action) override;
    // Employees (class 3) by long or short number, letter case ignored, detail entries
    // only; nullptr for other classes.
    BaseItemPtr GetItem(qint32 itemClass, const QVariant& optional, const QString& number) override;

    static constexpr qint32 EmployeeClass = 3;

  private:
    std::shared_ptr<Database> db_;
    qint32 userId_;
    QString computerName_;
};

}  // namespace sp::platform
