#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include "common/ComError.h"
#include "platform/middletier/MiddleTierRegistration.h"
#include "platform/middletier/Texts.h"

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

}  // namespace sp::platform
