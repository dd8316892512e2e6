#pragma once

#include <QString>
#include <memory>

#include "platform/db/Database.h"

namespace sp {
class ComponentRegistry;
class Ui;
}  // namespace sp

namespace sp::platform {

// Who is logged in where: what the host knows when it starts the component.
struct PlatformSession {
    std::shared_ptr<Database> db;
    qint32 userId = 0;
    QString userName;
    QString language;
    QString programFolder;  // settings files and the local switch file live here
    Ui* ui = nullptr;
};

// Registers every host and middle-tier component under its ProgID, all answering
// from the session's database. Raises ComError when the session cannot be carried
// in the login properties (LoginSession).
void RegisterPlatform(ComponentRegistry& registry, const PlatformSession& session);

}  // namespace sp::platform
