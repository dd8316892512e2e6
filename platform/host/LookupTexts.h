#pragma once

#include <QString>

// Texts of the host's lookup dialogs and resource browser.
namespace sp::platform::LookupTexts {

inline QString Number() { return QStringLiteral("代码"); }
inline QString ShortNumber() { return QStringLiteral("简码"); }
inline QString Name() { return QStringLiteral("名称"); }
inline QString Level() { return QStringLiteral("明细"); }
inline QString DeviceType() { return QStringLiteral("设备类型"); }
inline QString WorkCenter() { return QStringLiteral("工作中心"); }

inline QString DepartmentCaption() { return QStringLiteral("部门"); }
inline QString EmployeeCaption() { return QStringLiteral("职员"); }
inline QString WorkCenterCaption() { return QStringLiteral("工作中心"); }
inline QString ProcessCaption() { return QStringLiteral("工序"); }
inline QString TeamCaption() { return QStringLiteral("班组"); }
inline QString SubMessageCaption() { return QStringLiteral("辅助资料"); }
inline QString DeviceCaption() { return QStringLiteral("设备"); }

}  // namespace sp::platform::LookupTexts
