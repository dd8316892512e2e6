#pragma once

#include <QString>
#include <QtGlobal>

// Right masks asked of the host's access check (with 1024 and 30) and the usage log
// codes the workbench writes.
namespace sp::Rights {
constexpr qint32 UseWorkbench = 0x200000;
constexpr qint32 AuditReports = 1;  // audit and unaudit
constexpr qint32 DeleteReports = 0x10000;
constexpr qint32 NewReports = 0x20000;
constexpr qint32 EditReports = 0x400000;
}  // namespace sp::Rights

namespace sp::LogCode {
inline QString Workbench() { return QStringLiteral("CJ1000"); }  // action 1 entering, 3 leaving
inline QString SaveEdit() { return QStringLiteral("CJ1001"); }
inline QString SaveNew() { return QStringLiteral("CJ1002"); }
inline QString Delete() { return QStringLiteral("CJ1003"); }
inline QString Audit() { return QStringLiteral("CJ1004"); }
inline QString UnAudit() { return QStringLiteral("CJ1005"); }
constexpr qint16 Enter = 1;
constexpr qint16 Leave = 3;
}  // namespace sp::LogCode

// The report id of the workbench's filter dialog (its bounds and plans).
namespace sp::WorkbenchIds {
constexpr qint32 FilterReportId = 600;
}  // namespace sp::WorkbenchIds
