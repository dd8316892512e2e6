#include "app/host/HostDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/host/SignIn.h"
#include "app/host/Texts.h"
#include "platform/db/DemoData.h"
#include "platform/middletier/MiddleTierRegistration.h"
#include "src/common/ComError.h"

namespace sp::host {

QString HostDatabase::DataFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        throw ComError(ErrorNumber::Refused, QStringLiteral("erp-host"), Texts::CannotMakeDataFolder(folder));
    if (!QFileInfo(folder).isWritable())
        throw ComError(ErrorNumber::Refused, QStringLiteral("erp-host"), Texts::DataFolderReadOnly(folder));
    // The demo database, the settings and the log are the user's alone: a SQLite file is
    // guarded by its permissions only.
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return folder;
}

QString HostDatabase::DemoDatabaseFile(const QString& dataFolder) {
    return QDir(dataFolder).filePath(QStringLiteral("demo.db"));
}

std::shared_ptr<platform::Database> HostDatabase::OpenForWork(const QString& dbUrl, const QString& dataFolder,
                                                              PasswordAsker* asker) {
    using platform::SchemaPolicy;
    if (dbUrl.isEmpty()) {
        auto db = platform::Database::Open(platform::DatabaseUrl::Parse(DemoDatabaseFile(dataFolder)),
                                           SchemaPolicy::CreateIfEmpty);
        SeedDemo(*db);
        return db;
    }
    return OpenSignedIn(platform::DatabaseUrl::Parse(dbUrl), SchemaPolicy::Require, asker);
}

std::shared_ptr<platform::Database> HostDatabase::OpenForInit(const QString& dbUrl, const QString& dataFolder,
                                                              bool force, PasswordAsker* asker) {
    const QString url = dbUrl.isEmpty() ? DemoDatabaseFile(dataFolder) : dbUrl;
    return OpenSignedIn(platform::DatabaseUrl::Parse(url),
                        force ? platform::SchemaPolicy::CreateBeside : platform::SchemaPolicy::CreateIfEmpty,
                        asker);
}

void HostDatabase::SeedDemo(platform::Database& db) {
    const bool empty = db.Scalar(QStringLiteral("SELECT COUNT(*) FROM SHWorkBillEntry")).toInt() == 0;
    platform::SeedDemo(db);
    // Reports only on a database the demo data was just put into: on any other they
    // would mix with real work.
    if (empty)
        platform::SeedDemoReports(db);
}

}  // namespace sp::host
