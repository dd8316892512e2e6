#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <QUuid>
#include <mutex>

#include "platform/db/PgGuard.h"
#include "src/common/ComError.h"
#include "tests/support/DelayProxy.h"

namespace sp::test {

using namespace Qt::StringLiterals;
namespace {

QString PgUrlText() { return qEnvironmentVariable("SHOPPROC_TEST_PG_URL"); }

// Runs one statement (or none: only connects) in a session of its own, outside any pool (on
// the server's maintenance database: CREATE and DROP DATABASE cannot run inside a
// transaction or on the database concerned). Returns the error text, empty on success, and
// the first value read.
QString AdminExec(const platform::DatabaseUrl& server, const QString& sql = {}, QVariant* value = nullptr) {
    const QString name = u"sp-test-admin-%1"_s.arg(QUuid::createUuid().toString(QUuid::Id128));
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, name);
        db.setHostName(server.host);
        db.setPort(server.port);
        db.setUserName(server.user);
        db.setPassword(server.password);
        db.setDatabaseName(server.name);
        db.setConnectOptions(u"connect_timeout=3"_s);
        if (!db.open())
            error = db.lastError().text();
        else if (QSqlQuery query(db); !sql.isEmpty() && !query.exec(sql))
            error = query.lastError().text();
        else if (value && query.next())
            *value = query.value(0);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return error;
}

bool ParseServer(platform::DatabaseUrl& server) {
    try {
        server = platform::DatabaseUrl::Parse(PgUrlText());
    } catch (const ComError&) {
        return false;  // unset or malformed
    }
    return server.dialect == platform::Dialect::PostgreSQL;
}

// The host needs the password in the URL; DatabaseUrl::ToString masks it.
QString WithPassword(const platform::DatabaseUrl& url) {
    QUrl text(url.ToString());
    text.setPassword(url.password);
    return text.toString();
}

// With SHOPPROC_TEST_RTT_MS set, the PostgreSQL databases the tests open (and hand to
// the programs they start) are reached through a relay that delays each direction by half
// that many milliseconds, as a server across a network is; the tests' own administration
// goes direct. One relay for the whole run.
void ThroughRelay(platform::DatabaseUrl& url) {
    bool given = false;
    const int rtt = qEnvironmentVariableIntValue("SHOPPROC_TEST_RTT_MS", &given);
    if (!given)
        return;
    static const std::unique_ptr<DelayProxy> relay = std::make_unique<DelayProxy>(url.host, url.port, rtt);
    url.host = u"127.0.0.1"_s;
    url.port = relay->Port();
}

// GTEST_SKIP returns from the function it is used in: keep it out of Create.
void Skip(const char* why) { GTEST_SKIP() << why; }

// True when SHOPPROC_TEST_PG_URL names a reachable server (./test starts one).
bool PostgresAvailable() {
    // Asked by many parameterised suites; the answer does not change during a run.
    static std::once_flag once;
    static bool available = false;
    std::call_once(once, [] {
        platform::DatabaseUrl server;
        if (!ParseServer(server))
            return;
        available = AdminExec(server).isEmpty();
    });
    return available;
}

}  // namespace

std::string BackendName(Backend backend) { return backend == Backend::SQLite ? "SQLite" : "PostgreSQL"; }

