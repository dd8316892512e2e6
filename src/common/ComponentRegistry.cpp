#include "src/common/ComponentRegistry.h"

namespace sp {

void ComponentRegistry::RegisterErased(const QString& progId, Entry entry) {
    entries_.insert(progId.toLower(), std::move(entry));
}

const ComponentRegistry::Entry& ComponentRegistry::Lookup(const QString& progId) const {
    const auto it = entries_.constFind(progId.toLower());
    if (it == entries_.cend())
        throw ComError(429, progId, QStringLiteral("The component could not be created."));
    return it.value();
}

bool ComponentRegistry::IsRegistered(const QString& progId) const {
    return entries_.contains(progId.toLower());
}

void ComponentRegistry::Unregister(const QString& progId) { entries_.remove(progId.toLower()); }

}  // namespace sp
