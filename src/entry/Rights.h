#pragma once

#include <QtGlobal>

// The rights of the process report function (subsystem 1024, function 30 in t_UserRight and
// the host's access check): bits of one 32-bit mask per user. The workbench asks for them,
// the service checks them again, the host's user commands grant them and, on PostgreSQL,
// each bit is the membership of one of the database's group roles.
namespace sp::Rights {
constexpr qint32 Open = 0x200000;  // opening the workbench at all
constexpr qint32 NewReports = 0x20000;
constexpr qint32 ChangeReports = 0x400000;  // unaudited ones
constexpr qint32 Audit = 0x1;               // audit and unaudit, posting the quantities
constexpr qint32 Delete = 0x10000;          // unaudited reports
// The summary of reports by worker, team, device...: its fees are wages, so it is a right
// of its own, beside the reports, which every user of the workbench reads.
constexpr qint32 Summary = 0x800000;
constexpr qint32 All = Open | NewReports | ChangeReports | Audit | Delete | Summary;
}  // namespace sp::Rights