std::unique_ptr<TestDatabase> TestDatabase::Create(Backend backend) {
    std::unique_ptr<TestDatabase> result(new TestDatabase);
    if (backend == Backend::SQLite) {
        QTemporaryDir dir(QDir::tempPath() + u"/shopproc-test-XXXXXX"_s);
        if (!dir.isValid()) {
            ADD_FAILURE() << "cannot create a temporary folder: " << dir.errorString().toStdString();
            return nullptr;
        }
        dir.setAutoRemove(false);
        result->tempDir_ = dir.path();
        result->url_ = u"sqlite:%1/test.db"_s.arg(dir.path());
    } else {
        platform::DatabaseUrl server;
        if (!ParseServer(server) || !PostgresAvailable()) {
            if (qEnvironmentVariable("SHOPPROC_REQUIRE_PG") == u"1"_s)
                ADD_FAILURE() << "PostgreSQL required (SHOPPROC_REQUIRE_PG=1) but SHOPPROC_TEST_PG_URL \""
                              << PgUrlText().toStdString() << "\" is not reachable";
            else
                Skip("PostgreSQL not available (set SHOPPROC_TEST_PG_URL)");
            return nullptr;
        }
        const QString name = u"sptest_%1"_s.arg(QUuid::createUuid().toString(QUuid::Id128));
        const QString error =
            AdminExec(server, u"CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0"_s.arg(name));
        if (!error.isEmpty()) {
            ADD_FAILURE() << "cannot create a test database: " << error.toStdString();
            return nullptr;
        }
        result->dropName_ = name;
        platform::DatabaseUrl url = server;
        url.name = name;
        ThroughRelay(url);
        result->url_ = WithPassword(url);
    }
    try {
        result->db_ = platform::Database::Open(platform::DatabaseUrl::Parse(result->url_));
    } catch (const ComError& e) {
        ADD_FAILURE() << "cannot open the test database: " << e.Description().toStdString();
        return nullptr;
    }
    return result;
}

QString TestDatabase::UrlAs(const QString& user) const {
    if (dropName_.isEmpty())
        return url_;
    platform::DatabaseUrl server;
    if (!ParseServer(server))
        return url_;
    // Roles are the server's: tests running side by side may make the same one at once.
    const QString sql =
        u"DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = %1) THEN CREATE "
        "ROLE %2 LOGIN; ELSIF NOT (SELECT rolcanlogin FROM pg_roles WHERE rolname = %1) "
        "THEN ALTER ROLE %2 LOGIN; END IF; EXCEPTION WHEN duplicate_object OR "
        "unique_violation THEN NULL; END $$"_s.arg(u"'%1'"_s.arg(QString(user).replace(u'\'', u"''"_s)),
                                                   platform::PgGuard::QuoteIdent(user));
    QString error;
    for (int attempt = 0; attempt < 5; ++attempt)
        if ((error = AdminExec(server, sql)).isEmpty())
            break;
    EXPECT_TRUE(error.isEmpty()) << "cannot make the role " << user.toStdString() << ": "
                                 << error.toStdString();
    platform::DatabaseUrl url = platform::DatabaseUrl::Parse(url_);
    url.user = user;
    url.password.clear();
    return WithPassword(url);
}

QVariant TestDatabase::OutsideValue(const QString& sql) const {
    QVariant value;
    const QString error = AdminExec(platform::DatabaseUrl::Parse(url_), sql, &value);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    return value;
}

std::shared_ptr<platform::Database> TestDatabase::OpenAs(const QString& user) const {
    return platform::Database::Open(platform::DatabaseUrl::Parse(UrlAs(user)),
                                    platform::SchemaPolicy::Require);
}

TestDatabase::~TestDatabase() {
    db_.reset();  // closes every pooled connection, so the database can be dropped
    if (!dropName_.isEmpty()) {
        platform::DatabaseUrl server;
        if (ParseServer(server)) {
            AdminExec(server, u"DROP DATABASE IF EXISTS %1 WITH (FORCE)"_s.arg(dropName_));
            // Its group roles go with it; the users' login roles are shared by every test.
            AdminExec(server,
                      u"DO $$ DECLARE r record; BEGIN FOR r IN SELECT rolname FROM "
                      "pg_roles WHERE rolname LIKE '%1\\_%' LOOP EXECUTE "
                      "format('DROP ROLE %I', r.rolname); END LOOP; END $$"_s.arg(dropName_));
        }
    }
    if (!tempDir_.isEmpty())
        QDir(tempDir_).removeRecursively();
}

}  // namespace sp::test
