#pragma once

#include <QString>

// The list selection form's own texts.
namespace sp::frmListTexts {

// Provisional caption, translated, until the list's name is known.
inline QString ProvisionalCaption() { return QStringLiteral("##"); }
// Follows the list's name in the caption.
inline QString JournalSuffix() { return QStringLiteral("序时薄"); }

}  // namespace sp::frmListTexts
