#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

#include "src/common/Export.h"

namespace sp {

// The host's keyed value store: string keys (compared exactly), QVariant values,
// insertion order kept. Setting a key that exists replaces its value in place.
class SPCOMMON_EXPORT Dictionary {
  public:
    void Set(const QString& key, const QVariant& value);
    // An absent key reads as an empty value.
    QVariant Item(const QString& key) const;
    bool Exists(const QString& key) const;
    void Remove(const QString& key);
    void RemoveAll();
    int Count() const { return static_cast<int>(keys_.size()); }
    const QStringList& Keys() const { return keys_; }

  private:
    QStringList keys_;
    QVector<QVariant> values_;
};

// Dictionaries travel by reference (the workbench keeps the filter dialog's own object).
using DictionaryPtr = std::shared_ptr<Dictionary>;
inline DictionaryPtr NewDictionary() { return std::make_shared<Dictionary>(); }

}  // namespace sp
