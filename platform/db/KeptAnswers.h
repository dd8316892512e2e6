#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QString>
#include <QVariant>
#include <atomic>
#include <optional>

namespace sp::platform {

// Drops every kept answer of the process: for a caller that changed what they answer
// behind the service's back (an administrator's command, a test).
inline std::atomic<quint64>& KeptAnswersGeneration() {
    static std::atomic<quint64> generation{0};
    return generation;
}
inline void ForgetKeptAnswers() { ++KeptAnswersGeneration(); }

// Answers of the database kept for a few seconds (KeptMs unless told otherwise), by key
// (the key names the database too). The workbench asks the same questions many times
// within one clerk action (the rights at every command, an operation's limits for each of
// its two checks, a work bill's id for every row); across a network each question is a
// round trip. A kept answer may be stale against another workstation's change for as long
// as it is kept; this process's own report writes drop the answers that depend on reports
// (Forget). The service checks again as it writes, so a stale answer never stores what the
// database would refuse (docs/decisions.md).
template <typename T>
class KeptAnswers {
  public:
    static constexpr qint64 KeptMs = 5000;

    explicit KeptAnswers(qint64 keptMs = KeptMs) : keptMs_(keptMs) {}

    // The kept answer for key, else read()'s, kept from now on.
    template <typename Read>
    T Get(const QString& key, Read read) {
        if (std::optional<T> kept = Find(key))
            return *kept;
        T value = read();
        Keep(key, value);
        return value;
    }

    std::optional<T> Find(const QString& key) {
        QMutexLocker lock(&mutex_);
        const auto it = entries_.constFind(key);
        if (it != entries_.constEnd() && it->age.elapsed() < keptMs_ &&
            it->generation == KeptAnswersGeneration().load())
            return it->value;
        return std::nullopt;
    }

    void Keep(const QString& key, const T& value) {
        Entry entry{value, {}, KeptAnswersGeneration().load()};
        entry.age.start();
        QMutexLocker lock(&mutex_);
        if (entries_.size() > 1000)
            entries_.clear();
        entries_.insert(key, entry);
    }

    // The kept answer for key, given once: it is forgotten as it is given.
    std::optional<T> Take(const QString& key) {
        std::optional<T> kept = Find(key);
        if (kept) {
            QMutexLocker lock(&mutex_);
            entries_.remove(key);
        }
        return kept;
    }

    void Forget() {
        QMutexLocker lock(&mutex_);
        entries_.clear();
    }

  private:
    struct Entry {
        T value;
        QElapsedTimer age;
        quint64 generation;
    };
    const qint64 keptMs_;
    QMutex mutex_;
    QHash<QString, Entry> entries_;
};

// The rights masks users hold (t_UserRight.FRights, NULL for no row) as read a moment ago,
// by database, user, subsystem and function: the workbench's access checks read them as the
// clerk works, and the service's own checks before its writes take what they read.
inline KeptAnswers<QVariant>& KeptRightsMasks() {
    static KeptAnswers<QVariant> kept;
    return kept;
}
// System switches (t_SystemProfile.FValue, NULL for no row) as read a moment ago, by database,
// category and key, kept a minute: an administrator sets one once in a long while, and a
// statement that runs anyway may read one ahead for the command that asks next.
inline KeptAnswers<QVariant>& KeptSwitches() {
    static KeptAnswers<QVariant> kept(60000);
    return kept;
}
inline QString SwitchKey(const QString& database, const QString& category, const QString& key) {
    return database + QLatin1Char('\t') + category + QLatin1Char('\t') + key;
}
inline QString RightsMaskKey(const QString& database, qint32 userId, qint32 subsystem, qint32 function) {
    return QStringLiteral("%1\t%2\t%3\t%4").arg(database).arg(userId).arg(subsystem).arg(function);
}

}  // namespace sp::platform
