#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <typeindex>

#include "src/common/ComError.h"
#include "src/common/Export.h"

namespace sp {

// ProgID -> factory of a typed interface. The component creates every host and
// middle-tier object through here, anew for each call; the platform (or a test)
// registers what answers. ProgIDs compare without regard to case.
class SPCOMMON_EXPORT ComponentRegistry {
  public:
    template <class I>
    void Register(const QString& progId, std::function<std::shared_ptr<I>()> factory) {
        Entry e{std::type_index(typeid(I)),
                [f = std::move(factory)]() -> std::shared_ptr<void> { return f(); }};
        RegisterErased(progId, std::move(e));
    }

    // Raises ComError 429 when nothing is registered under the ProgID or it serves
    // another interface.
    template <class I>
    std::shared_ptr<I> Create(const QString& progId) const {
        const Entry& e = Lookup(progId);
        if (e.type != std::type_index(typeid(I)))
            throw ComError(429, progId,
                           QStringLiteral("The component does not serve the requested interface."));
        auto object = std::static_pointer_cast<I>(e.factory());
        if (!object)
            throw ComError(429, progId, QStringLiteral("The component could not be created."));
        return object;
    }

    bool IsRegistered(const QString& progId) const;
    void Unregister(const QString& progId);

  private:
    struct Entry {
        std::type_index type;
        std::function<std::shared_ptr<void>()> factory;
    };
    void RegisterErased(const QString& progId, Entry entry);
    const Entry& Lookup(const QString& progId) const;

    QHash<QString, Entry> entries_;
};

}  // namespace sp
