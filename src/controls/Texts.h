#pragma once

#include <QString>

// What the headless controls put on paper or screen themselves.
namespace sp::ControlTexts {

inline QString PageOf(int page, int pages) {
    return QStringLiteral("第 %1 页，共 %2 页").arg(page).arg(pages);
}

}  // namespace sp::ControlTexts
