#pragma once

#include <QString>

#include "src/entry/HostInterfaces.h"

namespace sp::platform {

// The local list file as the host's Q8Host.LocalDatabase: opened read-only with the
// SQLite driver and its catalogue read, so a file that is not a database is refused.
class LocalSwitchDatabase : public ILocalDatabase {
  public:
    QString Connect(const QString& path) override;
};

}  // namespace sp::platform
