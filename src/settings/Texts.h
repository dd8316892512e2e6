#pragma once

#include <QString>

// The column settings dialog's own texts.
namespace sp::SettingsTexts {

inline QString SetColCaption() { return QStringLiteral("列设置（显示/顺序/隐藏）"); }
inline QString SetColListLabel() { return QStringLiteral("列(&L):"); }
inline QString SetColDefault() { return QStringLiteral("恢复默认设置(&S)"); }
inline QString SetColMoveUp() { return QStringLiteral("上移(&U)"); }
inline QString SetColMoveDown() { return QStringLiteral("下移(&D)"); }
inline QString SetColAll() { return QStringLiteral("全选(&A)"); }
inline QString SetColNone() { return QStringLiteral("全清(&R)"); }
inline QString SetColOK() { return QStringLiteral("确定(&O)"); }
inline QString SetColCancel() { return QStringLiteral("取消(&C)"); }
// The columns stay as stored; the reason follows.
inline QString LayoutNotStored() { return QStringLiteral("列设置未能保存，仍按原来的设置显示——"); }

}  // namespace sp::SettingsTexts
