#pragma once

#include <QString>

// What the dialogs' views show of their own, beside the texts their forms give them.
namespace sp::DialogTexts {

// The button beside a filter box that opens the box's lookup.
inline QString LookupButton() { return QStringLiteral("..."); }

}  // namespace sp::DialogTexts
