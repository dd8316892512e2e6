#include "src/lookups/CachedLookups.h"

namespace sp {

namespace {

// Id and number may both resolve to a record the cache already holds under its number
// (a record picked in a lookup, or one with another id that shares the number); the
// cached one wins, so the cache never holds two records of one number.
template <class Cache, class Ptr, class IdOf, class Make>
Ptr CachedById(Cache& cache, qint32 id, IdOf idOf, Make make) {
    if (Ptr hit = cache.FindIf([&](const auto& r) { return idOf(r) == id; }))
        return hit;
    Ptr record = make();
    // An id no record has any more finds no number: such a record is not cached.
    if (record->Number().isEmpty())
        return record;
    if (cache.Contains(record->Number()))
        return cache.Item(record->Number());
    cache.Add(record);
    return record;
}

}  // namespace

EmpPtr CachedEmpById(Emps& cache, HostServices& host, qint32 id) {
    return CachedById<Emps, EmpPtr>(
        cache, id, [](const Emp& e) { return e.EID(); },
        [&] {
            auto e = std::make_shared<Emp>(&host);
            e->SetEID(id);
            return e;
        });
}

DevPtr CachedDevById(Devs& cache, HostServices& host, qint32 id) {
    return CachedById<Devs, DevPtr>(
        cache, id, [](const Dev& d) { return d.DID(); },
        [&] {
            auto d = std::make_shared<Dev>(&host);
            d->SetDID(id);
            return d;
        });
}

TeamPtr CachedTeamById(Teams& cache, HostServices& host, qint32 id) {
    return CachedById<Teams, TeamPtr>(
        cache, id, [](const Team& t) { return t.TID(); },
        [&] {
            auto t = std::make_shared<Team>(&host);
            t->SetTID(id);
            return t;
        });
}

}  // namespace sp
