#include "src/filters/FilterBoxInput.h"

namespace sp {

bool FilterBoxInput::IsRefused(QChar c) {
    return c == QLatin1Char('\'') || c == QLatin1Char('|') || c == QLatin1Char('#') ||
           (c.category() == QChar::Other_Control);
}

bool FilterBoxInput::RefusesTyped(const QString& typed) {
    for (QChar c : typed)
        if (c == QLatin1Char('\'') || c == QLatin1Char('|') || c == QLatin1Char('#'))
            return true;
    return false;
}

QString FilterBoxInput::Clean(const QString& text) {
    QString cleaned;
    cleaned.reserve(text.size());
    for (QChar c : text)
        if (!IsRefused(c))
            cleaned.append(c);
    return cleaned;
}

}  // namespace sp
