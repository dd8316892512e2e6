#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "src/common/Collection.h"

namespace sp {

// An ordered collection of lookup records keyed by their number, case ignored. Records
// are shared: the one added is the one returned and the one later found by Item.
// Missing keys and positions, and a number added twice, raise ComError to the caller.
template <class Record>
class KeyedRecords {
  public:
    using Ptr = std::shared_ptr<Record>;

    const Ptr& Add(const Ptr& record) { return items_.Add(record, KeyOf(record)); }
    const Ptr& Item(int position) const { return items_.Item(position); }
    const Ptr& Item(const QString& number) const { return items_.Item(KeyOf(number)); }
    bool Contains(const QString& number) const { return items_.Contains(KeyOf(number)); }
    int Count() const { return items_.Count(); }
    void Remove(int position) { items_.Remove(position); }
    void Remove(const QString& number) { items_.Remove(KeyOf(number)); }
    void Clear() { items_.Clear(); }

    // The first record that satisfies the test, or null.
    Ptr FindIf(const std::function<bool(const Record&)>& test) const {
        for (const Ptr& r : items_)
            if (r && test(*r))
                return r;
        return nullptr;
    }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

  private:
    // A record without a number is still keyed (by the empty text), so a second one
    // is refused like any other duplicate instead of slipping in unkeyed.
    static QString KeyOf(const QString& number) { return number.isNull() ? QStringLiteral("") : number; }
    static QString KeyOf(const Ptr& record) { return KeyOf(record ? record->Number() : QString()); }

    Collection<Ptr> items_;
};

}  // namespace sp
