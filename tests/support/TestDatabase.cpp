#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <QUuid>
#include <mutex>

#include "common/ComError.h"

namespace sp::testing {
namespace {

QString PgUrlText() {
    return qEnvironmentVariable("SHOPPROC_TEST_PG_URL");
}
bool PgRequired() {
    return qEnvironmentVariable("SHOPPROC_REQUIRE_PG") == QStringLiteral("1");
}

// Runs statements on the server's maintenance database, outside any pool: CREATE
// and DROP DATABASE cannot run inside a transaction or on the database concerned.
class AdminSession {
  public:
    explicit AdminSession(const platform::DatabaseUrl& server)
        : name_(QStringLiteral("sp-test-admin-%1").arg(QUuid::createUuid().toString(QUuid::WithoutBraces))) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name_);
        db.setHostName(server.host);
        db.setPort(server.port);
        db.setUserName(server.user);
        db.setPassword(server.password);
        db.setDatabaseName(server.name);
        db.setConnectOptions(QStringLiteral("connect_timeout=3"));
        ok_ = db.open();
        if (!ok_)
            error_ = db.lastError().text();
    }
    ~AdminSession() {
        {
            QSqlDatabase db = QSqlDatabase::database(name_, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name_);
    }
    bool ok() const { return ok_; }
    const QString& error() const { return error_; }
    bool Exec(const QString& sql) {
        QSqlQuery query(QSqlDatabase::database(name_, false));
        if (query.exec(sql))
            return true;
        error_ = query.lastError().text();
        return false;
    }

  private:
    QString name_;
    bool ok_ = false;
    QString error_;
};

bool ParseServer(platform::DatabaseUrl& server) {
    const QString text = PgUrlText();
    if (text.isEmpty())
        return false;
    try {
        server = platform::DatabaseUrl::Parse(text);
    } catch (const ComError&) {
        return false;
    }
    return server.dialect == platform::Dialect::PostgreSQL;
}

// The host needs the password in the URL; DatabaseUrl::ToString leaves it out.
QString WithPassword(const platform::DatabaseUrl& url) {
    QUrl text(url.ToString());
    text.setPassword(url.password);
    return text.toString();
}

// GTEST_SKIP returns from the function it is used in: keep it out of Create.
void Skip(const char* why) {
    GTEST_SKIP() << why;
}

}  // namespace

std::string BackendName(Backend backend) {
    return backend == Backend::SQLite ? "SQLite" : "PostgreSQL";
}

bool PostgresAvailable() {
    // Asked by many parameterised suites; the answer does not change during a run.
    static std::once_flag once;
    static bool available = false;
    std::call_once(once, [] {
        platform::DatabaseUrl server;
        if (!ParseServer(server))
            return;
        AdminSession session(server);
        available = session.ok();
    });
    return available;
}

std::unique_ptr<TestDatabase> TestDatabase::Create(Backend backend) {
    std::unique_ptr<TestDatabase> result(new TestDatabase);
    result->backend_ = backend;
    if (backend == Backend::SQLite) {
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/shopproc-test-XXXXXX"));
        if (!dir.isValid()) {
            ADD_FAILURE() << "cannot create a temporary folder: " << dir.errorString().toStdString();
            return nullptr;
        }
        dir.setAutoRemove(false);
        result->tempDir_ = dir.path();
        result->url_ = QStringLiteral("sqlite:%1/test.db").arg(dir.path());
    } else {
        platform::DatabaseUrl server;
        if (!ParseServer(server) || !PostgresAvailable()) {
            if (PgRequired())
                ADD_FAILURE() << "PostgreSQL required (SHOPPROC_REQUIRE_PG=1) but SHOPPROC_TEST_PG_URL \""
                              << PgUrlText().toStdString() << "\" is not reachable";
            else
                Skip("PostgreSQL not available (set SHOPPROC_TEST_PG_URL)");
            return nullptr;
        }
        const QString name = QStringLiteral("sptest_%1").arg(QUuid::createUuid().toString(QUuid::Id128));
        AdminSession session(server);
        if (!session.ok() ||
            !session.Exec(
                QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0").arg(name))) {
            ADD_FAILURE() << "cannot create a test database: " << session.error().toStdString();
            return nullptr;
        }
        result->dropName_ = name;
        platform::DatabaseUrl url = server;
        url.name = name;
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

TestDatabase::~TestDatabase() {
    db_.reset();  // closes every pooled connection, so the database can be dropped
    if (!dropName_.isEmpty()) {
        platform::DatabaseUrl server;
        if (ParseServer(server)) {
            AdminSession session(server);
            if (session.ok())
                session.Exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(dropName_));
        }
    }
    if (!tempDir_.isEmpty())
        QDir(tempDir_).removeRecursively();
}

}  // namespace sp::testing
