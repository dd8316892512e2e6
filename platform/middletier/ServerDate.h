#pragma once

#include <QDate>

#include "platform/db/Database.h"

namespace sp::platform {

// Today's date as the database server sees it (local time), so every workstation
// stamps audits and making dates alike.
QDate ServerDate(Database& db);

// The same date as an SQL expression, for statements that stamp a row with it without
// asking for the date first.
QString ServerDateSql(const Database& db);

}  // namespace sp::platform
