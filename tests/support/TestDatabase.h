#pragma once

#include <QString>
#include <QVariant>
#include <memory>
#include <string>

#include "platform/db/Database.h"

namespace sp::test {

enum class Backend { SQLite, PostgreSQL };

// For INSTANTIATE_TEST_SUITE_P name generators: "SQLite", "PostgreSQL".
std::string BackendName(Backend backend);

// A fresh database with every migration applied: a new SQLite file in a temporary
// folder, or a new database on the server of SHOPPROC_TEST_PG_URL. Removed (dropped)
// when the object dies. Without a server the PostgreSQL variant is skipped, except
// when SHOPPROC_REQUIRE_PG=1 (set by ./test), where it fails.
class TestDatabase {
  public:
    // Returns null after GTEST_SKIP/ADD_FAILURE when the backend is not available;
    // callers `if (!tdb) return;`.
    static std::unique_ptr<TestDatabase> Create(Backend backend);
    ~TestDatabase();

    std::shared_ptr<platform::Database> db() const { return db_; }
    // The URL the host would be given (--db) for this database.
    const QString& url() const { return url_; }
    // PostgreSQL: the database's name (its group roles carry it); empty on SQLite.
    const QString& name() const { return dropName_; }
    // PostgreSQL: the URL of this database for the login role `user` (made, and allowed to
    // sign in, when it is not yet; the server trusts local connections), as a clerk's
    // workstation connects; SQLite: url(). The user is the database's to add (AddUser).
    QString UrlAs(const QString& user) const;
    // PostgreSQL: the first value the statement reads in a session of this database that is
    // none of the pool's, as an administrator's tool opens one: the server's defaults, and
    // the right to end other sessions.
    QVariant OutsideValue(const QString& sql) const;
    // That database opened as the user's role.
    std::shared_ptr<platform::Database> OpenAs(const QString& user) const;

  private:
    TestDatabase() = default;
    std::shared_ptr<platform::Database> db_;
    QString url_;
    QString dropName_;
    QString tempDir_;
};

}  // namespace sp::test
