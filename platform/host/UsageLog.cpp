#include "platform/host/UsageLog.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include "platform/db/PgInline.h"
#include "src/common/ComError.h"
#include "src/common/ErrorLog.h"

namespace sp::platform {
namespace {

const QString kUsageLine = QStringLiteral(
    "INSERT INTO t_UsageLog (FUserID, FFunctionCode, FAction, FTime, FComputer) VALUES (?, ?, ?, ?, ?)");

}  // namespace

UsageLog::UsageLog(std::shared_ptr<Database> db, qint32 userId, QString computerName)
    : db_(std::move(db)), userId_(userId), computerName_(std::move(computerName)) {}

UsageLog::~UsageLog() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

void UsageLog::Write(const QString& functionCode, qint16 action) {
    Line line{functionCode, action, QDateTime::currentDateTime()};
    if (db_->dialect() != Dialect::PostgreSQL) {
        Store(line);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        lines_.push_back(std::move(line));
        // The thread and its session come with the first line: a workstation that runs
        // no command opens no third session.
        if (!worker_.joinable()) {
            connectionName_ =
                QStringLiteral("sp-usagelog-%1").arg(QUuid::createUuid().toString(QUuid::WithoutBraces));
            worker_ = std::thread([this] { Run(); });
        }
    }
    wake_.notify_all();
}

void UsageLog::Flush() {
    std::unique_lock lock(mutex_);
    written_.wait(lock, [this] { return lines_.empty() && writing_ == 0; });
}

void UsageLog::Run() {
    for (;;) {
        Line line;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || !lines_.empty(); });
            if (lines_.empty())
                break;
            line = std::move(lines_.front());
            lines_.pop_front();
            ++writing_;
        }
        Store(line);
        {
            std::lock_guard lock(mutex_);
            --writing_;
        }
        written_.notify_all();
    }
    QSqlDatabase::database(connectionName_, false).close();
    QSqlDatabase::removeDatabase(connectionName_);
}

// SQLite: through the shared connection. PostgreSQL (on the thread): its own session,
// opened again when the server lost it; the line goes as one statement.
void UsageLog::Store(const Line& line) {
    const QVariantList params{userId_, line.functionCode, line.action, line.time, computerName_};
    try {
        if (db_->dialect() != Dialect::PostgreSQL) {
            db_->Exec(kUsageLine, params);
            return;
        }
        // A line that fails is sent once more on a new session: the server may have lost
        // this one (a usage line twice does less harm than none).
        QString error;
        for (int sent = 0;;) {
            {
                QSqlDatabase session = QSqlDatabase::database(connectionName_, false);
                if (session.isOpen()) {
                    QSqlQuery query(session);
                    if (query.exec(PgInline(kUsageLine, params, *query.driver())))
                        return;
                    error = query.lastError().text();
                    if (++sent == 2)
                        break;
                }
            }
            QSqlDatabase::removeDatabase(connectionName_);
            db_->OpenDedicated(connectionName_);
        }
        throw ComError(ErrorNumber::Database, QStringLiteral("UsageLog"), error);
    } catch (const ComError& e) {
        ErrorLog::Write(QStringLiteral("GLData.WriteLog"),
                        QStringLiteral("The usage line %1 of user %2 was not written: %3")
                            .arg(line.functionCode)
                            .arg(userId_)
                            .arg(e.Description()));
    }
}

}  // namespace sp::platform
