#pragma once

#include <QString>

namespace sp {

// What the filter dialog lets into its boxes. The bounds end up inside quoted SQL
// literals and in "|"-separated texts, so "'", "|" and "#" never get in: a typed one
// is swallowed, and any other way in (paste, drag and drop, a hand-edited settings
// file, a plan) has them stripped while the rest of the text is kept. Line breaks
// and other control characters are stripped too: a bound is one line.
class FilterBoxInput {
  public:
    static bool IsRefused(QChar c);
    // True when a typed text (one key's worth) must be swallowed.
    static bool RefusesTyped(const QString& typed);
    // The text with every refused character removed.
    static QString Clean(const QString& text);
};

}  // namespace sp
