#pragma once

#include <QString>

// What the controls' own windows show.
namespace sp::ControlViewTexts {

// The help window: its title (with the guide's own title when it has one), its buttons
// and its find bar.
inline QString HelpTitle() { return QStringLiteral("帮助"); }
inline QString HelpTitleOf(const QString& documentTitle) {
    return documentTitle.isEmpty() ? HelpTitle() : HelpTitle() + QStringLiteral(" - ") + documentTitle;
}
inline QString HelpBack() { return QStringLiteral("后退"); }
inline QString HelpForward() { return QStringLiteral("前进"); }
inline QString HelpFind() { return QStringLiteral("查找"); }
inline QString HelpFindLabel() { return QStringLiteral("查找："); }
inline QString HelpFindPlaceholder() { return QStringLiteral("Enter 下一个，Shift+Enter 上一个，Esc 关闭"); }
inline QString HelpNotFound(const QString& text) { return QStringLiteral("找不到“%1”").arg(text); }

}  // namespace sp::ControlViewTexts
