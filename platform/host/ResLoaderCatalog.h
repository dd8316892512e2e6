#pragma once

#include <QHash>
#include <QString>

namespace sp::platform {

// A language's text catalog: one "source=translation" per line, UTF-8. Lines that
// are empty, start with ";" or name a "[section]" are skipped ("#" is not a comment:
// "##" is one of the texts); the first "=" divides, so a source text cannot hold one
// (translations may). Blanks around both sides are dropped.
class ResLoaderCatalog {
  public:
    // The catalog "<folder>/<language>.ini"; empty when the file is missing or unreadable.
    static ResLoaderCatalog Load(const QString& folder, const QString& language);
    static ResLoaderCatalog Parse(const QString& text);

    // The translation, or a null QString when the catalog has none.
    QString Find(const QString& source) const { return texts_.value(source); }
    int Count() const { return static_cast<int>(texts_.size()); }

  private:
    QHash<QString, QString> texts_;
};

}  // namespace sp::platform
