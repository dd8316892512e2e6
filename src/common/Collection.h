#pragma once

#include <QString>
#include <QVector>
#include <utility>

#include "src/common/ComError.h"

namespace sp {

// The host's ordered collection: items in insertion order, optionally under a key.
// Keys are compared without regard to case; positions count from 1. A missing
// position or key, or a key added twice, raises ComError.
template <class T>
class Collection {
  public:
    const T& Add(const T& item, const QString& key = QString()) {
        if (!key.isNull() && Find(key) >= 0)
            throw ComError(
                457, Source(),
                QStringLiteral("This key is already associated with an element of this collection: %1")
                    .arg(key));
        items_.append({key, item});
        return items_.back().second;
    }
    const T& Item(int position) const { return items_.at(CheckedPosition(position)).second; }
    T& Item(int position) { return items_[CheckedPosition(position)].second; }
    const T& Item(const QString& key) const { return items_.at(CheckedKey(key)).second; }
    T& Item(const QString& key) { return items_[CheckedKey(key)].second; }
    bool Contains(const QString& key) const { return Find(key) >= 0; }
    int Count() const { return static_cast<int>(items_.size()); }
    void Remove(int position) { items_.removeAt(CheckedPosition(position)); }
    void Remove(const QString& key) { items_.removeAt(CheckedKey(key)); }
    void Clear() { items_.clear(); }

    // Range-for over the items in insertion order (NewEnum).
    class const_iterator {
      public:
        using Inner = typename QVector<std::pair<QString, T>>::const_iterator;
        explicit const_iterator(Inner it) : it_(it) {}
        const T& operator*() const { return it_->second; }
        const T* operator->() const { return &it_->second; }
        const_iterator& operator++() {
            ++it_;
            return *this;
        }
        bool operator!=(const const_iterator& o) const { return it_ != o.it_; }
        bool operator==(const const_iterator& o) const { return it_ == o.it_; }

      private:
        Inner it_;
    };
    const_iterator begin() const { return const_iterator(items_.cbegin()); }
    const_iterator end() const { return const_iterator(items_.cend()); }

  private:
    static QString Source() { return QStringLiteral("Collection"); }
    qsizetype Find(const QString& key) const {
        for (qsizetype i = 0; i < items_.size(); ++i)
            if (!items_[i].first.isNull() && items_[i].first.compare(key, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
    qsizetype CheckedPosition(int position) const {
        if (position < 1 || position > items_.size())
            throw ComError(9, Source(), QStringLiteral("Subscript out of range: %1").arg(position));
        return position - 1;
    }
    qsizetype CheckedKey(const QString& key) const {
        const qsizetype i = Find(key);
        if (i < 0)
            throw ComError(5, Source(), QStringLiteral("No element with key: %1").arg(key));
        return i;
    }

    QVector<std::pair<QString, T>> items_;
};

}  // namespace sp
