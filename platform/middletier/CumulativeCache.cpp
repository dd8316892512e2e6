#include "platform/middletier/CumulativeCache.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "src/common/Basic.h"

namespace sp::platform {
namespace {

constexpr qint64 kLifetimeMs = 2000;
constexpr int kMaxEntries = 64;

struct Entry {
    std::vector<qint64> serials;
    std::vector<CumulativeCache::Totals> running;
    quint64 generation = 0;
    QElapsedTimer age;
};

std::atomic<quint64> generation{1};
QMutex mutex;

QHash<QString, std::shared_ptr<const Entry>>& Entries() {
    static QHash<QString, std::shared_ptr<const Entry>> entries;
    return entries;
}

std::shared_ptr<const Entry> Load(Database& db, const QString& workBillNo) {
    auto loaded = std::make_shared<Entry>();
    Entry& e = *loaded;
    e.generation = generation.load();
    e.age.start();
    RecordsetPtr rs = db.Query(
        QStringLiteral("SELECT PR.Fserial, PR.FAuxQtyFinish, PR.FAuxQtyReceive, PR.FAuxQtyHandOver "
                       "FROM SHProcRpt PR JOIN SHWorkBillEntry WBE ON WBE.FWBInterID = PR.FWBInterID "
                       "WHERE WBE.FWorkBillNO = ? ORDER BY PR.Fserial"),
        {workBillNo});
    CumulativeCache::Totals sum;
    for (const QVariantList& row : rs->Rows()) {
        sum.reported += Basic::Dbl(row.at(1));
        sum.received += Basic::Dbl(row.at(2));
        sum.handedOver += Basic::Dbl(row.at(3));
        e.serials.push_back(row.at(0).toLongLong());
        e.running.push_back(sum);
    }
    return loaded;
}

}  // namespace

CumulativeCache::Totals CumulativeCache::UpTo(Database& db, const QString& workBillNo, qint64 serial) {
    // The database's address alone could be reused by a later database of the process.
    const QString key = db.url().ToString() + QLatin1Char('\t') + workBillNo;
    std::shared_ptr<const Entry> entry;
    {
        QMutexLocker lock(&mutex);
        auto it = Entries().find(key);
        if (it != Entries().end() && (*it)->generation == generation.load() &&
            (*it)->age.elapsed() < kLifetimeMs)
            entry = *it;
    }
    if (!entry) {
        entry = Load(db, workBillNo);
        QMutexLocker lock(&mutex);
        if (Entries().size() >= kMaxEntries)
            Entries().clear();
        Entries().insert(key, entry);
    }
    const auto pos = std::upper_bound(entry->serials.begin(), entry->serials.end(), serial);
    if (pos == entry->serials.begin())
        return Totals{};
    return entry->running[static_cast<size_t>(pos - entry->serials.begin()) - 1];
}

void CumulativeCache::Invalidate() { ++generation; }

}  // namespace sp::platform
