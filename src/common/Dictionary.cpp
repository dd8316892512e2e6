#include "src/common/Dictionary.h"

namespace sp {

void Dictionary::Set(const QString& key, const QVariant& value) {
    const qsizetype i = keys_.indexOf(key);
    if (i >= 0) {
        values_[i] = value;
        return;
    }
    keys_.append(key);
    values_.append(value);
}

QVariant Dictionary::Item(const QString& key) const {
    const qsizetype i = keys_.indexOf(key);
    return i >= 0 ? values_[i] : QVariant();
}

bool Dictionary::Exists(const QString& key) const { return keys_.contains(key); }

void Dictionary::Remove(const QString& key) {
    const qsizetype i = keys_.indexOf(key);
    if (i >= 0) {
        keys_.removeAt(i);
        values_.removeAt(i);
    }
}

void Dictionary::RemoveAll() {
    keys_.clear();
    values_.clear();
}

}  // namespace sp
