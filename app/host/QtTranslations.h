#pragma once

#include <QString>

namespace sp::host {

// Loads Qt's own Chinese texts (the qtbase catalog an installed program brings, else
// the distribution's), so the buttons of message boxes and standard dialogs read 确定,
// 取消, 是 and 否 like the rest of the window. False, with a line in the application
// log, when the catalog is missing: the buttons then keep Qt's English texts. Needs the
// application object.
bool InstallQtTranslations(const QString& locale = QStringLiteral("zh_CN"));

}  // namespace sp::host
