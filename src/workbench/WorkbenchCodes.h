#pragma once

#include <QString>
#include <QtGlobal>

// The usage log codes the workbench writes (its rights: src/entry/Rights.h).
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
