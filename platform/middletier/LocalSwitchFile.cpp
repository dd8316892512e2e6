#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include "platform/middletier/LocalSwitchFile.h"
#include "platform/middletier/MiddleTierRegistration.h"
#include "platform/middletier/Texts.h"
#include "src/common/ComError.h"

namespace sp::platform {

void InstallLocalSwitchFile(const QString& folder) {
    const QString path = QDir(folder).filePath(QStringLiteral("ErpSwitch.sss"));
    if (QFileInfo::exists(path))
        return;
    QDir().mkpath(folder);
    const QString name = QStringLiteral("ErpSwitch-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QString failure;
    {
        QSqlDatabase local = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        local.setDatabaseName(path);
        if (!local.open()) {
            failure = local.lastError().text();
        } else {
            QSqlQuery q(local);
            const bool ok =
                q.exec(QStringLiteral(
                    "CREATE TABLE t_ListInfo (FListID INTEGER PRIMARY KEY, FName TEXT NOT NULL)")) &&
                q.prepare(QStringLiteral("INSERT INTO t_ListInfo (FListID, FName) VALUES (?, ?)"));
            if (ok) {
                for (const auto& [id, title] : {std::pair{601, MiddleTierTexts::ListWorkBills()},
                                                std::pair{36, MiddleTierTexts::ListProductionTasks()}}) {
                    q.addBindValue(id);
                    q.addBindValue(title);
                    if (!q.exec())
                        failure = q.lastError().text();
                }
            } else {
                failure = q.lastError().text();
            }
            local.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty()) {
        QFile::remove(path);  // never leave a half-made file that would pass for a good one
        throw ComError(ErrorNumber::Database, QStringLiteral("InstallLocalSwitchFile"), failure);
    }
}

QString LocalSwitchDatabase::Connect(const QString& path) {
    // The driver would create a missing file: only an existing one is opened.
    const QFileInfo info(path);
    if (!info.isFile())
        throw ComError(
            ErrorNumber::Database, QStringLiteral("Q8Host.LocalDatabase"),
            (info.exists() ? QStringLiteral("not a file: ") : QStringLiteral("no such file: ")) + path);
    const QString name = QStringLiteral("ErpSwitch-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QString failure;
    {
        QSqlDatabase local = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        local.setDatabaseName(path);
        // Read only: the probe must leave the file exactly as it found it.
        local.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!local.open()) {
            failure = local.lastError().text();
        } else {
            // A file that is not a database opens fine and fails on its catalogue.
            QSqlQuery query(local);
            if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !query.next())
                failure = query.lastError().text();
            query.finish();
            local.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty())
        throw ComError(ErrorNumber::Database, QStringLiteral("Q8Host.LocalDatabase"), failure);
    return QStringLiteral("Provider=SQLite;Data Source=") + path + QLatin1Char(';');
}

}  // namespace sp::platform
